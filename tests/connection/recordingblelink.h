#ifndef RECORDINGBLELINK_H
#define RECORDINGBLELINK_H

#include "bledeviceinterface.h"

#include <QByteArrayList>

// A BLE link that records what a connection asks of it, in a state the test
// sets: it never connects by itself.
class RecordingBleLink : public BLEDeviceInterface
{
    Q_OBJECT

public:
    int controllerStateValue = 0;
    bool initialized = false;
    bool available = true;
    int connectCalls = 0;
    QByteArrayList writes;

    bool isAvailable() const override { return available; }
    void setAvailable(bool value) override { available = value; }
    void setFoundByFinder(bool) override {}
    bool connectDevice() override
    {
        ++connectCalls;
        return true;
    }
    void disconnectDevice() override {}
    bool isInitializing() const override { return false; }
    bool isInitialized() const override { return initialized; }
    int controllerState() const override { return controllerStateValue; }
    QString id() const override { return QStringLiteral("00:11:22:33:44:55"); }
    QString name() const override { return QStringLiteral("Bench link"); }
    bool write(const char *data, int size) override
    {
        writes.append(QByteArray(data, size));
        return true;
    }
};

#endif // RECORDINGBLELINK_H
