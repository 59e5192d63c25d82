#include "pcrcore.h"

#include "applocalstorage.h"
#include "bellcontroller.h"
#include "bluetooth/bledevicesprovider.h"
#include "systemsleepguard.h"

#include "connection/devicechecker.h"
#include "containers/shortprotocolcontainer.h"
#include "models/devicesmodel.h"
#include "models/devicesproxymodel.h"
#include "models/languagemodel.h"
#include "models/nowrunningmodel.h"
#include "models/onlinedevicesmodel.h"
#include "models/protocolsmodel.h"
#include "models/runningprotocolsmodel.h"
#include "program/programv1.h"
#include "program/programv3.h"
#include "utils/crashhandler.h"
#include "utils/mlog.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtQml>

// The services that come between the BLE provider and the bell.
BellController *PcrCore::createServices(PcrCore *core)
{
    qmlRegisterAnonymousType<BLEDevicesProvider>("", 1);
    CrashHandler::instance(core);
    new SystemSleepGuard(core);
    return new BellController(core);
}

PcrCore::PcrCore(QObject *parent)
    : QObject(parent)
    , m_checker(new DeviceChecker)
    , m_bleProvider(new BLEDevicesProvider(this))
    , m_bell(createServices(this))
    , m_protocolsModel(new ProtocolsModel(this))
    , m_languageModel(new LanguageModel(this))
    , m_devicesModel(new DevicesModel(this))
    , m_devicesProxyModel(new DevicesProxyModel(m_devicesModel, this))
    , m_nowRunningModel(new NowRunningModel(m_devicesModel, this))
    , m_runningProtocolsModel(new RunningProtocolsModel(m_protocolsModel, m_nowRunningModel, this))
    , m_onlineDevicesModel(new OnlineDevicesModel(m_devicesModel, this))
    , m_storage(new AppLocalStorage)
{
    m_storageThread.setObjectName(QStringLiteral("Storage"));
    CrashHandler::installThreadStackOnStart(&m_storageThread);
    m_storage->moveToThread(&m_storageThread);
    m_storageThread.start(QThread::LowestPriority);
    connectSources();
    updateActiveFirmware();
}

PcrCore::~PcrCore()
{
    qInfo() << "Stopping PCR Core";
    m_checker->stop();
    saveProtocols();
    saveDevices();
    stopStorage();
    delete m_protocolsModel;
    delete m_devicesModel;
    delete m_bell;
    delete m_nowRunningModel;
    delete m_runningProtocolsModel;
    delete m_onlineDevicesModel;
    qInfo() << "Stopping PCR Core: done";
    delete m_checker;
}

// The last saves are written before the thread stops; a storage whose thread
// would not stop is left to it rather than deleted under its feet.
void PcrCore::stopStorage()
{
    if (!m_storage->flush())
        qWarning() << "Final saves of the library or the devices failed";
    m_storageThread.quit();
    if (m_storageThread.wait(StorageStopTimeoutMs))
        delete m_storage;
    else
        qWarning() << "Storage thread did not stop in" << StorageStopTimeoutMs << "ms";
}

void PcrCore::connectSources()
{
    connect(m_storage, &AppLocalStorage::loadedDevice, this, [this](const QJsonObject &record) {
        addDevice(PCRDevicePtr::create(record, false), true);
    });
    connect(m_storage, &AppLocalStorage::loadedProtcol, m_protocolsModel,
            &ProtocolsModel::addProtocolFromJson);
    connect(m_storage, &AppLocalStorage::loadCompleted, m_checker, &DeviceChecker::start);
    connect(m_storage, &AppLocalStorage::loadCompleted, m_bleProvider, &BLEDevicesProvider::start);
    connect(m_onlineDevicesModel, &OnlineDevicesModel::countChanged, this,
            &PcrCore::updateActiveFirmware);
    connect(m_checker, &DeviceChecker::hidDevicesDetected, this, &PcrCore::onHidDevicesDetected);
    connect(m_checker, &DeviceChecker::emulateDevices, this, &PcrCore::onEmulateDevices);
    connect(m_bleProvider, &BLEDevicesProvider::newDeviceAvailable, this, &PcrCore::onNewBleDevice);
    connect(m_devicesModel, &DevicesModel::enableDeviceDiscovery, m_bleProvider,
            &BLEDevicesProvider::start);
    connect(m_devicesModel, &DevicesModel::disableDeviceDiscovery, m_bleProvider,
            &BLEDevicesProvider::stop);
}

