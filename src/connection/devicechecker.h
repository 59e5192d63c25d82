#ifndef DEVICECHECKER_H
#define DEVICECHECKER_H

#include "utils/pcrconst.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>

#include <hidapi.h>

// Finds the thermocyclers on USB: every interval, a thread of the checker's
// own enumerates the HID devices of both firmware generations and reports
// every machine present, known or new.
//
// The checker itself lives on the thread that creates it (the GUI thread)
// and emits hidDevicesDetected there, while the enumerating thread waits
// until the receivers have returned: the descriptions are valid only during
// that call, so receivers copy what they keep. Connect it directly (the
// default); a blocking queued connection would wait on its own thread.
class DeviceChecker : public QObject
{
    Q_OBJECT

public:
    static constexpr int CheckIntervalMs = 2000;
    static constexpr quint16 VendorIdV1 = 0x16C0;
    static constexpr quint16 ProductIdV1 = 0x0487;
    static constexpr quint16 VendorIdV3 = 0x03EB;
    static constexpr quint16 ProductIdV3 = 0x2062;

    explicit DeviceChecker(QObject *parent = nullptr, int intervalMs = CheckIntervalMs);
    ~DeviceChecker() override;

public slots:
    // Starts the checker's thread at the lowest priority, or the timer again after stop().
    void start();
    // No pass starts, and no result is reported, after this.
    void stop();

signals:
    // One signal per firmware generation with machines present, firmware 1 first.
    void hidDevicesDetected(QList<hid_device_info *> devices, PCRConst::ConnectionType type);
    // Declared for the application core's emulation entry; never emitted here.
    void emulateDevices();

private slots:
    // One enumeration pass, on the checker's thread.
    void check();

private:
    // On the checker's thread: hands the machines found to this object's
    // thread and waits until they have been reported (or the checker closes).
    void handOver(hid_device_info *enumeration, PCRConst::ConnectionType type);
    void deliver(const QList<hid_device_info *> &devices, PCRConst::ConnectionType type);

    QThread m_thread;
    QTimer m_timer; // lives on m_thread
    bool m_reporting = false;

    QMutex m_handOverMutex; // guards the two flags below
    QWaitCondition m_handOverDone;
    bool m_handOverPending = false;
    bool m_closing = false;
};

#endif // DEVICECHECKER_H
