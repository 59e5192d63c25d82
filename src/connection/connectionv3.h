#ifndef CONNECTIONV3_H
#define CONNECTIONV3_H

#include "connection.h"
#include "guarded.h"

#include "Thermox_v3.8_03.02.2018.pb.h"

class QTimer;
class TPManager;

// Everything firmware 3 needs whatever carries its frames: payloads built
// for the transfer protocol, the dispatch of received payloads, the last
// state and settings, and the device-busy and EEPROM-busy conditions.
// A transport adds opening, closing and writing: it creates the TPManager
// (createTPManager) and puts the manager's sendTPData frames on its wire.
class ConnectionV3 : public Connection
{
    Q_OBJECT

public:
    static constexpr int EepromBusyTimeoutMs = 15000;

    explicit ConnectionV3(QObject *parent = nullptr, int eepromBusyTimeoutMs = EepromBusyTimeoutMs);
    ~ConnectionV3() override;

    quint32 step() const override;
    int cycle() const override;
    quint32 timeInSec() const override;
    quint32 stepTimeInSec() const override;
    float blockTemp() const override;
    float lidTemp() const override;
    float probeTemp() const override;
    float powerVoltage() const override;
    int status() const override;
    int error() const override;
    quint32 remainingTimeInSec() const override;
    bool isPowered() const override;
    bool isAutoStartOn() const override;
    QString machineName() const override;
    QString modelName() const override;
    QString firmwareVersion() const override;
    // Up to the first 11 bytes of the machine's serial number as upper-case
    // hexadecimal digits; empty while the machine has not reported one.
    QString serialNumber() const override;
    QString hardwareId() const override;

    using Connection::sendAction;

public slots:
    void sendCurrentProgram() override;
    void getProgramFromDevice() override;
    void sendAction(ProtocolV3::Action *action) override;
    void sendSoftwareSettings(bool initial = false) override;
    void sendMachineSettings() override;
    void getMachineSettings() override;
    void setMachineName(QString newMachineName) override;
    void initStartProgram() override;
    void setState(int state) override;
    void setFirmware(int major, int minor) override;
    void setAutoStartOn(bool on) override;

public:
    void checkStartTime() override;

public slots:
    virtual void sendEnablePCRStates();
    virtual void sendDisablePCRStates();
    // Hands a payload to the transfer protocol; dropped while the transport is closed.
    virtual void transmitPayload(QByteArray payload);

    // One complete payload received from the machine: type byte, then message.
    void handleProtobufMessage(QByteArray serialized);

signals:
    void eepromBusyChanged(bool busy);
    void deviceBusyChanged(bool busy);

protected slots:
    void firstPCRStateReceived() override;
    void onMessageTransferFinished(QByteArray messageData);
    void onDeviceBusy();
    void onEepromBusyTimeout();
    void onHandleConnectedChanged(bool connected);

protected:
    // Creates the connection's transfer-protocol manager and routes its
    // received payloads, confirmations and busy frames to this connection.
    TPManager *createTPManager(int frameSize, int timeoutMs);
    TPManager *tpManager() const;
    void setHardwareId(const QString &hardwareId);
    void setEepromBusy(bool busy);
    void setDeviceBusy(bool busy);
    bool isSoftwareSettingsSent() const;
    void setSoftwareSettingsSent(bool sent);
    // The software identity "Thermox_V3" 3.<minorVersion>, or the empty
    // settings when initial.
    void sendSoftwareSettingsVersion(bool initial, quint32 minorVersion);
    void replaceMachineSettings(ProtocolV3::MachineSettings settings);
    void replaceState(ProtocolV3::PCRState state);

private:
    void sendActionMessage(ProtocolV3::ActionType type, int status);
    void transmitMessage(ProtocolV3::MessageType type, const google::protobuf::Message &message);
    void handleCurrentState(const QByteArray &body);
    void handleMachineSettings(const QByteArray &body);
    void handleConfirmedAction(const QByteArray &body);
    void handleConfirmedSettings(const QByteArray &body);
    void logState(const ProtocolV3::PCRState &state) const;

    QTimer *const m_eepromTimer;
    TPManager *m_tpManager = nullptr;
    Guarded<ProtocolV3::MachineSettings> m_machineSettings;
    Guarded<ProtocolV3::PCRState> m_state;
    QString m_hardwareId;
    bool m_eepromBusy = true;
    bool m_deviceBusy = false;
    bool m_softwareSettingsSent = false;
    // Settings changed while the EEPROM was busy, sent once it is ready.
    bool m_settingsPending = false;
};

#endif // CONNECTIONV3_H