int PcrCore::activeFirmware() const
{
    return m_activeFirmware;
}

void PcrCore::setActiveFirmware(int activeFirmware)
{
    if (activeFirmware == m_activeFirmware)
        return;
    m_activeFirmware = activeFirmware;
    emit activeFirmwareChanged(activeFirmware);
}

void PcrCore::updateActiveFirmware()
{
    const QList<PCRConst::ConnectionType> types = m_devicesModel->connectionTypes();
    const bool v1 = types.contains(PCRConst::CT_USB_Firmware_V1);
    const bool v3 = types.contains(PCRConst::CT_USB_Firmware_V3) ||
                    types.contains(PCRConst::CT_Bluetooth_Firmware_V3) ||
                    types.contains(PCRConst::CT_Emul_V3);
    setActiveFirmware(v1 ? (v3 ? AF_ver_1_AND_ver_3 : AF_ver_1) : (v3 ? AF_ver_3 : AF_none));
}

void PcrCore::saveProtocols()
{
    m_storage->saveProtocols(m_protocolsModel->programs());
}

void PcrCore::saveDevices()
{
    m_storage->saveDevices(m_devicesModel->devices());
}

// Devices

void PcrCore::addDevice(const PCRDevicePtr &device, bool fromStorage)
{
    PCRDevice *const d = device.data();
    connect(d, &PCRDevice::newProgramReceived, this, &PcrCore::onNewProgramReceived);
    connect(d, &PCRDevice::deviceUnavailable, this, &PcrCore::showDeviceUnavailableDialog);
    connect(d, &PCRDevice::connectingFailed, this, &PcrCore::showDeviceUnavailableDialog);
    connect(d, &PCRDevice::protocolNotSent, this, &PcrCore::showProtocolNotSentDialog);
    if (fromStorage)
        m_devicesModel->cacheDeviceData(device);
    else
        m_devicesModel->addDevice(device);
}

void PcrCore::onHidDevicesDetected(const HidDeviceDescriptions &devices,
                                   PCRConst::ConnectionType type)
{
    for (const HidDeviceDescription &description : devices) {
        if (description.serialNumber().isEmpty() || m_devicesModel->knowsHidDevice(description))
            continue;
        addDevice(PCRDevicePtr::create(description, type), false);
    }
}

void PcrCore::onNewBleDevice(BLEDeviceInterface *bleDevice)
{
    if (m_devicesModel->knowsBleDevice(bleDevice))
        return;
    addDevice(PCRDevicePtr::create(bleDevice, PCRConst::CT_Bluetooth_Firmware_V3, false), false);
}

// Not offered to users: nothing asks for emulated machines, but the path stays.
void PcrCore::onEmulateDevices()
{
    int emulated = 0;
    for (int row = 0; row < EmulatedDevices; ++row) {
        const PCRDevicePtr device = m_devicesModel->deviceAt(row);
        if (device && device->connectionType() == PCRConst::CT_Emul_V3) {
            device->deviceInit();
            ++emulated;
        }
    }
    for (; emulated < EmulatedDevices; ++emulated)
        addDevice(PCRDevicePtr::create(PCRConst::CT_Emul_V3, false), false);
}

// Library

int PcrCore::addProgram(const QString &programName, const QByteArray &protocolSteps,
                        int programType, bool finalCooling)
{
    qInfo() << "PcrCore::addProgram: " << programName << " with type: " << programType
            << "Program data: " << protocolSteps;
    const auto type = Program::ProgramType(programType);
    ProgramPtr program;
    if (type != Program::PT_FLEX && type != Program::PT_TOUCHDOWN)
        program.reset(new ProgramV1(programName, protocolSteps, type));
    if (!program || !program->isSupportedByV1())
        program.reset(new ProgramV3(programName, protocolSteps, finalCooling, type));
    return addToLibrary(program);
}

int PcrCore::addToLibrary(const ProgramPtr &program)
{
    const int programId = m_protocolsModel->addNewProtocol(program);
    emit newProgramAdded(programId);
    saveProtocols();
    return programId;
}

void PcrCore::editProgram(int protocolId, const QString &newName, const QByteArray &protocolSteps,
                          bool finalCooling)
{
    m_protocolsModel->editProtocol(protocolId, newName, protocolSteps, finalCooling);
    saveProtocols();
}

