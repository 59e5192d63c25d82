#ifndef PCRDEVICE_H
#define PCRDEVICE_H

#include "connectionhost.h"
#include "devicerecord.h"
#include "devicestatecontroller.h"
#include "program/program.h"
#include "runclock.h"
#include "steptracker.h"

#include "connection/hiddevicedescription.h"
#include "connection/statereport.h"
#include "containers/chartdata.h"
#include "containers/dnachartdatacontainer.h"
#include "containers/tempchartdatacontainer.h"
#include "utils/pcrconst.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QString>
#include <QTimer>

#include <memory>

class BLEDeviceInterface;
class Connection;

// The application's object for one thermocycler, connected now or only
// remembered: its identity, the one connection it owns, the program it holds
// for the machine, the run's progress and its two chart series. The user's
// run commands become requested states through its DeviceStateController.
//
// Its ConnectionHost keeps the connection (a USB one on a thread of its
// own) and reaches it only through queued calls; the device hears the
// connection's signals queued, through the host's context object, so that
// nothing from a replaced connection arrives afterwards. The record format
// is DeviceRecord's, the run's time accounting RunClock's.
class PCRDevice : public QObject
{
    Q_OBJECT

public:
    static constexpr int InitTimeoutMs = 15000;
    // A reported program whose run started this close to the one shown is the same run.
    static constexpr qint64 SameRunToleranceMs = 10000;

    // From a device record; offline until the machine is found again.
    PCRDevice(const QJsonObject &record, bool manual, QObject *parent = nullptr);
    // A USB machine, as device detection found it.
    PCRDevice(const HidDeviceDescription &description, PCRConst::ConnectionType type,
              QObject *parent = nullptr);
    // A BLE machine; connects at once.
    PCRDevice(BLEDeviceInterface *bleDevice, PCRConst::ConnectionType type, bool manual,
              QObject *parent = nullptr);
    // An emulated machine.
    PCRDevice(PCRConst::ConnectionType type, bool manual, QObject *parent = nullptr);
    // Disconnects the connection and stops its thread first.
    ~PCRDevice() override;

    // The device record, as stored in the devices file.
    QJsonObject toJson() const;
    DeviceRecord record() const;
    static bool validateDeviceJson(const QJsonObject &record);

    // Replaces the connection by a new one of the device's type and starts it.
    void deviceInit();
    // The machine was detected again on USB.
    void reconnect(const HidDeviceDescription &description);
    // Connects again over the BLE link, if there is one.
    void connectDevice();
    // With now, the connection is dropped at once; without, it stays to connect again.
    void disconnectDevice(bool now);
    // A link to the machine from the BLE plug-in; connects unless the user disconnected.
    void setBleDevice(BLEDeviceInterface *bleDevice);
    bool matchesHid(const HidDeviceDescription &description) const;
    bool matchesBle(const BLEDeviceInterface *bleDevice) const;

    // The program the machine reports it runs (the library's object).
    void setActiveProgram(const ProgramPtr &program);
    void uploadProgram(const ProgramPtr &program);
    // Asks the machine to take the name; the device shows it once the
    // machine confirms it (as it was cut to fit). False while offline.
    bool setMachineName(const QString &name);
    void setAutoStartOn(bool on);
    // What an earlier run knew of the machine, shown until the machine tells
    // its own; nothing is sent to the machine.
    void showStoredIdentity(const QString &machineName, const QString &modelName,
                            const QString &firmware, const QString &serialNumber, bool autoStartOn);
    void getProgramFromDevice();
    // Firmware 1 is initialised once its program has been read.
    void setDeviceInitialized();

    int deviceId() const;
    Q_INVOKABLE QString machineName() const;
    QString modelName() const;
    QString firmware() const;
    QString serialNumber() const;
    bool autoStartOn() const;
    PCRConst::ConnectionType connectionType() const;
    // "USB", "BLE", "EMUL" or "".
    QString connectionTypeName() const;
    bool isFirmwareV1() const;
    QString bleId() const;
    QString bleName() const;
    // The BLE link, while the plug-in keeps it.
    BLEDeviceInterface *bleDevice() const;

    bool isConnected() const;
    bool isConnectionInitialized() const;
    // Connected and initialised.
    bool isOnline() const;
    bool isConnecting() const;
    bool isDisconnecting() const;
    bool isInitializing() const;
    bool isDisconnectedByUser() const;
    // A connection has finished initialisation since the last disconnect.
    bool wasInitialized() const;
    bool isEepromBusy() const;
    bool isDeviceBusy() const;
    float powerVoltage() const;
    bool isPowered() const;
    float blockTemperature() const;
    float lidTemperature() const;
    float sampleTemperature() const;

