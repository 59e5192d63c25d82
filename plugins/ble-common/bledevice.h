#ifndef BLEDEVICE_H
#define BLEDEVICE_H

#include "bledeviceinterface.h"
#include "bleframeassembler.h"
#include "deviceavailablechecker.h"

#include <QBluetoothDeviceInfo>
#include <QDeadlineTimer>
#include <QLowEnergyController>
#include <QLowEnergyDescriptor>
#include <QLowEnergyService>
#include <optional>

class ConnectCall;
class QTimer;

// One thermocycler over Bluetooth Low Energy: connects (after checking that
// the machine advertises), finds the data service, subscribes to the notify
// characteristic, reassembles the notifications into transfer-protocol frames
// and writes frames without response. Keeps the link alive with a watchdog on
// incoming data and a reconnection window of bounded length; the whole set-up
// of one attempt is bounded too, since the toolkit puts no limit on service
// detail discovery. After a failure the object reports itself unavailable
// unless the latest scan saw the machine.
class BLEDevice : public BLEDeviceInterface
{
    Q_OBJECT
    Q_INTERFACES(BLEDeviceInterface)

public:
    // Every time limit of the link, in milliseconds. Tests shorten them.
    struct Timing
    {
        int watchdogMs = 5500;         // silence on a connected link
        int connectingMs = 15000;      // a controller connecting
        int reconnectMs = 1000;        // pause between reconnection attempts
        int reconnectWindowMs = 15000; // the whole reconnection window
        int setupMs = 20000;           // one attempt, up to "Notifications enabled"
        int availableCheckMs = DeviceAvailableChecker::DefaultDiscoveryMs;
    };

    explicit BLEDevice(const QBluetoothDeviceInfo &info, QObject *parent = nullptr);
    ~BLEDevice() override;

    void setTiming(const Timing &timing);
    // The machine as a newer scan saw it; a new name is announced.
    void updateDeviceInfo(const QBluetoothDeviceInfo &info);

public slots:
    bool isAvailable() const override;
    void setAvailable(bool available) override;
    void setFoundByFinder(bool found) override;
    bool connectDevice() override;
    void disconnectDevice() override;
    bool isInitializing() const override;
    bool isInitialized() const override;
    int controllerState() const override;
    QString id() const override;
    QString name() const override;
    bool write(const char *data, int size) override;

private slots:
    void onWatchdogTimeout();
    void onConnectingTimeout();
    void onReconnectingTimeout();
    void onSetupTimeout();
    void onDeviceAvailable();
    void onDeviceUnavailable();
    void onControllerStateChanged(QLowEnergyController::ControllerState state);
    void onControllerConnected();
    void onControllerDisconnected();
    void onControllerError(QLowEnergyController::Error error);
    void onServiceDiscovered(const QBluetoothUuid &uuid);
    void onServiceStateChanged(QLowEnergyService::ServiceState state);
    void onServiceError(QLowEnergyService::ServiceError error);
    void onCharacteristicWritten(const QLowEnergyCharacteristic &characteristic,
                                 const QByteArray &value);
    void onDescriptorWritten(const QLowEnergyDescriptor &descriptor, const QByteArray &value);
    void onCharacteristicChanged(const QLowEnergyCharacteristic &characteristic,
                                 const QByteArray &value);

private:
    QTimer *createTimer(void (BLEDevice::*onTimeout)());
    void createController();
    void removeController();
    void createService(const QBluetoothUuid &uuid);
    void removeService();
    void subscribe();
    void onNotificationsEnabled();
    void handleProblem();
    void failAndClose();
    void markUnavailable();
    void resetLink(bool forceDisconnect);
    void closeLink();
    void reconnect();
    bool isReconnecting() const;
    void closeReconnectionWindow();

    bool m_initialized = false;
    bool m_available = false;
    bool m_initializing = false;
    bool m_foundByFinder = false;
    QBluetoothDeviceInfo m_info;
    QLowEnergyController *m_controller = nullptr;
    QLowEnergyService *m_service = nullptr;
    QLowEnergyDescriptor m_descriptor;
    BleFrameAssembler m_receiver;
    ConnectCall *m_connectCall = nullptr;
    DeviceAvailableChecker m_checker;
    Timing m_timing;
    QTimer *const m_watchdog;
    QTimer *const m_connectingTimer;
    QTimer *const m_reconnectTimer;
    QTimer *const m_setupTimer;
    // Set while the reconnection window is open.
    std::optional<QDeadlineTimer> m_reconnectDeadline;
};

#endif // BLEDEVICE_H