int PcrCore::copyProgram(int protocolId)
{
    return m_protocolsModel->copyProtocol(protocolId);
}

void PcrCore::deleteProgram(int programId)
{
    if (m_nowRunningModel->isRunningProtocol(programId)) {
        emit showInfoDialog(tr("Protocol cannot be deleted"),
                            tr("Protocol is now running. Please stop protocol before deleting."));
        return;
    }
    m_protocolsModel->deleteProtocol(programId);
    saveProtocols();
}

int PcrCore::countFlexPcrSteps(const QByteArray &protocolSteps) const
{
    return Container::Protocol::countDeviceSteps(protocolSteps);
}

// Running

int PcrCore::runProgram(int programId, bool force, int deviceId)
{
    qInfo() << "PcrCore::runProgram id " << programId << "on device: " << deviceId << " with force "
            << force;
    const ProgramPtr program = m_protocolsModel->getProgramObjectById(programId);
    if (!program) {
        qInfo() << "RPR_PROTOCOL_IS_NULL";
        return RPR_PROTOCOL_IS_NULL;
    }
    const PCRDevicePtr device = chooseDevice(deviceId);
    if (!device) {
        if (deviceId != -1)
            emit showInfoDialog(tr("Device not connected"),
                                tr("The chosen device is not connected. Connect it and try "
                                   "again."));
        qInfo() << "RPR_NO_DEVICE_SELECTED";
        return RPR_NO_DEVICE_SELECTED;
    }
    if (device->isEepromBusy()) {
        emit showInfoDialog(QString::fromLatin1(deviceBusyTitle),
                            QString::fromLatin1(deviceBusyText).arg(device->machineName()));
        qInfo() << "RPR_DEVICE_BUSY";
        return RPR_EEPROM_BUSY;
    }
    if (program->programType() == Program::PT_FLEX && device->isFirmwareV1()) {
        emit showInfoDialog(tr("Protocol not compatible with vela8"),
                            tr("Sorry but your vela8 is not compatible with Flex protocols."));
        qInfo() << "RPR_INCOMPATIBLE_VERSION";
        return RPR_INCOMPATIBLE_VERSION;
    }
    if (device->isRunning() && !force) {
        askToReplaceRun(program, device);
        qInfo() << "RPR_OTHER_PROTOCOL_IS_RUNNING";
        return RPR_OTHER_PROTOCOL_IS_RUNNING;
    }
    if (!device->isFirmwareV1() || program->isSupportedByV1())
        return runOn(programId, device);
    emit showUnsupportedProtocolDialog(device->machineName(), device->deviceId(), programId);
    qInfo() << "RPR_UNSUPPORTED_BY_V1_PROTOCOL";
    return RPR_UNSUPPORTED_BY_V1_PROTOCOL;
}

// Only the machine the user chose: a chosen machine that is not online is
// refused rather than replaced by another one. Without a choice, the only
// online machine is taken.
PCRDevicePtr PcrCore::chooseDevice(int deviceId) const
{
    if (deviceId != -1)
        return m_onlineDevicesModel->getOnlineDeviceById(deviceId);
    return m_onlineDevicesModel->count() == 1 ? m_onlineDevicesModel->firstDevice()
                                              : PCRDevicePtr();
}

void PcrCore::askToReplaceRun(const ProgramPtr &program, const PCRDevicePtr &device)
{
    const ProgramPtr running = device->activeProgram();
    const QString text =
        running && running->programId() == program->programId()
            ? tr("Do you want to restart the current protocol \"%1\"?").arg(program->name())
            : tr("Do you want to stop the current protocol \"%1\" and start the new protocol "
                 "\"%2\"?")
                  .arg(running ? running->name() : QString(), program->name());
    emit showRunningProtocolDialog(tr("%1 is running").arg(device->machineName()), text,
                                   program->programId(), device->deviceId(),
                                   m_multiUploadProgram != -1);
}

int PcrCore::runOn(int programId, const PCRDevicePtr &device)
{
    qInfo() << "Finally run program on device: " << device->deviceId();
    const ProgramPtr program = m_protocolsModel->getProgramObjectById(programId);
    if (!program)
        return RPR_PROTOCOL_IS_NULL;
    device->uploadProgram(program);
    m_tabToActivate = device->deviceId();
    emit showRunningScreen();
    return RPR_SUCCESS;
}

