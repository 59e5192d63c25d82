#include "scriptedhid.h"

#include <cstring>
#include <list>

struct hid_device_
{
    ScriptedHid::Device *device;
};

namespace ScriptedHid {

namespace {

std::list<Device> &devices()
{
    static std::list<Device> all;
    return all;
}

QStringList &eventLog()
{
    static QStringList log;
    return log;
}

Device *deviceAt(const char *path)
{
    for (Device &device : devices()) {
        if (path && device.path == path)
            return &device;
    }
    return nullptr;
}

} // namespace

HidDeviceDescription Device::description() const
{
    return {path, serialNumber, 0, 0};
}

Device &addDevice(const QByteArray &path, const QString &serialNumber)
{
    devices().emplace_back();
    Device &device = devices().back();
    device.path = path;
    device.serialNumber = serialNumber;
    return device;
}

void removeAll()
{
    devices().clear();
    eventLog().clear();
}

QStringList events()
{
    return eventLog();
}

void mark(const QString &event)
{
    eventLog().append(event);
}

} // namespace ScriptedHid

using ScriptedHid::Device;

extern "C" {

int hid_init(void)
{
    return 0;
}

int hid_exit(void)
{
    return 0;
}

hid_device_info *hid_enumerate(unsigned short, unsigned short)
{
    return nullptr;
}

void hid_free_enumeration(hid_device_info *) {}

hid_device *hid_open_path(const char *path)
{
    Device *device = ScriptedHid::deviceAt(path);
    if (!device || device->openFails)
        return nullptr;
    device->open = true;
    return new hid_device{device};
}

void hid_close(hid_device *handle)
{
    handle->device->open = false;
    delete handle;
}

int hid_set_nonblocking(hid_device *handle, int nonblock)
{
    if (handle->device->nonBlockingFails)
        return -1;
    handle->device->nonBlocking = nonblock != 0;
    return 0;
}

int hid_read(hid_device *handle, unsigned char *data, size_t length)
{
    Device &device = *handle->device;
    int result = 0;
    if (device.readFails) {
        result = -1;
    } else if (!device.input.isEmpty()) {
        const QByteArray report = device.input.takeFirst();
        result = int(qMin(length, size_t(report.size())));
        std::memcpy(data, report.constData(), size_t(result));
    }
    ScriptedHid::mark(QStringLiteral("read %1").arg(result));
    return result;
}

int hid_write(hid_device *handle, const unsigned char *data, size_t length)
{
    if (handle->device->writeFails)
        return -1;
    handle->device->written.append(QByteArray(reinterpret_cast<const char *>(data), int(length)));
    return int(length);
}

int hid_get_serial_number_string(hid_device *handle, wchar_t *string, size_t maxlen)
{
    if (handle->device->serialNumberFails || maxlen == 0)
        return -1;
    const std::wstring text = handle->device->serialNumber.toStdWString();
    const size_t count = qMin(text.size(), maxlen - 1);
    std::wmemcpy(string, text.c_str(), count);
    string[count] = L'\0';
    return 0;
}

const wchar_t *hid_error(hid_device *handle)
{
    return handle ? L"Scripted device error" : L"No such device";
}

} // extern "C"
