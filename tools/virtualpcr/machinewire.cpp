#include "machinewire.h"

MachineWire::MachineWire(VirtualMachine *machine, QObject *parent)
    : QObject(parent)
    , m_machine(machine)
{
    connect(machine, &VirtualMachine::stateReportDue, this, &MachineWire::onStateReportDue);
}

bool MachineWire::isLinkOpen() const
{
    return m_linkOpen;
}

void MachineWire::openLink()
{
    // A fresh link starts with nothing half sent or half received.
    if (!m_linkOpen)
        resetLink();
    m_linkOpen = true;
}

void MachineWire::closeLink()
{
    m_linkOpen = false;
    resetLink();
}

void MachineWire::receiveFrame(QByteArray frame)
{
    if (m_linkOpen && m_machine->faults().pass(frame))
        handleFrame(frame);
}

VirtualMachine *MachineWire::machine() const
{
    return m_machine;
}

void MachineWire::sendFrame(QByteArray frame)
{
    if (m_linkOpen && m_machine->faults().pass(frame))
        emit frameReady(frame);
}

void MachineWire::onStateReportDue()
{
    if (m_linkOpen && !m_machine->isHeldByOtherHost())
        sendState();
}