    // The library's program last handed over, and the device's copy of it in its firmware's form.
    ProgramPtr pendingProgram() const;
    ProgramPtr activeProgram() const;
    const DeviceStateController *stateController() const;
    // The controller's state, shown unless the device is offline or the machine reports an error.
    PCRConst::DeviceStatus shownStatus() const;
    // Initialised and powered, in start-up, running or paused.
    bool isRunning() const;
    // Loading, running, or waiting for a requested state.
    bool isBusyWithRun() const;
    bool isFinished() const;

    // Run time without pauses and stops, in seconds.
    qint64 elapsedSeconds() const;
    qint64 remainingSeconds() const;
    // Length of the temperature chart's time axis.
    qint64 chartSpanSeconds() const;
    int stepTimeSeconds() const;
    const StepTracker &stepTracker() const;
    TempChartDataContainer *tempChart() const;
    DnaChartDataContainer *dnaChart() const;

    Q_INVOKABLE void playClicked();
    Q_INVOKABLE void pauseClicked();
    Q_INVOKABLE void restartClicked();
    Q_INVOKABLE void cancelClicked();

public slots:
    void onDeviceBusyChanged(bool busy);
    void onDeviceAvailableChanged(bool available);
    void onDeviceInitFinished();
    void onDeviceInitTimer();
    void onIsHandleConnectedChanged(bool connected);
    void onNewStateSent(int state);
    void bleNameChanged(QString bleName);

signals:
    void dataUpdated();
    void newProgramReceived(QByteArray protocol, int protocolVersion);
    void eepromBusyChanged(bool busy);
    void deviceBusyChanged(bool busy);
    void deviceUnavailable();
    void connectingFailed();
    void protocolNotSent();

protected:
    // A new connection of the device's type, not yet started.
    virtual Connection *createConnection();

private:
    static qint32 nextDeviceId();
    void finishConstruction();
    void applyRecord(const DeviceRecord &record);
    void keepHidDescription(const HidDeviceDescription &description);

    Connection *connection() const;
    void connectConnection();
    void connectFirmwareV3Signals();
    // Releases the connection; with it go its queued calls and signals.
    void releaseConnection();
    template <class Call>
    void post(Call call)
    {
        m_host->post(call);
    }

    void setConnecting(bool connecting);
    void setDisconnecting(bool disconnecting);
    void setEepromBusy(bool busy);
    void copyIdentityFromConnection();

    void adoptProgram(const ProgramPtr &program);
    ProgramPtr firmwareCopy(const ProgramPtr &program) const;
    bool isSameRun(const ProgramPtr &program) const;
    void markPendingProgramUsed();
    void resetRun();
    void lockForLoading();
    void trackStep();

    void onStateReported(const StateReport &report);
    void onConnectionStateChanged(PCRConst::DeviceStatus state);
    void handleStateReport();
    void takeRunStart();
    void updateDnaChart();
    void updateBell(PCRConst::DeviceStatus state);
    void onChartDataReceived(ChartData point);
    void onNewProgramSent();
    void onMachineSettingsConfirmed(const QString &machineName, bool autoStartOn);
    static bool isRunState(PCRConst::DeviceStatus state);
    qint64 machineTimeInSec() const;

    const qint32 m_deviceId = nextDeviceId();
    const bool m_manual;
    bool m_wasInitialized = false;
    bool m_disconnectedByUser = false;
    bool m_initializing = false;
    QTimer *const m_initTimer = new QTimer(this);
    DeviceStateController *const m_controller = new DeviceStateController(this);
    ConnectionHost *const m_host = new ConnectionHost(this);
    ProgramPtr m_pendingProgram;
    ProgramPtr m_activeProgram;
    TempChartDataContainer *const m_tempChart = new TempChartDataContainer(this);
    DnaChartDataContainer *const m_dnaChart = new DnaChartDataContainer(this);
    StepTracker m_stepTracker;
    std::unique_ptr<RunClock> m_runClock;
    // The last report the connection handed over; what the device shows of the machine.
    StateReport m_report;
    QString m_machineName;
    QString m_modelName;
    QString m_firmware;
    QString m_serialNumber;
    bool m_autoStartOn = false;
    PCRConst::ConnectionType m_connectionType = PCRConst::CT_Undefined;
    QString m_hidSerialNumber;
    QString m_bleUniqueString;
    HidDeviceDescription m_hidDescription;
    QPointer<BLEDeviceInterface> m_bleDevice;
    bool m_eepromBusy = false;
    bool m_deviceBusy = false;
    QString m_bleId;
    QString m_bleName;
    bool m_connecting = false;
    bool m_disconnecting = false;
};

using PCRDevicePtr = QSharedPointer<PCRDevice>;
using PCRDeviceList = QList<PCRDevicePtr>;

Q_DECLARE_METATYPE(PCRDevicePtr)

#endif // PCRDEVICE_H
