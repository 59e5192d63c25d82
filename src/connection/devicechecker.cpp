#include "devicechecker.h"

#include "hidhandle.h"

#include "utils/crashhandler.h"

namespace {

// Copies an enumeration into values and frees it.
HidDeviceDescriptions takeEnumeration(hid_device_info *enumeration)
{
    HidDeviceDescriptions devices;
    for (const hid_device_info *device = enumeration; device; device = device->next)
        devices.append(HidDeviceDescription::fromHidInfo(*device));
    hid_free_enumeration(enumeration);
    return devices;
}

} // namespace

DeviceChecker::DeviceChecker(QObject *parent, int intervalMs)
    : QObject(parent)
{
    qRegisterMetaType<HidDeviceDescriptions>("HidDeviceDescriptions");
    qRegisterMetaType<PCRConst::ConnectionType>("PCRConst::ConnectionType");
    m_thread.setObjectName(QStringLiteral("DeviceChecker"));
    m_timer.setInterval(intervalMs);
    m_timer.moveToThread(&m_thread);
    CrashHandler::installThreadStackOnStart(&m_thread);
    // The timer lives on the checker's thread, so the pass runs there.
    connect(&m_timer, &QTimer::timeout, this, &DeviceChecker::check, Qt::DirectConnection);
    connect(&m_thread, &QThread::started, &m_timer, qOverload<>(&QTimer::start));
    connect(&m_thread, &QThread::finished, &m_timer, &QTimer::stop);
}

DeviceChecker::~DeviceChecker()
{
    stop();
    m_thread.quit();
    // Not bounded by a time-out: destroying a running thread aborts the
    // process. A pass never waits for anyone, so the thread ends with it;
    // what it queued for this object goes with this object.
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
    handOver(takeEnumeration(firmwareV1), PCRConst::CT_USB_Firmware_V1);
    handOver(takeEnumeration(firmwareV3), PCRConst::CT_USB_Firmware_V3);
}

void DeviceChecker::handOver(const HidDeviceDescriptions &devices, PCRConst::ConnectionType type)
{
    if (devices.isEmpty())
        return;
    // Checked where stop() sets it: a pass under way when stop() comes reports nothing.
    QMetaObject::invokeMethod(
        this,
        [this, devices, type] {
            if (m_reporting)
                emit hidDevicesDetected(devices, type);
        },
        Qt::QueuedConnection);
}
