#include "virtualbleprovider.h"

#include "machineconfig.h"
#include "virtualblemachine.h"
#include "virtualmachine.h"

#include <QDebug>
#include <QTimer>

namespace {

constexpr char MachinesVariable[] = "THERMOX_VIRTUAL_BLE_MACHINES";
constexpr char DefaultMachines[] = "vela16";

} // namespace

VirtualBleProvider::VirtualBleProvider(QObject *parent)
    : BLEDevicesProviderInterface(parent)
    , m_scanTimer(new QTimer(this))
{
    qInfo() << "Creating BLEDevicesFinder - Virtual";
    m_scanTimer->setSingleShot(true);
    m_scanTimer->setInterval(ScanMs);
    connect(m_scanTimer, &QTimer::timeout, this, &VirtualBleProvider::finishScan);
    addConfiguredMachines();
}

QString VirtualBleProvider::addMachine(const QString &config, QString *error)
{
    QString reason;
    const auto parsed = MachineConfig::parse(config, &reason);
    const QString id = parsed ? addMachine(*parsed, &reason) : QString();
    if (error)
        *error = reason;
    return id;
}

bool VirtualBleProvider::removeMachine(const QString &id)
{
    VirtualBleMachine *machine = m_machines.take(id);
    if (!machine)
        return false;
    machine->setInRange(false);
    delete machine;
    qInfo().noquote() << "Virtual machine" << id << "removed";
    return true;
}

QStringList VirtualBleProvider::machineIds() const
{
    return m_machines.keys();
}

bool VirtualBleProvider::setInRange(const QString &id, bool inRange)
{
    VirtualBleMachine *machine = m_machines.value(id);
    if (machine)
        machine->setInRange(inRange);
    return machine;
}

bool VirtualBleProvider::setSpeed(const QString &id, double factor)
{
    VirtualBleMachine *machine = m_machines.value(id);
    if (!machine || factor <= 0.0)
        return false;
    machine->machine()->clock()->setSpeed(factor);
    return true;
}

QByteArray VirtualBleProvider::storedProgram(const QString &id) const
{
    VirtualBleMachine *machine = m_machines.value(id);
    return machine ? machine->machine()->storedProgram() : QByteArray();
}

void VirtualBleProvider::setRadioTiming(int connectMs, int linkLossMs, int scanMs)
{
    m_timing = {connectMs, linkLossMs};
    m_scanTimer->setInterval(scanMs);
    for (const QPointer<VirtualBleDevice> &device : qAsConst(m_devices)) {
        if (device)
            device->setTiming(m_timing);
    }
}

bool VirtualBleProvider::scanActive() const
{
    return m_scanActive;
}

void VirtualBleProvider::setScanActive(bool scanActive)
{
    if (scanActive == m_scanActive)
        return;
    m_scanActive = scanActive;
    emit scanActiveChanged(scanActive);
}

void VirtualBleProvider::start()
{
    qInfo() << "Start BLE scan";
    setScanActive(true);
    m_scanTimer->start();
    // Machines are discovered while the scan runs, never within the call.
    QTimer::singleShot(0, this, &VirtualBleProvider::discoverMachinesInRange);
}

void VirtualBleProvider::stop()
{
    qInfo() << "Stop BLE scan";
    m_scanTimer->stop();
    setScanActive(false);
}

void VirtualBleProvider::discoverMachinesInRange()
{
    if (!m_scanActive)
        return;
    for (VirtualBleMachine *machine : qAsConst(m_machines)) {
        if (machine->isInRange())
            discover(machine);
    }
}

void VirtualBleProvider::finishScan()
{
    qInfo() << "Discovering of ble device finished.";
    setScanActive(false);
    for (auto it = m_devices.begin(); it != m_devices.end();) {
        const QPointer<VirtualBleDevice> device = it.value();
        const VirtualBleMachine *machine = m_machines.value(it.key());
        const bool seen = device && machine && machine->isInRange();
        if (device)
            device->setFoundByFinder(seen);
        // A machine connected or connecting is never dropped by a scan that missed it.
        if (seen || (device && (device->isInitialized() || device->isInitializing()))) {
            ++it;
            continue;
        }
        it = m_devices.erase(it);
        if (device) {
            qInfo().noquote() << "Device paired but probably turned off (not powered): "
                              << device->id();
            device->setAvailable(false);
        }
    }
}

