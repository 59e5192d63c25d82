#ifndef CONNECTIONV3BLE_H
#define CONNECTIONV3BLE_H

#include "connectionv3.h"

#include <QPointer>

class BLEDeviceInterface;

// Firmware 3 over a Bluetooth Low Energy link that a BLE plug-in supplies.
// The plug-in owns the link and may delete it at any time, so the connection
// holds it guarded and checks it before every use; without a link every
// operation quietly does nothing. Lives on the GUI thread.
class ConnectionV3BLE : public ConnectionV3
{
    Q_OBJECT

public:
    // The manual flag is the device object's; this transport does not read it.
    ConnectionV3BLE(QPointer<BLEDeviceInterface> device, bool manual, QObject *parent = nullptr);
    ~ConnectionV3BLE() override;

    bool isTransportOpen() const override;
    bool isDeviceInitialized() const override;
    QString hardwareId() const override;

public slots:
    void connectionInit() override;
    void connectDevice() override;
    void disconnectHandle() override;
    void sendSoftwareSettings(bool initial = false) override;

    void connected();
    void resetConnection();
    void resetCTPManager();
    void onDeviceAvailableChanged(bool available);
    // Pads a transfer-protocol frame to the BLE frame size and writes it.
    void sendTpData(QByteArray frame);

private:
    QPointer<BLEDeviceInterface> m_device;
    bool m_connectWhenClosed = false;
};

#endif // CONNECTIONV3BLE_H
