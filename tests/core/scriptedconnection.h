#ifndef SCRIPTEDCONNECTION_H
#define SCRIPTEDCONNECTION_H

#include "connection/connection.h"
#include "core/pcrdevice.h"

#include <QList>

// A connection whose machine is the test: it reports what the test sets and
// emits, and records what the device asks of it. Lives on the test's thread.
class ScriptedConnection : public Connection
{
    Q_OBJECT

public:
    struct MachineState
    {
        quint32 step = 0;
        int cycle = 0;
        quint32 timeInSec = 0;
        quint32 remainingTimeInSec = 0;
        float blockTemp = 25.0f;
        float lidTemp = 25.0f;
        int error = PCRConst::DE_NO_ERROR;
    };

    MachineState machine;
    bool transportOpen = true;
    QList<int> statesSent;
    int programsSent = 0;
    QStringList namesSent;

    quint32 step() const override { return machine.step; }
    int cycle() const override { return machine.cycle; }
    quint32 timeInSec() const override { return machine.timeInSec; }
    quint32 stepTimeInSec() const override { return 0; }
    float blockTemp() const override { return machine.blockTemp; }
    float lidTemp() const override { return machine.lidTemp; }
    float probeTemp() const override { return machine.blockTemp; }
    float powerVoltage() const override { return isPowered() ? 19.0f : 0.0f; }
    int status() const override { return currentState(); }
    int error() const override { return machine.error; }
    quint32 remainingTimeInSec() const override { return machine.remainingTimeInSec; }
    bool isPowered() const override { return machine.error != PCRConst::DE_NO_POWER; }
    bool isAutoStartOn() const override { return false; }
    bool isTransportOpen() const override { return transportOpen; }
    QString machineName() const override { return QStringLiteral("Scripted"); }
    QString modelName() const override { return QStringLiteral("vela16"); }
    QString firmwareVersion() const override { return QStringLiteral("3.8"); }
    QString serialNumber() const override { return QStringLiteral("0011"); }
    QString hardwareId() const override { return serialNumber(); }
    void checkStartTime() override { updateStartTime(machine.timeInSec); }

    // One state report, as a connection publishes it: the chart point, then the state.
    void report(PCRConst::DeviceStatus status);

public slots:
    void connectionInit() override { connectDevice(); }
    void connectDevice() override
    {
        setIsHandleConnected(true);
        setIsDeviceInitialized(true);
    }
    void disconnectHandle() override { setIsDeviceInitialized(false); }
    void sendCurrentProgram() override { ++programsSent; }
    void getProgramFromDevice() override {}
    void sendSoftwareSettings(bool) override {}
    void sendMachineSettings() override {}
    void getMachineSettings() override {}
    void setMachineName(QString name) override { namesSent.append(name); }
    void initStartProgram() override {}
    void setState(int state) override { statesSent.append(state); }
    void setFirmware(int, int) override {}
    void setAutoStartOn(bool) override {}
};

// A device whose connections are scripted. Build it from a record and call
// deviceInit(): a constructor cannot reach createConnection's override.
class ScriptedDevice : public PCRDevice
{
    Q_OBJECT

public:
    using PCRDevice::PCRDevice;

    ScriptedConnection *connection = nullptr;

protected:
    Connection *createConnection() override
    {
        connection = new ScriptedConnection;
        return connection;
    }
};

#endif // SCRIPTEDCONNECTION_H
