// The hidapi functions the program calls, answered by the virtual USB bus.
// Declarations and structures are hidapi's own, so the unchanged program
// runs on this library when it is preloaded, and tests link it in place of
// hidapi.

#include "hidendpoint.h"
#include "virtualhidbus.h"
#include "virtualhidhub.h"

#include <hidapi/hidapi.h>

#include <QMutex>

#include <cstdlib>
#include <cstring>
#include <string>

struct hid_device_
{
    std::shared_ptr<HidEndpoint> endpoint;
};

namespace {

constexpr unsigned short ReleaseNumber = 0x0100;
constexpr int ReportIdSize = 1;
constexpr int MaxOutputReportSize = ReportIdSize + 64;

QMutex globalErrorMutex;
std::wstring globalError = L"Success";

void setGlobalError(const wchar_t *error)
{
    QMutexLocker locker(&globalErrorMutex);
    globalError = error;
}

wchar_t *copyOf(const QString &text)
{
    const std::wstring wide = text.toStdWString();
    auto *copy = static_cast<wchar_t *>(std::calloc(wide.size() + 1, sizeof(wchar_t)));
    std::wmemcpy(copy, wide.c_str(), wide.size());
    return copy;
}

hid_device_info *newDeviceInfo(const VirtualHidHub::DeviceInfo &device)
{
    auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
    info->path = strdup(device.path.toLatin1().constData());
    info->vendor_id = device.vendorId;
    info->product_id = device.productId;
    info->serial_number = copyOf(device.serialNumber);
    info->release_number = ReleaseNumber;
    info->manufacturer_string = copyOf(QStringLiteral("Virtual thermocycler"));
    info->product_string = copyOf(device.productName);
    info->interface_number = 0;
    info->bus_type = HID_API_BUS_USB;
    return info;
}

} // namespace

extern "C" {

int HID_API_EXPORT hid_init(void)
{
    VirtualHidBus::instance();
    return 0;
}

int HID_API_EXPORT hid_exit(void)
{
    // The machines stay plugged in; hidapi only frees its own state here.
    return 0;
}

struct hid_device_info HID_API_EXPORT *hid_enumerate(unsigned short vendor_id,
                                                     unsigned short product_id)
{
    const auto devices = VirtualHidBus::instance().withHub([=](VirtualHidHub *hub) {
        return hub ? hub->enumerate(vendor_id, product_id) : QList<VirtualHidHub::DeviceInfo>();
    });
    hid_device_info *first = nullptr;
    hid_device_info **link = &first;
    for (const auto &device : devices) {
        *link = newDeviceInfo(device);
        link = &(*link)->next;
    }
    return first;
}

void HID_API_EXPORT hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs) {
        hid_device_info *next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

hid_device HID_API_EXPORT *hid_open_path(const char *path)
{
    if (!path)
        return nullptr;
    auto endpoint = VirtualHidBus::instance().withHub([path](VirtualHidHub *hub) {
        return hub ? hub->open(QString::fromLatin1(path)) : nullptr;
    });
    if (!endpoint) {
        setGlobalError(L"No such device");
        return nullptr;
    }
    setGlobalError(L"Success");
    return new hid_device{endpoint};
}

int HID_API_EXPORT hid_set_nonblocking(hid_device *dev, int nonblock)
{
    dev->endpoint->setNonBlocking(nonblock != 0);
    return 0;
}

int HID_API_EXPORT hid_read_timeout(hid_device *dev, unsigned char *data, size_t length,
                                    int milliseconds)
{
    return dev->endpoint->read(data, length, milliseconds);
}

int HID_API_EXPORT hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    return hid_read_timeout(dev, data, length, dev->endpoint->isNonBlocking() ? 0 : -1);
}

int HID_API_EXPORT hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    if (!data || length < size_t(ReportIdSize) || length > size_t(MaxOutputReportSize)) {
        dev->endpoint->setError(QStringLiteral("Output report of %1 bytes refused").arg(length));
        return -1;
    }
    // The first byte is the report id; the machine gets the report itself.
    const QByteArray report(reinterpret_cast<const char *>(data) + ReportIdSize,
                            int(length) - ReportIdSize);
    const bool written = VirtualHidBus::instance().withHub(
        [dev, &report](VirtualHidHub *hub) { return hub && hub->write(*dev->endpoint, report); });
    if (!written) {
        dev->endpoint->setError(QStringLiteral("The device is disconnected"));
        return -1;
    }
    return int(length);
}

int HID_API_EXPORT_CALL hid_get_serial_number_string(hid_device *dev, wchar_t *string,
                                                     size_t maxlen)
{
    if (!string || maxlen == 0)
        return -1;
    const std::wstring serialNumber = dev->endpoint->serialNumber().toStdWString();
    const size_t count = qMin(serialNumber.size(), maxlen - 1);
    std::wmemcpy(string, serialNumber.c_str(), count);
    string[count] = L'\0';
    return 0;
}

HID_API_EXPORT const wchar_t *HID_API_CALL hid_error(hid_device *dev)
{
    if (dev)
        return dev->endpoint->errorText();
    QMutexLocker locker(&globalErrorMutex);
    return globalError.c_str();
}

void HID_API_EXPORT hid_close(hid_device *dev)
{
    if (!dev)
        return;
    VirtualHidBus::instance().withHub([dev](VirtualHidHub *hub) {
        if (hub)
            hub->close(dev->endpoint);
    });
    delete dev;
}

} // extern "C"
