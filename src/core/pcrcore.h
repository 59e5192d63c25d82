#ifndef PCRCORE_H
#define PCRCORE_H

#include "core/pcrdevice.h"
#include "program/program.h"

#include "connection/hiddevicedescription.h"
#include "utils/pcrconst.h"

#include <QHash>
#include <QObject>
#include <QThread>
#include <QUrl>

class AppLocalStorage;
class BellController;
class BLEDeviceInterface;
class BLEDevicesProvider;
class DeviceChecker;
class DevicesModel;
class DevicesProxyModel;
class LanguageModel;
class NowRunningModel;
class OnlineDevicesModel;
class ProtocolsModel;
class RunningProtocolsModel;

// The one object through which the UI acts on the system. It owns the
// models, the storage and its thread, device detection and the BLE
// provider; turns detected machines into devices; keeps the library saved;
// decides whether a program may run on a device and, through the dialog
// signals, tells the UI why not.
class PcrCore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        int activeFirmware READ activeFirmware WRITE setActiveFirmware NOTIFY activeFirmwareChanged)
    Q_PROPERTY(int manualScan READ manualScan CONSTANT)
    Q_PROPERTY(bool isChromebook READ isChromebookDevice CONSTANT)
    Q_PROPERTY(bool isDesktop READ isDesktopDevice CONSTANT)

public:
    enum ActiveFirmware { AF_none = 0, AF_ver_1 = 1, AF_ver_3 = 2, AF_ver_1_AND_ver_3 = 3 };
    Q_ENUM(ActiveFirmware)

    enum RunProgramResult {
        RPR_SUCCESS = 0,
        RPR_PROTOCOL_IS_NULL = 1,
        RPR_NO_DEVICE_SELECTED = 2,
        RPR_INCOMPATIBLE_VERSION = 3,
        RPR_OTHER_PROTOCOL_IS_RUNNING = 4,
        RPR_EEPROM_BUSY = 5,
        RPR_UNSUPPORTED_BY_V1_PROTOCOL = 6
    };
    Q_ENUM(RunProgramResult)

    // Consecutive unreadable programs a device may report before the user is told.
    static constexpr int ParseRetries = 5;
    static constexpr unsigned long StorageStopTimeoutMs = 2000;

    explicit PcrCore(QObject *parent = nullptr);
    ~PcrCore() override;

    int activeFirmware() const;
    int manualScan() const { return 1; }

    Q_INVOKABLE int addProgram(const QString &programName, const QByteArray &protocolSteps,
                               int programType, bool finalCooling = true);
    Q_INVOKABLE void editProgram(int protocolId, const QString &newName,
                                 const QByteArray &protocolSteps, bool finalCooling = true);
    Q_INVOKABLE int copyProgram(int protocolId);
    Q_INVOKABLE void deleteProgram(int programId);
    Q_INVOKABLE int runProgram(int programId, bool force, int deviceId = -1);
    Q_INVOKABLE void runOnDevice(int programId, int deviceId);
    Q_INVOKABLE void startMultiUpload(int programId);
    Q_INVOKABLE void setMultiUploadForAll();
    Q_INVOKABLE void uploadSelection();
    Q_INVOKABLE int countFlexPcrSteps(const QByteArray &protocolSteps) const;
    Q_INVOKABLE bool canRemoveNowRunning(int deviceId);
    Q_INVOKABLE void removeNowRunning(int deviceId);
    Q_INVOKABLE bool checkTabActivation(int deviceId);
    Q_INVOKABLE void setLastActiveTab(int deviceId);
    Q_INVOKABLE void exportProtocols(const QString &exportFile);
    Q_INVOKABLE void exportV3Protocols(const QString &exportFile);
    Q_INVOKABLE void importProtocols(const QString &importFile);
    Q_INVOKABLE QString getProtocolsAsString() const;
    Q_INVOKABLE QString getV3ProtocolsAsString() const;
    Q_INVOKABLE bool exportRunData(const QString &target, int deviceId);
    Q_INVOKABLE bool toggleVerboseLogs();
    Q_INVOKABLE QString tempFileName() const;
    Q_INVOKABLE bool isManualScan() const { return true; }
    Q_INVOKABLE bool isChromebookDevice() const { return false; }
    Q_INVOKABLE bool isDesktopDevice() const { return true; }

    // Every device joins through here: from the devices file (cache only)
    // or found by detection (added to the device list).
    void addDevice(const PCRDevicePtr &device, bool fromStorage);

    LanguageModel *languageModel() const { return m_languageModel; }
    DevicesModel *devicesModel() const { return m_devicesModel; }
    DevicesProxyModel *devicesProxyModel() const { return m_devicesProxyModel; }
    ProtocolsModel *protocolsModel() const { return m_protocolsModel; }
    NowRunningModel *nowRunningModel() const { return m_nowRunningModel; }
    RunningProtocolsModel *runningProtocolsModel() const { return m_runningProtocolsModel; }
    OnlineDevicesModel *onlineDevicesModel() const { return m_onlineDevicesModel; }
    BellController *bell() const { return m_bell; }
    BLEDevicesProvider *bleDevicesProvider() const { return m_bleProvider; }
    AppLocalStorage *storage() const { return m_storage; }