void PcrCore::runOnDevice(int programId, int deviceId)
{
    const PCRDevicePtr device = m_onlineDevicesModel->getOnlineDeviceById(deviceId);
    if (device)
        startProgram(programId, device);
}

// A touchdown program has no firmware-1 form: rather than run something
// else on the machine, the user is told and nothing runs.
void PcrCore::startProgram(int programId, const PCRDevicePtr &device)
{
    const ProgramPtr program = m_protocolsModel->getProgramObjectById(programId);
    if (!program || !device)
        return;
    if (!device->isFirmwareV1() || program->isSupportedByV1()) {
        runOn(programId, device);
        return;
    }
    if (program->programType() == Program::PT_TOUCHDOWN) {
        emit showInfoDialog(
            tr("Protocol not compatible with vela8"),
            tr("The %1 device cannot run touchdown protocols.").arg(device->machineName()));
        return;
    }
    const ProgramPtr copy = program->toV1(true);
    copy->limitTimes();
    runOn(addToLibrary(copy), device);
}

bool PcrCore::supportedByDevice(int programId, int deviceId) const
{
    const ProgramPtr program = m_protocolsModel->getProgramObjectById(programId);
    const PCRDevicePtr device = m_devicesModel->getDeviceById(deviceId);
    return program && device && (!device->isFirmwareV1() || program->isSupportedByV1());
}

// Multi-upload

void PcrCore::startMultiUpload(int programId)
{
    const PCRDeviceList selected = m_onlineDevicesModel->selectedDevices();
    if (selected.size() == 1) {
        m_onlineDevicesModel->clearSelection();
        runProgram(programId, false, selected.first()->deviceId());
        return;
    }
    m_multiUploadProgram = programId;
    uploadSelection();
}

void PcrCore::setMultiUploadForAll()
{
    m_multiUploadForce = true;
}

// Resumed after a dialog, it runs only on the machines still selected and online.
void PcrCore::uploadSelection()
{
    if (m_multiUploadProgram == -1)
        return;
    for (const PCRDevicePtr &device : m_onlineDevicesModel->selectedDevices()) {
        device->setProperty("isSelected", false);
        const int result = runProgram(m_multiUploadProgram, m_multiUploadForce, device->deviceId());
        if (result == RPR_INCOMPATIBLE_VERSION || result == RPR_OTHER_PROTOCOL_IS_RUNNING ||
            result == RPR_UNSUPPORTED_BY_V1_PROTOCOL) {
            qInfo() << "Please wait for dialog result";
            return;
        }
    }
    m_multiUploadProgram = -1;
    m_multiUploadForce = false;
}

// Programs reported by machines

void PcrCore::onNewProgramReceived(const QByteArray &protocol, int protocolVersion)
{
    auto *device = qobject_cast<PCRDevice *>(sender());
    if (!device) {
        qWarning() << "Sender Device is null";
        return;
    }
    const ProgramPtr program = ProtocolsModel::createProgram(protocol, protocolVersion);
    if (device->isFirmwareV1())
        device->setDeviceInitialized();
    if (program)
        acceptReceivedProgram(program, *device);
    else
        rejectReceivedProgram(*device);
}

void PcrCore::acceptReceivedProgram(const ProgramPtr &program, PCRDevice &device)
{
    m_parseFailures.remove(device.deviceId());
    int programId = m_protocolsModel->findEqualProtocol(program, true);
    if (programId < 0)
        programId = m_protocolsModel->findEqualProtocol(program, false);
    if (programId < 0) {
        programId = m_protocolsModel->addNewProtocol(program);
        saveProtocols();
    }
    device.setActiveProgram(m_protocolsModel->getProgramObjectById(programId));
}

void PcrCore::rejectReceivedProgram(PCRDevice &device)
{
    qCritical() << "INVALID PROGRAM!";
    int &failures = m_parseFailures[device.deviceId()];
    if (failures >= ParseRetries) {
        failures = 0;
        emit showWarningDialog(tr("Protocol parsing issue"),
                               tr("It is not possible to read a protocol from the %1 device - "
                                  "please run a new protocol.")
                                   .arg(device.machineName()));
        return;
    }
    ++failures;
    device.getProgramFromDevice();
}

// Now-running tabs

