#include "virtualblemachine.h"

#include "machinewire.h"
#include "virtualmachine.h"

#include <QDebug>
#include <QtEndian>

namespace {

constexpr char SerialPrefix[] = "VELA16\x01";
constexpr int AddressBytes = 6;

} // namespace

QString VirtualBleMachine::serialNumberFor(quint32 number)
{
    QByteArray bytes(SerialPrefix);
    QByteArray numberBytes(sizeof(quint32), '\0');
    qToBigEndian(number, numberBytes.data());
    bytes.append(numberBytes);
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString VirtualBleMachine::addressOf(const QString &serialNumber)
{
    return QString::fromLatin1(
        QByteArray::fromHex(serialNumber.toLatin1()).right(AddressBytes).toHex(':').toUpper());
}

VirtualBleMachine::VirtualBleMachine(VirtualMachine *machine, const QString &address,
                                     QObject *parent)
    : QObject(parent)
    , m_machine(machine)
    , m_wire(machine->createWire(FrameSize, this))
    , m_address(address)
{
    machine->setParent(this);
    connect(m_wire, &MachineWire::frameReady, this, &VirtualBleMachine::onFrameReady);
}

VirtualMachine *VirtualBleMachine::machine() const
{
    return m_machine;
}

QString VirtualBleMachine::address() const
{
    return m_address;
}

QString VirtualBleMachine::advertisedName() const
{
    return m_machine->machineName();
}

bool VirtualBleMachine::isInRange() const
{
    return m_inRange;
}

bool VirtualBleMachine::attach(QObject *holder)
{
    if (!m_inRange || (m_holder && m_holder != holder))
        return false;
    m_holder = holder;
    m_wire->openLink();
    return true;
}

void VirtualBleMachine::detach(QObject *holder)
{
    if (m_holder != holder)
        return;
    m_holder.clear();
    m_wire->closeLink();
}

void VirtualBleMachine::sendToMachine(const QByteArray &frame)
{
    MachineWire *wire = m_wire;
    QMetaObject::invokeMethod(
        wire, [wire, frame] { wire->receiveFrame(frame); }, Qt::QueuedConnection);
}

void VirtualBleMachine::setInRange(bool inRange)
{
    if (inRange == m_inRange)
        return;
    m_inRange = inRange;
    qInfo().noquote() << m_address << (inRange ? "back in range" : "out of range");
    if (!inRange)
        m_wire->closeLink();
    emit inRangeChanged(inRange);
}

void VirtualBleMachine::onFrameReady(QByteArray frame)
{
    // Notifications have the size of a BLE frame; shorter frames are padded.
    if (frame.size() < FrameSize)
        frame.append(QByteArray(FrameSize - frame.size(), '\0'));
    emit notified(frame);
}
