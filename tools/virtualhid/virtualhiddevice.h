#ifndef VIRTUALHIDDEVICE_H
#define VIRTUALHIDDEVICE_H

#include <QList>
#include <QMutex>
#include <QObject>

#include <memory>

class HidEndpoint;
class MachineWire;
class VirtualMachine;

// A virtual machine on the USB bus as an HID device: its ids and path, its
// open handles, and the wire that turns 64-byte reports into the machine's
// frames and back. Lives on the machines' thread; open, close and the
// plugged flag may be used from any thread.
class VirtualHidDevice : public QObject
{
    Q_OBJECT

public:
    static constexpr int ReportSize = 64;
    static constexpr quint16 VendorIdV1 = 0x16C0;
    static constexpr quint16 ProductIdV1 = 0x0487;
    static constexpr quint16 VendorIdV3 = 0x03EB;
    static constexpr quint16 ProductIdV3 = 0x2062;

    // Takes the machine over as its child.
    explicit VirtualHidDevice(VirtualMachine *machine, QObject *parent = nullptr);
    ~VirtualHidDevice() override;

    VirtualMachine *machine() const;
    quint16 vendorId() const;
    quint16 productId() const;
    QString path() const;
    QString serialNumber() const;
    QString productName() const;

    bool isPlugged() const;
    // A new handle; none while unplugged.
    std::shared_ptr<HidEndpoint> open();
    void close(const std::shared_ptr<HidEndpoint> &endpoint);

public slots:
    // Unplugging breaks every open handle: reads fail from then on.
    void setPlugged(bool plugged);
    // One output report without its report id.
    void receiveReport(const QByteArray &report);

private slots:
    void onFrameReady(const QByteArray &frame);

private:
    void disconnectAll();

    VirtualMachine *const m_machine;
    MachineWire *const m_wire;
    const QString m_path;
    const QString m_serialNumber;
    mutable QMutex m_mutex;
    QList<std::shared_ptr<HidEndpoint>> m_endpoints;
    bool m_plugged = true;
};

#endif // VIRTUALHIDDEVICE_H
