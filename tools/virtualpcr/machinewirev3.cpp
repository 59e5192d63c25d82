#include "machinewirev3.h"

#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"
#include "protocol/tpframe.h"

#include <QDebug>

MachineWireV3::MachineWireV3(VirtualMachine *machine, int frameSize, QObject *parent)
    : MachineWire(machine, parent)
    , m_tp(new TPManager(frameSize, this, TimeoutMs))
{
    connect(m_tp, &TPManager::sendTPData, this, &MachineWireV3::sendFrame);
    connect(m_tp, &TPManager::payload, this, &MachineWireV3::onPayload);
    connect(m_tp, &TPManager::transferSessionFinished, this, &MachineWireV3::onPayloadConfirmed);
    connect(machine, &VirtualMachine::eepromBusyChanged, this, &MachineWireV3::onEepromBusyChanged);
    connect(machine, &VirtualMachine::heldByOtherHostChanged, this,
            &MachineWireV3::onHeldByOtherHostChanged);
}

void MachineWireV3::handleFrame(const QByteArray &frame)
{
    if (machine()->isHeldByOtherHost() && TPFrame::hasValidHeader(frame) &&
        TPFrame::kindOf(frame) == TPFrame::Announcement) {
        sendFrame(TPFrame::shortFrame(TPFrame::idOf(frame), TPFrame::DeviceBusy));
        return;
    }
    m_tp->receiveTPData(frame);
}

void MachineWireV3::sendState()
{
    if (m_stateInFlight && !m_stateSent.hasExpired(StateConfirmLimitMs))
        return;
    ProtocolV3::PCRState state;
    fillState(state, *machine());
    state.set_remainingtimeinsec(machine()->engine()->remainingTimeInSec());
    m_stateInFlight = true;
    m_stateSent.start();
    sendMessage(ProtocolV3::CURRENT_STATE, state);
}

void MachineWireV3::resetLink()
{
    m_tp->reset();
    m_stateInFlight = false;
}

void MachineWireV3::onPayload(QByteArray payload)
{
    const int type = extractMessageTypeV3(payload);
    switch (type) {
    case ProtocolV3::ACTION:
        handleAction(payload);
        break;
    case ProtocolV3::PCR_PROTOCOL:
        handleProgram(payload);
        break;
    case ProtocolV3::MACHINE_SETTINGS:
        handleMachineSettings(payload);
        break;
    case ProtocolV3::SOFTWARE_SETTINGS:
        handleSoftwareSettings(payload);
        break;
    default:
        qWarning().noquote() << machine()->serialNumber() << "ignores message type" << type;
    }
}

void MachineWireV3::onPayloadConfirmed(QByteArray payload)
{
    if (!payload.isEmpty() && payload.at(0) == char(ProtocolV3::CURRENT_STATE))
        m_stateInFlight = false;
}

void MachineWireV3::onEepromBusyChanged(bool busy)
{
    if (isLinkOpen())
        sendNotice(busy ? ProtocolV3::EEPROM_BUSY : ProtocolV3::EEPROM_READY);
}

void MachineWireV3::onHeldByOtherHostChanged(bool held)
{
    if (held && isLinkOpen())
        sendNotice(ProtocolV3::DEVICE_BUSY);
}

void MachineWireV3::handleAction(const QByteArray &body)
{
    ProtocolV3::Action action;
    if (!parseMessageV3(body, action)) {
        qWarning().noquote() << machine()->serialNumber() << "Action parse error";
        return;
    }
    switch (action.type()) {
    case ProtocolV3::SET_STATE:
        machine()->applyHostState(action.status());
        break;
    case ProtocolV3::GET_CURRENT_PROGRAM:
        sendStoredProgram();
        break;
    case ProtocolV3::GET_MACHINE_SETTINGS:
        sendMachineSettings();
        break;
    default:
        qWarning().noquote() << machine()->serialNumber() << "ignores action" << action.type();
    }
}

void MachineWireV3::handleProgram(const QByteArray &body)
{
    if (machine()->storeProgram(body))
        machine()->startRun();
}

void MachineWireV3::handleMachineSettings(const QByteArray &body)
{
    ProtocolV3::MachineSettings settings;
    if (!parseMessageV3(body, settings)) {
        qWarning().noquote() << machine()->serialNumber() << "MachineSettings parse error";
        return;
    }
    // Serial number and firmware version are the machine's own, whatever the host sends.
    machine()->storeSettings(QString::fromStdString(settings.machinename()),
                             settings.autostarton() != 0);
}

void MachineWireV3::handleSoftwareSettings(const QByteArray &body)
{
    ProtocolV3::SoftwareSettings software;
    if (!parseMessageV3(body, software)) {
        qWarning().noquote() << machine()->serialNumber() << "SoftwareSettings parse error";
        return;
    }
    qDebug().noquote() << machine()->serialNumber() << "host software"
                       << QString::fromStdString(software.softwarename())
                       << software.softwaremajorversion() << software.softwareminorversion();
    // A host that has just connected counts the EEPROM busy until told otherwise.
    if (!machine()->isEepromBusy())
        sendNotice(ProtocolV3::EEPROM_READY);
}

void MachineWireV3::sendMachineSettings()
{
    ProtocolV3::MachineSettings settings;
    settings.set_machinename(machine()->machineName().toStdString());
    settings.set_firmwaremajorversion(quint32(machine()->firmwareMajorVersion()));
    settings.set_firmwareminorversion(quint32(machine()->firmwareMinorVersion()));
    settings.set_autostarton(machine()->isAutoStartOn() ? 1 : 0);
    settings.set_serialnumber(
        QByteArray::fromHex(machine()->serialNumber().toLatin1()).toStdString());
    sendMessage(ProtocolV3::MACHINE_SETTINGS, settings);
}

void MachineWireV3::sendStoredProgram()
{
    const QByteArray stored = machine()->storedProgram();
    if (stored.isEmpty()) {
        qDebug().noquote() << machine()->serialNumber() << "has no program to send";
        return;
    }
    ProtocolV3::PCRProtocol program;
    program.ParseFromArray(stored.constData(), stored.size());
    sendMessage(ProtocolV3::PCR_PROTOCOL, program);
}

void MachineWireV3::sendMessage(ProtocolV3::MessageType type,
                                const google::protobuf::Message &message)
{
    m_tp->sendPayload(buildPayloadV3(type, message));
}

void MachineWireV3::sendNotice(ProtocolV3::MessageType type)
{
    m_tp->sendPayload(QByteArray(1, char(type)));
}
