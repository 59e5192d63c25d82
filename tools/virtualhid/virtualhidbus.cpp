#include "virtualhidbus.h"

#include "controlsocket.h"
#include "machineconfig.h"
#include "virtualhidhub.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

constexpr char MachinesVariable[] = "THERMOX_VIRTUAL_MACHINES";
constexpr char DefaultMachines[] = "vela8,vela16";

// What the environment asks for, plugged in on the machines' thread.
void plugInConfiguredMachines(VirtualHidHub *hub)
{
    hub->setDefaultSpeed(MachineConfig::speedFromEnvironment());
    QString error;
    const auto configs = MachineConfig::fromEnvironment(MachinesVariable, DefaultMachines);
    for (const MachineConfig &config : configs) {
        if (hub->addMachine(config, &error).isEmpty())
            qWarning().noquote() << "Virtual machine not plugged in:" << error;
    }

    const QString socketPath = ControlSocket::path(ControlSocket::nameFromEnvironment());
    if (!socketPath.isEmpty())
        hub->listenForControl(socketPath);
}

} // namespace

VirtualHidBus &VirtualHidBus::instance()
{
    // Never destroyed: the application object's end closes the bus down, and
    // hidapi calls may come from threads that outlive the statics.
    static VirtualHidBus *const bus = new VirtualHidBus;
    return *bus;
}

VirtualHidBus::VirtualHidBus()
    : m_hub(new VirtualHidHub)
{
    m_thread.setObjectName(QStringLiteral("virtual machines"));
    m_hub->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_hub, &QObject::deleteLater);
    m_thread.start();
    VirtualHidHub *hub = m_hub;
    QMetaObject::invokeMethod(
        hub, [hub] { plugInConfiguredMachines(hub); }, Qt::BlockingQueuedConnection);
    qAddPostRoutine(&VirtualHidBus::closeDown);
}

QString VirtualHidBus::addMachine(const QString &config, QString *error)
{
    QString reason;
    const QString serialNumber =
        onMachinesThread(QString(), [&config, &reason](VirtualHidHub *hub) {
            const auto parsed = MachineConfig::parse(config, &reason);
            return parsed ? hub->addMachine(*parsed, &reason) : QString();
        });
    if (error)
        *error = reason;
    return serialNumber;
}

bool VirtualHidBus::removeMachine(const QString &serialNumber)
{
    return onMachinesThread(
        false, [&serialNumber](VirtualHidHub *hub) { return hub->removeMachine(serialNumber); });
}

bool VirtualHidBus::setPlugged(const QString &serialNumber, bool plugged)
{
    return onMachinesThread(false, [&serialNumber, plugged](VirtualHidHub *hub) {
        return hub->setPlugged(serialNumber, plugged);
    });
}

QStringList VirtualHidBus::serialNumbers()
{
    return onMachinesThread(QStringList(), [](VirtualHidHub *hub) { return hub->machineIds(); });
}

bool VirtualHidBus::withMachine(const QString &serialNumber,
                                const std::function<void(VirtualMachine &)> &work)
{
    return onMachinesThread(false, [&serialNumber, &work](VirtualHidHub *hub) {
        VirtualMachine *machine = hub->machine(serialNumber);
        if (machine)
            work(*machine);
        return machine != nullptr;
    });
}

QString VirtualHidBus::controlServerPath()
{
    return onMachinesThread(QString(), [](VirtualHidHub *hub) { return hub->controlServerPath(); });
}

int VirtualHidBus::enumerationCount()
{
    return withHub([](VirtualHidHub *hub) { return hub ? hub->enumerationCount() : 0; });
}

int VirtualHidBus::openHandleCount()
{
    return withHub([](VirtualHidHub *hub) { return hub ? hub->openHandleCount() : 0; });
}

void VirtualHidBus::closeDown()
{
    VirtualHidBus &bus = instance();
    {
        QWriteLocker locker(&bus.m_hubLock);
        bus.m_hub = nullptr;
    }
    // The hub is deleted on its own thread as the thread finishes.
    bus.m_thread.quit();
    bus.m_thread.wait();
}

template <class Result, class Work>
Result VirtualHidBus::onMachinesThread(Result whenClosed, Work work)
{
    QReadLocker locker(&m_hubLock);
    if (!m_hub)
        return whenClosed;
    if (QThread::currentThread() == &m_thread)
        return work(m_hub);
    Result result = whenClosed;
    VirtualHidHub *hub = m_hub;
    QMetaObject::invokeMethod(
        hub, [hub, &work, &result] { result = work(hub); }, Qt::BlockingQueuedConnection);
    return result;
}
