#ifndef HIDENDPOINT_H
#define HIDENDPOINT_H

#include <QByteArray>
#include <QMutex>
#include <QQueue>
#include <QString>
#include <QWaitCondition>

#include <string>

// The host's end of one open HID handle: the input reports the machine has
// sent and the reader has not yet taken, as the kernel buffers them for a
// hidraw handle. Thread-safe: the machines' thread pushes, the reader's
// thread reads, and an unplug wakes a waiting reader with an error.
class HidEndpoint
{
public:
    // As many reports as the hidraw driver keeps for a reader; the oldest go first.
    static constexpr int MaxQueuedReports = 64;

    HidEndpoint(const QString &path, const QString &serialNumber);

    QString path() const;
    QString serialNumber() const;

    void push(const QByteArray &report);
    // Copies one report (at most length bytes). 0 when none arrived in
    // time (timeoutMs -1 waits for ever), -1 once the device is gone.
    int read(unsigned char *data, size_t length, int timeoutMs);
    void disconnect();
    bool isConnected() const;

    void setNonBlocking(bool nonBlocking);
    bool isNonBlocking() const;

    // The text hid_error gives for this handle; it stays valid until the
    // next error on the handle.
    void setError(const QString &error);
    const wchar_t *errorText() const;

private:
    const QString m_path;
    const QString m_serialNumber;
    mutable QMutex m_mutex;
    QWaitCondition m_reportArrived;
    QQueue<QByteArray> m_reports;
    bool m_connected = true;
    bool m_nonBlocking = false;
    std::wstring m_error;
};

#endif // HIDENDPOINT_H