bool PcrCore::canRemoveNowRunning(int deviceId)
{
    const PCRDevicePtr device = m_devicesModel->getDeviceById(deviceId);
    if (!device || !device->isOnline())
        return true;
    if (!device->isPowered()) {
        emit showInfoDialog(tr("Protocol cannot be removed"),
                            tr("Device is not powered. Device must be disconnected or protocol "
                               "must be stopped before closing tab."));
        return false;
    }
    if (device->isBusyWithRun()) {
        emit showInfoDialog(
            tr("Protocol cannot be removed"),
            tr("Protocol is now running. Protocol must be stopped before closing tab."));
        return false;
    }
    return true;
}

void PcrCore::removeNowRunning(int deviceId)
{
    const PCRDevicePtr device = m_devicesModel->getDeviceById(deviceId);
    if (!device)
        return;
    device->setActiveProgram(device->isFirmwareV1() ? ProgramPtr(new ProgramV1())
                                                    : ProgramPtr(new ProgramV3()));
}

bool PcrCore::checkTabActivation(int deviceId)
{
    if (deviceId != m_tabToActivate)
        return false;
    m_tabToActivate = -1;
    return true;
}

void PcrCore::setLastActiveTab(int deviceId)
{
    m_tabToActivate = deviceId;
}

// Exchange

QUrl PcrCore::localFileUrl(const QString &file)
{
    const QUrl url(file);
    if (file.isEmpty() || url.isLocalFile())
        return url;
    return QUrl::fromLocalFile(file);
}

void PcrCore::exportProtocols(const QString &exportFile)
{
    qInfo() << "exportProtocols" << exportFile;
    const QString error =
        m_storage->exportProtocols(m_protocolsModel->programs(), localFileUrl(exportFile));
    if (!error.isEmpty())
        emit showWarningDialog(tr("Export failed"), error);
}

void PcrCore::exportV3Protocols(const QString &exportFile)
{
    const ProgramList programs = firmwareV3Programs();
    const QString path = localFileUrl(exportFile).toLocalFile();
    m_storage->saveProtocols(programs, path);
    if (!m_storage->flush())
        qWarning() << "V3 export failed:" << path;
    qInfo() << "V3 file size:" << QFileInfo(path).size() << path
            << "protocols count:" << programs.size();
}

void PcrCore::importProtocols(const QString &importFile)
{
    m_storage->importProtocols(localFileUrl(importFile));
    saveProtocols();
}

ProgramList PcrCore::firmwareV3Programs() const
{
    ProgramList programs;
    for (const ProgramPtr &program : m_protocolsModel->programs()) {
        if (program->firmware() != firmwareVersionV1)
            programs.append(program);
    }
    return programs;
}

QString PcrCore::programsAsString(const ProgramList &programs)
{
    QJsonArray records;
    for (const ProgramPtr &program : programs)
        records.append(program->toJson());
    return QString::fromUtf8(QJsonDocument(records).toJson(QJsonDocument::Indented));
}

QString PcrCore::getProtocolsAsString() const
{
    return programsAsString(m_protocolsModel->programs());
}

QString PcrCore::getV3ProtocolsAsString() const
{
    return programsAsString(firmwareV3Programs());
}

bool PcrCore::exportRunData(const QString &target, int deviceId)
{
    const PCRDevicePtr device = m_devicesModel->getDeviceById(deviceId);
    const QString error =
        device ? m_storage->exportRunData(device, localFileUrl(target)) : tr("Invalid device id.");
    if (error.isEmpty())
        return true;
    emit showWarningDialog(tr("Export run data failed."), error);
    return false;
}

bool PcrCore::toggleVerboseLogs()
{
    MLog *const log = MLog::instance();
    log->setVerbose(!log->isVerbose());
    return log->isVerbose();
}

QString PcrCore::tempFileName() const
{
    const QByteArray now = QDateTime::currentDateTimeUtc().toString().toLatin1();
    return QString::fromLatin1(QCryptographicHash::hash(now, QCryptographicHash::Md5).toHex());
}

// Dialogs

void PcrCore::showDeviceUnavailableDialog()
{
    emit showWarningDialog(tr("Device unavailable"),
                           tr("Connect to device failed. Please check in system settings if "
                              "bluetooth is on and if device is paired and powered."));
}

void PcrCore::showProtocolNotSentDialog()
{
    emit showWarningDialog(tr("Protocol not sent"),
                           tr("Due to connection problem, previously chosen protocol was not sent "
                              "to the device. Application will show protocol currently running on "
                              "the device."));
}
