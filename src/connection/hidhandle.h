#ifndef HIDHANDLE_H
#define HIDHANDLE_H

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <atomic>
#include <optional>

#include <hidapi.h>

// The HID device a USB connection has opened. Opened, read, written and
// closed on the connection's own thread; isOpen() may be asked from any
// thread, because the GUI thread asks whether the transport is open.
// Reading, writing and asking a closed handle fail.
class HidHandle
{
public:
    // Bytes of a report, without the report id.
    static constexpr int ReportSize = 64;
    // Report id 0 in front of the 64 bytes of an output report.
    static constexpr int OutputReportSize = ReportSize + 1;
    // As many input reports as the hidraw driver keeps for a reader. A poll
    // reads no more, so that a machine that never stops sending cannot keep
    // its connection's thread from its other work.
    static constexpr int MaxReportsPerPoll = 64;

    HidHandle() = default;
    ~HidHandle();
    HidHandle(const HidHandle &) = delete;
    HidHandle &operator=(const HidHandle &) = delete;

    // hid_init(), with the warning "Can't do hid_init()" when it fails.
    static void initializeLibrary();
    // hidapi keeps one process-wide error text that hid_init, hid_enumerate,
    // hid_open_path and hid_close replace without a lock of their own; every
    // thread calls them under this one.
    static QMutex &libraryLock();

    // Opens the device at path; a handle opened before is closed first.
    bool open(const QByteArray &path);
    void close();
    bool isOpen() const;
    bool setNonBlocking();
    // The device's serial-number string; none when it cannot be read.
    std::optional<QString> serialNumber() const;

    // The bytes of the next waiting input report, exactly as many as were
    // read; empty when none waits; none on a read error.
    std::optional<QByteArray> readReport();
    // Writes one whole output report, logging the outcome.
    bool writeReport(const QByteArray &report);
    // The HID library's text for the last error on this handle.
    QString errorText() const;

private:
    std::atomic<hid_device *> m_device{nullptr};
};

#endif // HIDHANDLE_H
