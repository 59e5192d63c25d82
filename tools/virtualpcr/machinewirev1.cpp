#include "machinewirev1.h"

#include "protocol/pcrprotocolv1.h"

#include <QDebug>

namespace {
constexpr int HeaderSize = 2; // type byte, length byte
} // namespace

MachineWireV1::MachineWireV1(VirtualMachine *machine, QObject *parent)
    : MachineWire(machine, parent)
{}

void MachineWireV1::handleFrame(const QByteArray &frame)
{
    if (machine()->isHeldByOtherHost())
        return;
    // A report that begins with no type is padding, not a message.
    if (m_pending.isEmpty() && (frame.size() < HeaderSize || frame.at(0) == '\0'))
        return;
    m_pending += frame;
    const int messageSize = HeaderSize + quint8(m_pending.at(1));
    if (m_pending.size() < messageSize)
        return;
    QByteArray message = m_pending.left(messageSize);
    m_pending.clear();
    // The host writes the length as one byte; the body is exactly that long.
    const ProtocolV1::MessageType type = extractMessageTypeV1(message);
    handleMessage(type, message.mid(1));
}

void MachineWireV1::sendState()
{
    ProtocolV1::PCRState state;
    fillState(state, *machine());
    sendMessage(ProtocolV1::CURRENT_STATE, state);
}

void MachineWireV1::resetLink()
{
    m_pending.clear();
}

void MachineWireV1::handleMessage(ProtocolV1::MessageType type, const QByteArray &body)
{
    switch (type) {
    case ProtocolV1::ACTION:
        handleAction(body);
        break;
    case ProtocolV1::PCR_PROTOCOL:
        handleProgram(body);
        break;
    case ProtocolV1::MACHINE_SETTINGS:
        handleMachineSettings(body);
        break;
    case ProtocolV1::SOFTWARE_SETTINGS:
        qDebug().noquote() << machine()->serialNumber() << "host software identity received";
        break;
    default:
        qWarning().noquote() << machine()->serialNumber() << "ignores message type" << type;
    }
}

void MachineWireV1::handleAction(const QByteArray &body)
{
    ProtocolV1::Action action;
    if (!action.ParseFromArray(body.constData(), body.size())) {
        qWarning().noquote() << machine()->serialNumber() << "Action parse error";
        return;
    }
    switch (action.type()) {
    case ProtocolV1::SET_STATE:
        machine()->applyHostState(action.status());
        break;
    case ProtocolV1::GET_CURRENT_PROGRAM:
        sendStoredProgram();
        break;
    case ProtocolV1::GET_MACHINE_SETTINGS:
        sendMachineSettings();
        break;
    default:
        qWarning().noquote() << machine()->serialNumber() << "ignores action" << action.type();
    }
}

void MachineWireV1::handleProgram(const QByteArray &body)
{
    if (machine()->storeProgram(body))
        machine()->startRun();
}

void MachineWireV1::handleMachineSettings(const QByteArray &body)
{
    ProtocolV1::MachineSettings settings;
    if (!settings.ParseFromArray(body.constData(), body.size())) {
        qWarning().noquote() << machine()->serialNumber() << "MachineSettings parse error";
        return;
    }
    machine()->storeSettings(QString::fromStdString(settings.machinename()),
                             machine()->isAutoStartOn());
}

void MachineWireV1::sendMachineSettings()
{
    ProtocolV1::MachineSettings settings;
    settings.set_machinename(machine()->machineName().toStdString());
    settings.set_firmwaremajorversion(quint32(machine()->firmwareMajorVersion()));
    settings.set_firmwareminorversion(quint32(machine()->firmwareMinorVersion()));
    sendMessage(ProtocolV1::MACHINE_SETTINGS, settings);
}

void MachineWireV1::sendStoredProgram()
{
    const QByteArray stored = machine()->storedProgram();
    if (stored.isEmpty()) {
        qDebug().noquote() << machine()->serialNumber() << "has no program to send";
        return;
    }
    ProtocolV1::PCRProtocol program;
    program.ParseFromArray(stored.constData(), stored.size());
    sendMessage(ProtocolV1::PCR_PROTOCOL, program);
}

void MachineWireV1::sendMessage(ProtocolV1::MessageType type,
                                const google::protobuf::Message &message)
{
    // Output reports carry the report id in front; input reports do not.
    for (const QByteArray &report : frameMessageV1(type, message))
        sendFrame(report.mid(1));
}
