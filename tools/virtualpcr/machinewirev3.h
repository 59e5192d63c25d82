#ifndef MACHINEWIREV3_H
#define MACHINEWIREV3_H

#include "machinewire.h"

#include "Thermox_v3.8_03.02.2018.pb.h"

#include <QElapsedTimer>

class TPManager;

// Firmware 3 on the device side: payloads travel through the machine's own
// transfer-protocol manager. The machine answers the host's actions,
// stores uploaded programs and settings (saying EEPROM_BUSY, then
// EEPROM_READY when the write is done), and sends its PCRState once a
// second. A new state waits until the previous one was confirmed (or given
// up for lost), so a slow host gets the latest state rather than a growing
// queue. While another
// host holds the machine, every announcement is answered with a
// device-busy frame and no state is sent.
class MachineWireV3 : public MachineWire
{
    Q_OBJECT

public:
    static constexpr int TimeoutMs = 1300;
    // Real time after which an unconfirmed state no longer holds back the next.
    static constexpr int StateConfirmLimitMs = 5000;

    MachineWireV3(VirtualMachine *machine, int frameSize, QObject *parent = nullptr);

protected:
    void handleFrame(const QByteArray &frame) override;
    void sendState() override;
    void resetLink() override;

private slots:
    void onPayload(QByteArray payload);
    void onPayloadConfirmed(QByteArray payload);
    void onEepromBusyChanged(bool busy);
    void onHeldByOtherHostChanged(bool held);

private:
    void handleAction(const QByteArray &body);
    void handleProgram(const QByteArray &body);
    void handleMachineSettings(const QByteArray &body);
    void handleSoftwareSettings(const QByteArray &body);
    void sendMachineSettings();
    void sendStoredProgram();
    void sendMessage(ProtocolV3::MessageType type, const google::protobuf::Message &message);
    // Messages whose type says it all travel without a body.
    void sendNotice(ProtocolV3::MessageType type);

    TPManager *const m_tp;
    bool m_stateInFlight = false;
    QElapsedTimer m_stateSent;
};

#endif // MACHINEWIREV3_H
