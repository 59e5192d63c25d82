#include "hidhandle.h"

#include <QDebug>

namespace {
constexpr int MaxSerialNumberLength = 255;
} // namespace

HidHandle::~HidHandle()
{
    close();
}

QMutex &HidHandle::libraryLock()
{
    static QMutex lock;
    return lock;
}

void HidHandle::initializeLibrary()
{
    QMutexLocker locker(&libraryLock());
    if (hid_init() < 0)
        qWarning() << "Can't do hid_init()";
}

bool HidHandle::open(const QByteArray &path)
{
    close();
    QMutexLocker locker(&libraryLock());
    m_device = hid_open_path(path.constData());
    return isOpen();
}

void HidHandle::close()
{
    if (hid_device *device = m_device.exchange(nullptr)) {
        QMutexLocker locker(&libraryLock());
        hid_close(device);
    }
}

bool HidHandle::isOpen() const
{
    return m_device.load() != nullptr;
}

bool HidHandle::setNonBlocking()
{
    hid_device *device = m_device;
    return device && hid_set_nonblocking(device, 1) >= 0;
}

std::optional<QString> HidHandle::serialNumber() const
{
    // One more for the terminating zero, which hidapi always writes.
    wchar_t text[MaxSerialNumberLength + 1] = {};
    hid_device *device = m_device;
    if (!device || hid_get_serial_number_string(device, text, MaxSerialNumberLength + 1) < 0)
        return std::nullopt;
    return QString::fromWCharArray(text);
}

std::optional<QByteArray> HidHandle::readReport()
{
    hid_device *device = m_device;
    unsigned char buffer[ReportSize] = {};
    const int count = device ? hid_read(device, buffer, ReportSize) : -1;
    if (count < 0)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(buffer), count);
}

bool HidHandle::writeReport(const QByteArray &report)
{
    hid_device *device = m_device;
    const int written =
        device ? hid_write(device, reinterpret_cast<const unsigned char *>(report.constData()),
                           size_t(report.size()))
               : -1;
    if (written < 0) {
        qWarning().noquote() << "HID write error" << errorText();
        return false;
    }
    qDebug() << "HID written_bytes" << written;
    return true;
}

QString HidHandle::errorText() const
{
    const wchar_t *text = hid_error(m_device);
    return text ? QString::fromWCharArray(text) : QString();
}
