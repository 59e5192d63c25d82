#include "virtualhidhub.h"

#include "controlserver.h"
#include "hidendpoint.h"
#include "virtualhiddevice.h"

#include <QDebug>
#include <QtEndian>

namespace {

constexpr char SerialPrefixV3[] = "VELA16"; // the rest of the 11 bytes numbers the machine
constexpr int SerialNumberDigitsV1 = 4;

} // namespace

VirtualHidHub::VirtualHidHub(QObject *parent)
    : QObject(parent)
{}

VirtualHidHub::~VirtualHidHub()
{
    QMutexLocker locker(&m_mutex);
    qDeleteAll(m_devices);
    m_devices.clear();
}

QString VirtualHidHub::addMachine(const MachineConfig &config, QString *error)
{
    VirtualMachine::Identity identity;
    identity.model = config.model;
    identity.serialNumber =
        config.serialNumber.isEmpty() ? newSerialNumber(config.model) : config.serialNumber;
    identity.machineName =
        config.machineName.isEmpty() ? newMachineName(config.model) : config.machineName;
    if (deviceBySerialNumber(identity.serialNumber)) {
        *error =
            QStringLiteral("a machine with serial number %1 exists").arg(identity.serialNumber);
        return {};
    }
    ++m_machinesMade;
    auto *device = new VirtualHidDevice(config.makeMachine(identity, m_defaultSpeed), this);
    {
        QMutexLocker locker(&m_mutex);
        m_devices.append(device);
    }
    qInfo().noquote() << "Virtual" << VirtualMachine::modelName(identity.model)
                      << identity.serialNumber << "plugged in:" << identity.machineName;
    return identity.serialNumber;
}

bool VirtualHidHub::removeMachine(const QString &serialNumber)
{
    QMutexLocker locker(&m_mutex);
    VirtualHidDevice *device = deviceBySerialNumber(serialNumber);
    if (!device)
        return false;
    m_devices.removeOne(device);
    // Under the lock, so no writer posts to the device while it goes.
    delete device;
    qInfo().noquote() << "Virtual machine" << serialNumber << "removed";
    return true;
}

bool VirtualHidHub::setPlugged(const QString &serialNumber, bool plugged)
{
    VirtualHidDevice *device = deviceBySerialNumber(serialNumber);
    if (!device)
        return false;
    device->setPlugged(plugged);
    return true;
}

QString VirtualHidHub::pluggedName(bool plugged) const
{
    return plugged ? QStringLiteral("plugged") : QStringLiteral("unplugged");
}

std::optional<bool> VirtualHidHub::isPlugged(const QString &serialNumber) const
{
    const VirtualHidDevice *device = deviceBySerialNumber(serialNumber);
    if (!device)
        return std::nullopt;
    return device->isPlugged();
}

VirtualMachine *VirtualHidHub::machine(const QString &serialNumber) const
{
    const VirtualHidDevice *device = deviceBySerialNumber(serialNumber);
    return device ? device->machine() : nullptr;
}

QStringList VirtualHidHub::machineIds() const
{
    QMutexLocker locker(&m_mutex);
    QStringList serialNumbers;
    for (const VirtualHidDevice *device : m_devices)
        serialNumbers.append(device->serialNumber());
    return serialNumbers;
}

void VirtualHidHub::setDefaultSpeed(double speed)
{
    if (speed > 0.0)
        m_defaultSpeed = speed;
}

bool VirtualHidHub::listenForControl(const QString &serverPath)
{
    delete m_control;
    m_control = new ControlServer(this, this);
    return m_control->listen(serverPath);
}

QString VirtualHidHub::controlServerPath() const
{
    return m_control ? m_control->serverPath() : QString();
}

QList<VirtualHidHub::DeviceInfo> VirtualHidHub::enumerate(quint16 vendorId, quint16 productId) const
{
    QMutexLocker locker(&m_mutex);
    ++m_enumerations;
    QList<DeviceInfo> found;
    for (const VirtualHidDevice *device : m_devices) {
        if (!device->isPlugged() || (vendorId != 0 && vendorId != device->vendorId()) ||
            (productId != 0 && productId != device->productId()))
            continue;
        found.append({device->path(), device->serialNumber(), device->productName(),
                      device->vendorId(), device->productId()});
    }
    return found;
}

std::shared_ptr<HidEndpoint> VirtualHidHub::open(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    VirtualHidDevice *device = deviceByPath(path);
    std::shared_ptr<HidEndpoint> endpoint = device ? device->open() : nullptr;
    if (endpoint)
        ++m_openHandles;
    return endpoint;
}

bool VirtualHidHub::write(const HidEndpoint &endpoint, const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    VirtualHidDevice *device = deviceByPath(endpoint.path());
    if (!device || !endpoint.isConnected())
        return false;
    // Queued to the machines' thread; dropped there if the device goes first.
    QMetaObject::invokeMethod(
        device, [device, report] { device->receiveReport(report); }, Qt::QueuedConnection);
    return true;
}

void VirtualHidHub::close(const std::shared_ptr<HidEndpoint> &endpoint)
{
    QMutexLocker locker(&m_mutex);
    --m_openHandles;
    if (VirtualHidDevice *device = deviceByPath(endpoint->path()))
        device->close(endpoint);
    else
        endpoint->disconnect();
}

int VirtualHidHub::enumerationCount() const
{
    return m_enumerations;
}

int VirtualHidHub::openHandleCount() const
{
    return m_openHandles;
}

VirtualHidDevice *VirtualHidHub::deviceBySerialNumber(const QString &serialNumber) const
{
    for (VirtualHidDevice *device : m_devices) {
        if (device->serialNumber() == serialNumber)
            return device;
    }
    return nullptr;
}

VirtualHidDevice *VirtualHidHub::deviceByPath(const QString &path) const
{
    for (VirtualHidDevice *device : m_devices) {
        if (device->path() == path)
            return device;
    }
    return nullptr;
}

QString VirtualHidHub::newSerialNumber(VirtualMachine::Model model)
{
    for (int number = m_machinesMade + 1;; ++number) {
        QString serialNumber;
        if (model == VirtualMachine::Vela8) {
            serialNumber =
                QStringLiteral("VELA8-%1").arg(number, SerialNumberDigitsV1, 10, QLatin1Char('0'));
        } else {
            QByteArray bytes(SerialPrefixV3);
            bytes.append(char(0)); // the 11 bytes: prefix, zero, number (big-endian)
            QByteArray numberBytes(sizeof(quint32), '\0');
            qToBigEndian(quint32(number), numberBytes.data());
            bytes.append(numberBytes);
            serialNumber = QString::fromLatin1(bytes.toHex().toUpper());
        }
        if (!deviceBySerialNumber(serialNumber))
            return serialNumber;
    }
}

QString VirtualHidHub::newMachineName(VirtualMachine::Model model) const
{
    return QStringLiteral("Virtual %1 %2")
        .arg(VirtualMachine::modelName(model))
        .arg(m_machinesMade + 1);
}
