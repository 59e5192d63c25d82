#ifndef MACHINEWIREV1_H
#define MACHINEWIREV1_H

#include "machinewire.h"

#include "Pcr.pb.h"

// Firmware 1 on the device side: each message comes as a type byte, a
// length byte and the message, cut into 64-byte report pieces; answers and
// states go back framed the same way. Nothing is acknowledged; a host that
// holds the machine elsewhere simply gets no answer.
class MachineWireV1 : public MachineWire
{
    Q_OBJECT

public:
    explicit MachineWireV1(VirtualMachine *machine, QObject *parent = nullptr);

protected:
    void handleFrame(const QByteArray &frame) override;
    void sendState() override;
    void resetLink() override;

private:
    void handleMessage(ProtocolV1::MessageType type, const QByteArray &body);
    void handleAction(const QByteArray &body);
    void handleProgram(const QByteArray &body);
    void handleMachineSettings(const QByteArray &body);
    void sendMachineSettings();
    void sendStoredProgram();
    void sendMessage(ProtocolV1::MessageType type, const google::protobuf::Message &message);

    QByteArray m_pending; // pieces of a message longer than one report
};

#endif // MACHINEWIREV1_H
