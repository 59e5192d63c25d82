#include "virtualhiddevice.h"

#include "hidendpoint.h"
#include "machinewire.h"
#include "virtualmachine.h"

#include <QDebug>

namespace {

// HID reports have a fixed size; shorter data is padded with zeros.
QByteArray toReportSize(QByteArray data)
{
    if (data.size() < VirtualHidDevice::ReportSize)
        data.append(QByteArray(VirtualHidDevice::ReportSize - data.size(), '\0'));
    return data.left(VirtualHidDevice::ReportSize);
}

} // namespace

VirtualHidDevice::VirtualHidDevice(VirtualMachine *machine, QObject *parent)
    : QObject(parent)
    , m_machine(machine)
    , m_wire(machine->createWire(ReportSize, this))
    , m_path(QStringLiteral("virtualhid:") + machine->serialNumber())
    , m_serialNumber(machine->serialNumber())
{
    machine->setParent(this);
    connect(m_wire, &MachineWire::frameReady, this, &VirtualHidDevice::onFrameReady);
}

VirtualHidDevice::~VirtualHidDevice()
{
    disconnectAll();
}

VirtualMachine *VirtualHidDevice::machine() const
{
    return m_machine;
}

quint16 VirtualHidDevice::vendorId() const
{
    return m_machine->firmware() == 1 ? VendorIdV1 : VendorIdV3;
}

quint16 VirtualHidDevice::productId() const
{
    return m_machine->firmware() == 1 ? ProductIdV1 : ProductIdV3;
}

QString VirtualHidDevice::path() const
{
    return m_path;
}

QString VirtualHidDevice::serialNumber() const
{
    return m_serialNumber;
}

QString VirtualHidDevice::productName() const
{
    return m_machine->modelName();
}

bool VirtualHidDevice::isPlugged() const
{
    QMutexLocker locker(&m_mutex);
    return m_plugged;
}

std::shared_ptr<HidEndpoint> VirtualHidDevice::open()
{
    QMutexLocker locker(&m_mutex);
    if (!m_plugged)
        return nullptr;
    auto endpoint = std::make_shared<HidEndpoint>(m_path, m_serialNumber);
    m_endpoints.append(endpoint);
    if (m_endpoints.size() == 1)
        QMetaObject::invokeMethod(m_wire, &MachineWire::openLink, Qt::QueuedConnection);
    return endpoint;
}

void VirtualHidDevice::close(const std::shared_ptr<HidEndpoint> &endpoint)
{
    endpoint->disconnect();
    QMutexLocker locker(&m_mutex);
    if (m_endpoints.removeOne(endpoint) && m_endpoints.isEmpty())
        QMetaObject::invokeMethod(m_wire, &MachineWire::closeLink, Qt::QueuedConnection);
}

void VirtualHidDevice::setPlugged(bool plugged)
{
    {
        QMutexLocker locker(&m_mutex);
        if (plugged == m_plugged)
            return;
        m_plugged = plugged;
    }
    qInfo().noquote() << m_serialNumber << (plugged ? "plugged in" : "unplugged");
    if (!plugged)
        disconnectAll();
}

void VirtualHidDevice::receiveReport(const QByteArray &report)
{
    m_wire->receiveFrame(toReportSize(report));
}

void VirtualHidDevice::onFrameReady(const QByteArray &frame)
{
    const QByteArray report = toReportSize(frame);
    QMutexLocker locker(&m_mutex);
    for (const auto &endpoint : qAsConst(m_endpoints))
        endpoint->push(report);
}

void VirtualHidDevice::disconnectAll()
{
    QList<std::shared_ptr<HidEndpoint>> endpoints;
    {
        QMutexLocker locker(&m_mutex);
        endpoints.swap(m_endpoints);
    }
    for (const auto &endpoint : qAsConst(endpoints))
        endpoint->disconnect();
    if (!endpoints.isEmpty())
        m_wire->closeLink();
}
