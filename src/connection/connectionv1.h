#ifndef CONNECTIONV1_H
#define CONNECTIONV1_H

#include "connection.h"
#include "guarded.h"

#include "Pcr.pb.h"

// Firmware-1 machines: messages go out one framed message at a time, with no
// transfer protocol, acknowledgement, busy conditions or auto start. Nothing
// is confirmed, so states reported before a new program or a reset took
// effect are recognised by their elapsed time and skipped. A transport adds
// opening, closing and sendMessage, and feeds the data it reads to
// handleProtobufMessage.
class ConnectionV1 : public Connection
{
    Q_OBJECT

public:
    explicit ConnectionV1(QObject *parent = nullptr);
    ~ConnectionV1() override;

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
    // Firmware 1 does not report it: always 0.
    quint32 remainingTimeInSec() const override;
    bool isPowered() const override;
    // Firmware 1 has no auto start: always false.
    bool isAutoStartOn() const override;
    QString machineName() const override;
    QString modelName() const override;
    QString firmwareVersion() const override;
    // Both the USB serial-number string of the machine.
    QString serialNumber() const override;
    QString hardwareId() const override;

    using Connection::sendAction;

public slots:
    // Call after the transport has opened its handle.
    void connectionInit() override;
    void sendCurrentProgram() override;
    void getProgramFromDevice() override;
    void connectDevice() override;
    void sendAction(ProtocolV1::Action *action) override;
    void sendSoftwareSettings(bool initial = false) override;
    void sendMachineSettings() override;
    void getMachineSettings() override;
    void setMachineName(QString newMachineName) override;
    void initStartProgram() override;
    void setState(int state) override;
    void setFirmware(int major, int minor) override;
    void setAutoStartOn(bool on) override;
    // Call after the transport has closed its handle.
    void disconnectHandle() override;

public:
    void checkStartTime() override;

    // Frames and writes one message; nothing is written while the transport is closed.
    virtual void sendMessage(ProtocolV1::MessageType type,
                             const google::protobuf::Message &message) = 0;

public slots:
    // The data read at one poll: any number of messages with zero padding between them.
    void handleProtobufMessage(QByteArray rawData);

protected:
    void setHardwareId(const QString &hardwareId);

private:
    void sendActionMessage(ProtocolV1::ActionType type, int status);
    void handleMessage(ProtocolV1::MessageType type, const QByteArray &body);
    void handleCurrentState(const QByteArray &body);
    void handleMachineSettings(const QByteArray &body);
    bool skipLeftOverState(quint32 seconds);
    bool skipStateBeforeInit();

    Guarded<ProtocolV1::MachineSettings> m_machineSettings;
    Guarded<ProtocolV1::PCRState> m_state;
    // Read by the GUI thread; the transport may learn it on its own thread.
    Guarded<QString> m_hardwareId;
    bool m_programSent = false;
    bool m_resetSent = false;
};

#endif // CONNECTIONV1_H