public slots:
    void setActiveFirmware(int activeFirmware);
    void onHidDevicesDetected(const HidDeviceDescriptions &devices, PCRConst::ConnectionType type);
    void onEmulateDevices();
    void onNewBleDevice(BLEDeviceInterface *bleDevice);
    bool supportedByDevice(int programId, int deviceId) const;
    void startProgram(int programId, const PCRDevicePtr &device);
    void onNewProgramReceived(const QByteArray &protocol, int protocolVersion);
    void showDeviceUnavailableDialog();
    void showProtocolNotSentDialog();

signals:
    void activeFirmwareChanged(int activeFirmware);
    void showRunningProtocolDialog(QString dialogTitle, QString dialogText, int itemId,
                                   int deviceId, bool multiUpload);
    void showUnsupportedProtocolDialog(QString machineName, int deviceId, int programId);
    void showInfoDialog(QString dialogTitle, QString dialogText);
    void showWarningDialog(QString dialogTitle, QString dialogText);
    void showRunningScreen();
    void newProgramAdded(int programId);

private:
    static constexpr int EmulatedDevices = 10;

    static BellController *createServices(PcrCore *core);
    void connectSources();
    void updateActiveFirmware();
    void saveProtocols();
    void saveDevices();
    void stopStorage();
    int addToLibrary(const ProgramPtr &program);
    int runOn(int programId, const PCRDevicePtr &device);
    PCRDevicePtr chooseDevice(int deviceId) const;
    void askToReplaceRun(const ProgramPtr &program, const PCRDevicePtr &device);
    void acceptReceivedProgram(const ProgramPtr &program, PCRDevice &device);
    void rejectReceivedProgram(PCRDevice &device);
    ProgramList firmwareV3Programs() const;
    static QString programsAsString(const ProgramList &programs);
    static QUrl localFileUrl(const QString &file);

    int m_tabToActivate = -1;
    int m_activeFirmware = AF_none;
    int m_multiUploadProgram = -1;
    bool m_multiUploadForce = false;
    QThread m_storageThread;
    DeviceChecker *const m_checker;
    BLEDevicesProvider *const m_bleProvider;
    BellController *const m_bell;
    ProtocolsModel *const m_protocolsModel;
    LanguageModel *const m_languageModel;
    DevicesModel *const m_devicesModel;
    DevicesProxyModel *const m_devicesProxyModel;
    NowRunningModel *const m_nowRunningModel;
    RunningProtocolsModel *const m_runningProtocolsModel;
    OnlineDevicesModel *const m_onlineDevicesModel;
    AppLocalStorage *const m_storage;
    QHash<int, int> m_parseFailures;
};

#endif // PCRCORE_H