void VirtualBleProvider::addConfiguredMachines()
{
    m_speed = MachineConfig::speedFromEnvironment();
    QString error;
    const auto configs = MachineConfig::fromEnvironment(MachinesVariable, DefaultMachines);
    for (const MachineConfig &config : configs) {
        if (addMachine(config, &error).isEmpty())
            qWarning().noquote() << "Virtual BLE machine not on the air:" << error;
    }
}

QString VirtualBleProvider::addMachine(const MachineConfig &config, QString *error)
{
    if (config.model != VirtualMachine::Vela16) {
        *error = QStringLiteral("machines reached over BLE are vela16 (firmware 3)");
        return {};
    }
    VirtualMachine::Identity identity;
    identity.model = config.model;
    identity.serialNumber = config.serialNumber.isEmpty() ? newSerialNumber() : config.serialNumber;
    identity.machineName = config.machineName.isEmpty()
                               ? QStringLiteral("Virtual vela16 BLE %1").arg(m_machinesMade + 1)
                               : config.machineName;
    const QString id = VirtualBleMachine::addressOf(identity.serialNumber);
    if (m_machines.contains(id)) {
        *error = QStringLiteral("a machine with the address %1 is on the air").arg(id);
        return {};
    }
    ++m_machinesMade;
    auto *virtualMachine = new VirtualMachine(identity);
    virtualMachine->clock()->setSpeed(m_speed);
    virtualMachine->clock()->start();
    auto *machine = new VirtualBleMachine(virtualMachine, id, this);
    connect(machine, &VirtualBleMachine::inRangeChanged, this,
            [this, machine](bool inRange) { onMachineInRangeChanged(machine, inRange); });
    m_machines.insert(id, machine);
    qInfo().noquote() << "Virtual vela16" << identity.serialNumber << "on the air as" << id
                      << identity.machineName;
    onMachineInRangeChanged(machine, true);
    return id;
}

QString VirtualBleProvider::newSerialNumber() const
{
    for (quint32 number = quint32(m_machinesMade) + 1;; ++number) {
        const QString serialNumber = VirtualBleMachine::serialNumberFor(number);
        if (!m_machines.contains(VirtualBleMachine::addressOf(serialNumber)))
            return serialNumber;
    }
}

void VirtualBleProvider::discover(VirtualBleMachine *machine)
{
    const QPointer<VirtualBleDevice> device = m_devices.value(machine->address());
    if (!device) {
        announceNewDevice(machine);
        return;
    }
    device->setFoundByFinder(true);
    if (device->name() == machine->advertisedName()) {
        emit newDeviceAvailable(device);
        return;
    }
    qInfo().noquote() << "Device updated:" << device->name() << "to:" << machine->advertisedName();
    device->updateName(machine->advertisedName());
}

void VirtualBleProvider::announceNewDevice(VirtualBleMachine *machine)
{
    qInfo().noquote() << "New BLE device available: " << machine->address()
                      << machine->advertisedName();
    auto *device = new VirtualBleDevice(machine, m_timing, this);
    const QPointer<VirtualBleDevice> guarded(device);
    // Queued, so that a device is deleted only after the emitting call has returned.
    connect(
        device, &IAvailable::availableChanged, this,
        [this, guarded](bool available) { onDeviceAvailableChanged(guarded, available); },
        Qt::QueuedConnection);
    device->setAvailable(true);
    device->setFoundByFinder(true);
    m_devices.insert(machine->address(), guarded);
    emit newDeviceAvailable(device);
}

void VirtualBleProvider::onMachineInRangeChanged(VirtualBleMachine *machine, bool inRange)
{
    if (inRange && m_scanActive)
        discover(machine);
}

void VirtualBleProvider::onDeviceAvailableChanged(const QPointer<VirtualBleDevice> &device,
                                                  bool available)
{
    if (available || !device)
        return;
    if (m_devices.value(device->id()) == device)
        m_devices.remove(device->id());
    device->deleteLater();
}
