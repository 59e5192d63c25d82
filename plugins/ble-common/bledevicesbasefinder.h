#ifndef BLEDEVICESBASEFINDER_H
#define BLEDEVICESBASEFINDER_H

#include "bledevicesproviderinterface.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QMap>
#include <QPointer>
#include <QStringList>

class BLEDevice;

// Finds thermocyclers with the toolkit's discovery agent: one low-energy scan
// per start(), announcing every machine that advertises the data service and
// reviewing, when the scan ends, the machines it missed. A missed machine
// that is neither connected nor connecting is dropped; the others keep their
// object. After an agent error every machine is dropped and scanning resumes
// by itself after a pause, unless stopped meanwhile.
class BLEDevicesBaseFinder : public BLEDevicesProviderInterface
{
    Q_OBJECT

public:
    static constexpr int DefaultScanMs = 3000;
    static constexpr int DefaultRestartMs = 2000;

    explicit BLEDevicesBaseFinder(QObject *parent = nullptr);
    ~BLEDevicesBaseFinder() override;

    // How long one scan lasts and how long the pause after an agent error
    // is. Tests shorten them.
    void setIntervals(int scanMs, int restartMs);

public slots:
    bool scanActive() const override;
    void setScanActive(bool scanActive) override;
    void start() override;
    void stop() override;

    virtual void deviceDiscovered(const QBluetoothDeviceInfo &info);
    virtual void velaDeviceDiscovered(const QBluetoothDeviceInfo &info, const QString &id);

    void scan();
    void addDevice(const QBluetoothDeviceInfo &info);
    void markDeviceAsUnavailable(const QString &deviceId);
    void checkDevicesAndMarkAsUnavailable();
    void markAllAvailableDevicesAsUnavailable();
    void onDeviceDiscoveryAgentError(QBluetoothDeviceDiscoveryAgent::Error error);
    void onDeviceDiscoveryAgentFinished();

private:
    void initializeDeviceDiscoveryAgent();
    void startDiscovery();
    void announceNewDevice(const QBluetoothDeviceInfo &info, const QString &id);
    void forget(const QString &id);
    // Queued from the device: it may have been deleted meanwhile.
    void onDeviceAvailableChanged(const QPointer<BLEDevice> &device, bool available);

    QBluetoothDeviceDiscoveryAgent *m_agent = nullptr;
    QMap<QString, QPointer<BLEDevice>> m_devices;
    QMap<QString, bool> m_availableDevices;
    QStringList m_currentIterationDevices;
    int m_scanMs = DefaultScanMs;
    int m_restartMs = DefaultRestartMs;
    bool m_scanActive = false;
    bool m_stopped = false;
};

#endif // BLEDEVICESBASEFINDER_H
