#ifndef DEVICECHECKER_H
#define DEVICECHECKER_H

#include "hiddevicedescription.h"

#include "utils/pcrconst.h"

#include <QObject>
#include <QThread>
#include <QTimer>

// Finds the thermocyclers on USB: every interval, a thread of the checker's
// own enumerates the HID devices of both firmware generations and reports
// every machine present, known or new.
//
// The enumerating thread copies what it found into values and queues them
// to the thread that created the checker (the GUI thread), which emits
// hidDevicesDetected there. Neither thread ever waits for the other.
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
    void hidDevicesDetected(HidDeviceDescriptions devices, PCRConst::ConnectionType type);
    // Declared for the application core's emulation entry; never emitted here.
    void emulateDevices();

private slots:
    // One enumeration pass, on the checker's thread.
    void check();

private:
    // On the checker's thread: queues the machines found to this object's thread.
    void handOver(const HidDeviceDescriptions &devices, PCRConst::ConnectionType type);

    QThread m_thread;
    QTimer m_timer;           // lives on m_thread
    bool m_reporting = false; // read and written on this object's thread only
};

#endif // DEVICECHECKER_H
