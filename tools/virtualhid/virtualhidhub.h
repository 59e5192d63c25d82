#ifndef VIRTUALHIDHUB_H
#define VIRTUALHIDHUB_H

#include "machineconfig.h"
#include "machinerack.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

class ControlServer;
class HidEndpoint;
class VirtualHidDevice;
class VirtualMachine;

// The USB hub the virtual machines are plugged into. It lives on the
// machines' thread and owns the machines; plugging, unplugging and faults
// happen there. Enumeration, opening, writing and closing come from the
// program's threads and only take the hub's lock.
class VirtualHidHub : public QObject, public MachineRack
{
    Q_OBJECT

public:
    struct DeviceInfo
    {
        QString path;
        QString serialNumber;
        QString productName;
        quint16 vendorId = 0;
        quint16 productId = 0;
    };

    explicit VirtualHidHub(QObject *parent = nullptr);
    ~VirtualHidHub() override;

    // The machines' thread only.
    // Plugs in a new machine running at the default speed; its serial number, or "" on error.
    QString addMachine(const MachineConfig &config, QString *error) override;
    bool removeMachine(const QString &serialNumber) override;
    bool setPlugged(const QString &serialNumber, bool plugged) override;
    std::optional<bool> isPlugged(const QString &serialNumber) const override;
    QString pluggedName(bool plugged) const override;
    VirtualMachine *machine(const QString &serialNumber) const override;
    QStringList machineIds() const override;
    void setDefaultSpeed(double speed);
    // Listens for the control tool; false when the name is taken by a live server.
    bool listenForControl(const QString &serverPath);
    QString controlServerPath() const;

    // Any thread.
    QList<DeviceInfo> enumerate(quint16 vendorId, quint16 productId) const;
    std::shared_ptr<HidEndpoint> open(const QString &path);
    // One output report without its report id; false once the handle is broken.
    bool write(const HidEndpoint &endpoint, const QByteArray &report);
    void close(const std::shared_ptr<HidEndpoint> &endpoint);
    // Enumerations made so far, and handles open now: what tests count.
    int enumerationCount() const;
    int openHandleCount() const;

private:
    VirtualHidDevice *deviceBySerialNumber(const QString &serialNumber) const;
    VirtualHidDevice *deviceByPath(const QString &path) const;
    QString newSerialNumber(VirtualMachine::Model model);
    QString newMachineName(VirtualMachine::Model model) const;

    mutable QMutex m_mutex; // guards the device list
    QList<VirtualHidDevice *> m_devices;
    int m_machinesMade = 0;
    double m_defaultSpeed = 1.0;
    ControlServer *m_control = nullptr;
    mutable std::atomic<int> m_enumerations{0};
    std::atomic<int> m_openHandles{0};
};

#endif // VIRTUALHIDHUB_H
