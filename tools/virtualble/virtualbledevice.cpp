#include "virtualbledevice.h"

#include "virtualblemachine.h"

#include <QDebug>
#include <QLowEnergyController>
#include <QTimer>

VirtualBleDevice::VirtualBleDevice(VirtualBleMachine *machine, const Timing &timing,
                                   QObject *parent)
    : BLEDeviceInterface(parent)
    , m_machine(machine)
    , m_id(machine->address())
    , m_name(machine->advertisedName())
    , m_timing(timing)
    , m_connectTimer(new QTimer(this))
    , m_linkLossTimer(new QTimer(this))
    , m_controllerState(QLowEnergyController::UnconnectedState)
{
    m_connectTimer->setSingleShot(true);
    m_linkLossTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, &VirtualBleDevice::onConnectTimeout);
    connect(m_linkLossTimer, &QTimer::timeout, this, &VirtualBleDevice::failLink);
    connect(machine, &VirtualBleMachine::inRangeChanged, this,
            &VirtualBleDevice::onMachineInRangeChanged);
}

VirtualBleDevice::~VirtualBleDevice()
{
    detachFromMachine();
}

void VirtualBleDevice::setTiming(const Timing &timing)
{
    m_timing = timing;
}

void VirtualBleDevice::updateName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    emit nameChanged(name);
}

bool VirtualBleDevice::isAvailable() const
{
    return m_available;
}

void VirtualBleDevice::setAvailable(bool available)
{
    if (available == m_available)
        return;
    m_available = available;
    emit availableChanged(available);
}

void VirtualBleDevice::setFoundByFinder(bool found)
{
    qDebug().noquote() << "Device: " << m_id << "is" << (found ? "" : "NOT")
                       << "FOUND by ble device finder!";
    m_foundByFinder = found;
}

bool VirtualBleDevice::connectDevice()
{
    if (m_controllerState != QLowEnergyController::UnconnectedState)
        return false;
    qInfo().noquote() << "Connecting to" << m_name << m_id;
    m_initializing = true;
    beginAttempt();
    return true;
}

void VirtualBleDevice::disconnectDevice()
{
    qInfo().noquote() << "Uninitialize" << m_name << m_id;
    m_initialized = false;
    if (m_controllerState == QLowEnergyController::UnconnectedState ||
        m_controllerState == QLowEnergyController::ConnectingState) {
        resetLink(false);
        return;
    }
    // The machine confirms the end of notifications, then the link closes.
    m_controllerState = QLowEnergyController::ClosingState;
    QTimer::singleShot(0, this, [this] { resetLink(true); });
}

bool VirtualBleDevice::isInitializing() const
{
    return m_initializing;
}

bool VirtualBleDevice::isInitialized() const
{
    return m_initialized;
}

int VirtualBleDevice::controllerState() const
{
    return m_controllerState;
}

QString VirtualBleDevice::id() const
{
    return m_id;
}

QString VirtualBleDevice::name() const
{
    return m_name;
}

bool VirtualBleDevice::write(const char *data, int size)
{
    if (!data || size <= 0 || !m_initialized || !m_machine)
        return false;
    m_machine->sendToMachine(QByteArray(data, size));
    return true;
}

void VirtualBleDevice::onConnectTimeout()
{
    if (!attachToMachine()) {
        failLink();
        return;
    }
    m_controllerState = QLowEnergyController::DiscoveredState;
    m_initializing = false;
    m_initialized = true;
    qInfo().noquote() << m_id << "Notifications enabled";
    emit connected();
}

void VirtualBleDevice::onMachineInRangeChanged(bool inRange)
{
    if (!inRange && m_initialized && !m_linkLossTimer->isActive()) {
        m_linkLossTimer->start(m_timing.linkLossMs);
    } else if (inRange && m_linkLossTimer->isActive()) {
        m_linkLossTimer->stop();
        qInfo().noquote() << m_id << "Trying to reconnect";
        m_initializing = true;
        beginAttempt();
    }
}

void VirtualBleDevice::onNotified(QByteArray frame)
{
    if (m_initialized)
        emit dataReceived(frame);
}

void VirtualBleDevice::beginAttempt()
{
    m_controllerState = QLowEnergyController::ConnectingState;
    m_connectTimer->start(m_timing.connectMs);
}

bool VirtualBleDevice::attachToMachine()
{
    if (!m_machine || !m_machine->attach(this))
        return false;
    connect(m_machine, &VirtualBleMachine::notified, this, &VirtualBleDevice::onNotified,
            Qt::UniqueConnection);
    return true;
}

void VirtualBleDevice::detachFromMachine()
{
    if (!m_machine)
        return;
    disconnect(m_machine, &VirtualBleMachine::notified, this, &VirtualBleDevice::onNotified);
    m_machine->detach(this);
}

void VirtualBleDevice::failLink()
{
    qInfo().noquote() << m_id << "Device unreachable";
    if (!m_foundByFinder)
        setAvailable(false);
    resetLink(false);
}

void VirtualBleDevice::resetLink(bool forced)
{
    const bool wasInitialized = m_initialized;
    const bool wasInitializing = m_initializing;
    m_connectTimer->stop();
    m_linkLossTimer->stop();
    m_initialized = false;
    m_initializing = false;
    m_controllerState = QLowEnergyController::UnconnectedState;
    detachFromMachine();
    if (wasInitialized || forced)
        emit disconnected();
    else if (wasInitializing)
        emit connectingFailed();
}
