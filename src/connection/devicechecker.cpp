#include "devicechecker.h"

#include "hidhandle.h"

#include <QDebug>

namespace {

QList<hid_device_info *> listOf(hid_device_info *enumeration)
{
    QList<hid_device_info *> devices;
    for (hid_device_info *device = enumeration; device; device = device->next)
        devices.append(device);
    return devices;
}

} // namespace

DeviceChecker::DeviceChecker(QObject *parent, int intervalMs)
    : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("DeviceChecker"));
    m_timer.setInterval(intervalMs);
    m_timer.moveToThread(&m_thread);
    // The timer lives on the checker's thread, so the pass runs there.
    connect(&m_timer, &QTimer::timeout, this, &DeviceChecker::check, Qt::DirectConnection);
    connect(&m_thread, &QThread::started, &m_timer, qOverload<>(&QTimer::start));
    connect(&m_thread, &QThread::finished, &m_timer, &QTimer::stop);
}

DeviceChecker::~DeviceChecker()
{
    stop();
    {
        // A pass waiting for its hand-over would wait for an event loop
        // that no longer runs (the core goes after the loop has ended).
        QMutexLocker locker(&m_handOverMutex);
        m_closing = true;
        m_handOverDone.wakeAll();
    }
    m_thread.quit();
    // Not bounded by a time-out: destroying a running thread aborts the
    // process, and with the hand-over cancelled the thread finishes its
    // enumeration, if any, and stops.
    m_thread.wait();
}

void DeviceChecker::start()
{
    m_reporting = true;
    if (!m_thread.isRunning()) {
        m_thread.start(QThread::LowestPriority);
        return;
    }
    QMetaObject::invokeMethod(&m_timer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

void DeviceChecker::stop()
{
    m_reporting = false;
    QMetaObject::invokeMethod(&m_timer, &QTimer::stop, Qt::QueuedConnection);
}

void DeviceChecker::check()
{
    hid_device_info *firmwareV1 = nullptr;
    hid_device_info *firmwareV3 = nullptr;
    {
        QMutexLocker locker(&HidHandle::libraryLock());
        firmwareV1 = hid_enumerate(VendorIdV1, ProductIdV1);
        firmwareV3 = hid_enumerate(VendorIdV3, ProductIdV3);
    }
    handOver(firmwareV1, PCRConst::CT_USB_Firmware_V1);
    hid_free_enumeration(firmwareV1);
    handOver(firmwareV3, PCRConst::CT_USB_Firmware_V3);
    hid_free_enumeration(firmwareV3);
}

void DeviceChecker::handOver(hid_device_info *enumeration, PCRConst::ConnectionType type)
{
    const QList<hid_device_info *> devices = listOf(enumeration);
    if (devices.isEmpty())
        return;
    QMutexLocker locker(&m_handOverMutex);
    if (m_closing)
        return;
    m_handOverPending = true;
    QMetaObject::invokeMethod(
        this, [this, devices, type] { deliver(devices, type); }, Qt::QueuedConnection);
    while (m_handOverPending && !m_closing)
        m_handOverDone.wait(&m_handOverMutex);
}

void DeviceChecker::deliver(const QList<hid_device_info *> &devices, PCRConst::ConnectionType type)
{
    if (m_reporting)
        emit hidDevicesDetected(devices, type);
    QMutexLocker locker(&m_handOverMutex);
    m_handOverPending = false;
    m_handOverDone.wakeAll();
}
