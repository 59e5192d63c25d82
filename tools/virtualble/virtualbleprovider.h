#ifndef VIRTUALBLEPROVIDER_H
#define VIRTUALBLEPROVIDER_H

#include "bledevicesproviderinterface.h"
#include "virtualblecontrol.h"
#include "virtualbledevice.h"

#include <QMap>
#include <QPointer>

class QTimer;
class VirtualBleMachine;
struct MachineConfig;

// The root object of the virtual BLE plug-in: a scanner over virtual vela16
// machines on the air, announcing each machine in range as a device object
// and dropping the objects of machines a scan no longer sees, as the generic
// finder does with real ones. The machines named by
// THERMOX_VIRTUAL_BLE_MACHINES (MODEL[:SERIAL[:NAME]], comma-separated; one
// vela16 by default) are on the air from the start, their clocks running at
// THERMOX_VIRTUAL_SPEED (1 by default).
class VirtualBleProvider : public BLEDevicesProviderInterface, public VirtualBleControl
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.Vornell.Thermox.VirtualCorvex")
    Q_INTERFACES(BLEDevicesProviderInterface VirtualBleControl)

public:
    static constexpr int ScanMs = 3000;

    explicit VirtualBleProvider(QObject *parent = nullptr);

    QString addMachine(const QString &config, QString *error = nullptr) override;
    bool removeMachine(const QString &id) override;
    QStringList machineIds() const override;
    bool setInRange(const QString &id, bool inRange) override;
    bool setSpeed(const QString &id, double factor) override;
    QByteArray storedProgram(const QString &id) const override;
    void setRadioTiming(int connectMs, int linkLossMs, int scanMs) override;

public slots:
    bool scanActive() const override;
    void setScanActive(bool scanActive) override;
    void start() override;
    void stop() override;

private slots:
    void discoverMachinesInRange();
    void finishScan();

private:
    void addConfiguredMachines();
    QString addMachine(const MachineConfig &config, QString *error);
    QString newSerialNumber() const;
    void discover(VirtualBleMachine *machine);
    void announceNewDevice(VirtualBleMachine *machine);
    void onMachineInRangeChanged(VirtualBleMachine *machine, bool inRange);
    void onDeviceAvailableChanged(const QPointer<VirtualBleDevice> &device, bool available);

    QMap<QString, VirtualBleMachine *> m_machines;
    QMap<QString, QPointer<VirtualBleDevice>> m_devices;
    VirtualBleDevice::Timing m_timing;
    QTimer *const m_scanTimer;
    double m_speed = 1.0;
    int m_machinesMade = 0;
    bool m_scanActive = false;
};

#endif // VIRTUALBLEPROVIDER_H
