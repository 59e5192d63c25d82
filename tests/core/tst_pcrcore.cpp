#include "../models/devicefixtures.h"
#include "../program/programfixtures.h"

#include "connection/connectionv3emul.h"
#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "models/nowrunningmodel.h"
#include "models/onlinedevicesmodel.h"
#include "models/protocolsmodel.h"
#include "program/programv1.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

using namespace DeviceFixtures;

namespace {

// Machines the tests put in front of the core, by what they are doing.
enum class Machine { Idle, Running, FirmwareV1, Offline, EepromBusy };

// A firmware-3 machine that comes online but never says its EEPROM is ready.
class EepromBusyMachine : public ConnectionV3Emul
{
    Q_OBJECT

public:
    EepromBusyMachine()
        : ConnectionV3Emul(1)
    {}

    void connectDevice() override
    {
        setIsHandleConnected(true);
        setIsDeviceInitialized(true);
    }
};

class EepromBusyDevice : public PCRDevice
{
    Q_OBJECT

public:
    explicit EepromBusyDevice(const Identity &identity)
        : PCRDevice(deviceRecord(PCRConst::CT_Emul_V3, identity), false)
    {}

protected:
    Connection *createConnection() override { return new EepromBusyMachine; }
};

QByteArray heatBlock(int seconds)
{
    return Fixtures::bytes({Fixtures::heatBlockStep(95, seconds)});
}

struct Library
{
    int shortHold;
    int longHold;
    int flex;
    int touchdown;
};

} // namespace

Q_DECLARE_METATYPE(QList<Machine>)

class TestPcrCore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void storesAProgramInTheFormItFits_data();
    void storesAProgramInTheFormItFits();
    void runProgramChoosesOnlyAMachineTheUserMeant_data();
    void runProgramChoosesOnlyAMachineTheUserMeant();
    void runOnDeviceRunsALimitedCopyOnFirmwareV1();
    void touchdownOnFirmwareV1RunsNothing();
    void multiUploadStopsAtARunningMachine();
    void deletingAHeldProgramIsRefused();
    void machineProgramJoinsTheLibraryOnce();
    void unreadableProgramIsRetriedFiveTimes();
    void activeFirmwareFollowsOnlineMachines();
    void libraryAndDevicesSurviveARestart();
    void nowRunningTabCloses_data();
    void nowRunningTabCloses();
    void exchangeTakesItsPrograms();
    void failedRunDataExportWarns();
    void dialogsSpeakTheUsersLanguageExceptTheBusyOne();
    void tempFileNameIsAnMd5();
    void emulationKeepsTenMachines();

private:
    PCRDevicePtr addMachine(PcrCore &core, Machine machine, int index);
    static PCRDevicePtr bringOnline(PcrCore &core, const PCRDevicePtr &device);
    PCRDeviceList addMachines(PcrCore &core, const QList<Machine> &machines);
    static Library addLibrary(PcrCore &core);

    QTemporaryDir m_dataDir;
};

void TestPcrCore::initTestCase()
{
    QVERIFY(m_dataDir.isValid());
    AppLocalStorage::setDataPath(m_dataDir.path());
}

PCRDevicePtr TestPcrCore::addMachine(PcrCore &core, Machine machine, int index)
{
    const Identity identity(QStringLiteral("Machine %1").arg(index),
                            QStringLiteral("S%1").arg(index));
    if (machine == Machine::EepromBusy)
        return bringOnline(core, PCRDevicePtr(new EepromBusyDevice(identity)));
    TestDevicePtr device = machine == Machine::FirmwareV1
                               ? storedDevice(PCRConst::CT_USB_Firmware_V1, identity)
                               : storedDevice(PCRConst::CT_Emul_V3, identity);
    if (machine == Machine::Offline) {
        core.addDevice(device, false);
        return device;
    }
    bringOnline(core, device);
    if (machine == Machine::Running)
        report(*device, PCRConst::DS_RUNNING);
    return device;
}

PCRDevicePtr TestPcrCore::bringOnline(PcrCore &core, const PCRDevicePtr &device)
{
    core.addDevice(device, false);
    device->deviceInit();
    deliver();
    deliver();
    [&] { QTRY_VERIFY(device->isOnline()); }();
    return device;
}

PCRDeviceList TestPcrCore::addMachines(PcrCore &core, const QList<Machine> &machines)
{
    PCRDeviceList devices;
    for (int i = 0; i < machines.size(); ++i)
        devices.append(addMachine(core, machines.at(i), i));
    return devices;
}

Library TestPcrCore::addLibrary(PcrCore &core)
{
    using namespace Fixtures;
    return {core.addProgram(QStringLiteral("Short hold"), heatBlock(300), Program::PT_HEAT_BLOCK),
            core.addProgram(QStringLiteral("Long hold"), heatBlock(40000), Program::PT_HEAT_BLOCK),
            core.addProgram(QStringLiteral("Flex"), bytes({pcrStep(), heatBlockStep(60, 30)}),
                            Program::PT_FLEX),
            core.addProgram(QStringLiteral("Touchdown"), bytes({touchdownStep()}),
                            Program::PT_TOUCHDOWN)};
}

void TestPcrCore::storesAProgramInTheFormItFits_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("firmware");
    QTest::newRow("300 s fits firmware 1") << 300 << firmwareVersionV1;
    QTest::newRow("40,000 s does not") << 40000 << QStringLiteral("3");
}

void TestPcrCore::storesAProgramInTheFormItFits()
{
    QFETCH(int, seconds);
    QFETCH(QString, firmware);
    PcrCore core;
    QSignalSpy added(&core, &PcrCore::newProgramAdded);
    const int id =
        core.addProgram(QStringLiteral("Hold"), heatBlock(seconds), Program::PT_HEAT_BLOCK);
    QCOMPARE(added.size(), 1);
    QCOMPARE(added.first().first().toInt(), id);
    const ProgramPtr program = core.protocolsModel()->getProgramObjectById(id);
    QVERIFY(program);
    QCOMPARE(program->firmware() == firmwareVersionV1, firmware == firmwareVersionV1);
}

// Columns name machines by their index in the list; -1 is no choice.
void TestPcrCore::runProgramChoosesOnlyAMachineTheUserMeant_data()
{
    QTest::addColumn<QList<Machine>>("machines");
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("runsOn");

    const Machine idle = Machine::Idle;
    QTest::newRow("chosen machine went offline: nothing runs anywhere")
        << QList<Machine>{idle, Machine::Offline} << "short" << 1
        << int(PcrCore::RPR_NO_DEVICE_SELECTED) << "info:Device not connected" << -1;
    QTest::newRow("two online, no choice: no dialog")
        << QList<Machine>{idle, idle} << "short" << -1 << int(PcrCore::RPR_NO_DEVICE_SELECTED) << ""
        << -1;
    QTest::newRow("exactly one online, no choice: runs on it")
        << QList<Machine>{Machine::Offline, idle} << "short" << -1 << int(PcrCore::RPR_SUCCESS)
        << "running screen" << 1;
    QTest::newRow("chosen of two") << QList<Machine>{idle, idle} << "short" << 1
                                   << int(PcrCore::RPR_SUCCESS) << "running screen" << 1;
    QTest::newRow("unknown program")
        << QList<Machine>{idle} << "none" << 0 << int(PcrCore::RPR_PROTOCOL_IS_NULL) << "" << -1;
    QTest::newRow("flex on firmware 1") << QList<Machine>{Machine::FirmwareV1} << "flex" << 0
                                        << int(PcrCore::RPR_INCOMPATIBLE_VERSION)
                                        << "info:Protocol not compatible with vela8" << -1;
    QTest::newRow("touchdown on firmware 1")
        << QList<Machine>{Machine::FirmwareV1} << "touchdown" << 0
        << int(PcrCore::RPR_UNSUPPORTED_BY_V1_PROTOCOL) << "unsupported" << -1;
    QTest::newRow("long hold on firmware 1 asks first")
        << QList<Machine>{Machine::FirmwareV1} << "long" << 0
        << int(PcrCore::RPR_UNSUPPORTED_BY_V1_PROTOCOL) << "unsupported" << -1;
    QTest::newRow("short hold on firmware 1") << QList<Machine>{Machine::FirmwareV1} << "short" << 0
                                              << int(PcrCore::RPR_SUCCESS) << "running screen" << 0;
    QTest::newRow("EEPROM busy") << QList<Machine>{Machine::EepromBusy} << "short" << 0
                                 << int(PcrCore::RPR_EEPROM_BUSY) << "info:Device is busy" << -1;
    QTest::newRow("running machine asks")
        << QList<Machine>{Machine::Running} << "short" << 0
        << int(PcrCore::RPR_OTHER_PROTOCOL_IS_RUNNING) << "running" << -1;
}

void TestPcrCore::runProgramChoosesOnlyAMachineTheUserMeant()
{
    QFETCH(QList<Machine>, machines);
    QFETCH(QString, program);
    QFETCH(int, chosen);
    QFETCH(int, result);
    QFETCH(QString, dialog);
    QFETCH(int, runsOn);

    PcrCore core;
    const PCRDeviceList devices = addMachines(core, machines);
    const Library library = addLibrary(core);
    const QHash<QString, int> programs{{QStringLiteral("short"), library.shortHold},
                                       {QStringLiteral("long"), library.longHold},
                                       {QStringLiteral("flex"), library.flex},
                                       {QStringLiteral("touchdown"), library.touchdown},
                                       {QStringLiteral("none"), 999999}};
    QSignalSpy info(&core, &PcrCore::showInfoDialog);
    QSignalSpy running(&core, &PcrCore::showRunningProtocolDialog);
    QSignalSpy unsupported(&core, &PcrCore::showUnsupportedProtocolDialog);
    QSignalSpy screen(&core, &PcrCore::showRunningScreen);
    const int deviceId = chosen < 0 ? -1 : devices.at(chosen)->deviceId();

    QCOMPARE(core.runProgram(programs.value(program), false, deviceId), result);

    const QString infoPrefix = QStringLiteral("info:");
    QCOMPARE(info.size(), dialog.startsWith(infoPrefix) ? 1 : 0);
    if (!info.isEmpty())
        QCOMPARE(info.first().first().toString(), dialog.mid(infoPrefix.size()));
    QCOMPARE(running.size(), dialog == QLatin1String("running") ? 1 : 0);
    QCOMPARE(unsupported.size(), dialog == QLatin1String("unsupported") ? 1 : 0);
    QCOMPARE(screen.size(), dialog == QLatin1String("running screen") ? 1 : 0);
    for (int i = 0; i < devices.size(); ++i) {
        const ProgramPtr pending = devices.at(i)->pendingProgram();
        const bool ranHere = pending && pending->programId() == programs.value(program);
        QVERIFY2(ranHere == (i == runsOn), qPrintable(QStringLiteral("machine %1").arg(i)));
    }
    if (runsOn >= 0)
        QVERIFY(core.checkTabActivation(devices.at(runsOn)->deviceId()));
}

void TestPcrCore::runOnDeviceRunsALimitedCopyOnFirmwareV1()
{
    PcrCore core;
    const PCRDevicePtr device = addMachine(core, Machine::FirmwareV1, 0);
    const int source = addLibrary(core).longHold;
    const QJsonObject sourceBefore = core.protocolsModel()->getProgramObjectById(source)->toJson();
    QSignalSpy added(&core, &PcrCore::newProgramAdded);

    core.runOnDevice(source, device->deviceId());

    QCOMPARE(added.size(), 1);
    const int copyId = added.first().first().toInt();
    QVERIFY(copyId != source);
    const ProgramPtr copy = core.protocolsModel()->getProgramObjectById(copyId);
    QVERIFY(copy);
    QCOMPARE(copy->firmware(), firmwareVersionV1);
    int longest = 0;
    for (int step = 0; step < copy->stepsCount(); ++step)
        longest = qMax(longest, copy->stepTime(step));
    QCOMPARE(longest, 32760);
    QCOMPARE(device->pendingProgram()->programId(), copyId);
    QCOMPARE(core.protocolsModel()->getProgramObjectById(source)->toJson(), sourceBefore);
}

// Firmware 1 has no touchdown form: continuing after the question runs nothing.
void TestPcrCore::touchdownOnFirmwareV1RunsNothing()
{
    PcrCore core;
    const PCRDevicePtr device = addMachine(core, Machine::FirmwareV1, 0);
    const int touchdown = addLibrary(core).touchdown;
    const int libraryBefore = core.protocolsModel()->count();
    QSignalSpy info(&core, &PcrCore::showInfoDialog);

    core.runOnDevice(touchdown, device->deviceId());

    QCOMPARE(info.size(), 1);
    QCOMPARE(core.protocolsModel()->count(), libraryBefore);
    const ProgramPtr pending = device->pendingProgram();
    QVERIFY(!pending || pending->programId() != touchdown);
}

void TestPcrCore::multiUploadStopsAtARunningMachine()
{
    PcrCore core;
    const PCRDeviceList devices =
        addMachines(core, {Machine::Idle, Machine::Running, Machine::Idle});
    const int program = addLibrary(core).shortHold;
    for (const PCRDevicePtr &device : devices)
        device->setProperty("isSelected", true);
    QSignalSpy asked(&core, &PcrCore::showRunningProtocolDialog);

    QTest::ignoreMessage(QtInfoMsg, "Please wait for dialog result");
    core.startMultiUpload(program);

    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().at(3).toInt(), devices.at(1)->deviceId());
    QVERIFY(asked.first().at(4).toBool());
    QCOMPARE(devices.at(0)->pendingProgram()->programId(), program);
    QCOMPARE(core.onlineDevicesModel()->selectedDevices(), PCRDeviceList{devices.at(2)});

    // The user answers "for all"; only the machine still selected and online is run.
    core.setMultiUploadForAll();
    core.uploadSelection();
    QCOMPARE(devices.at(2)->pendingProgram()->programId(), program);
    QVERIFY(!devices.at(1)->pendingProgram() ||
            devices.at(1)->pendingProgram()->programId() != program);
    QVERIFY(core.onlineDevicesModel()->selectedDevices().isEmpty());
}

void TestPcrCore::deletingAHeldProgramIsRefused()
{
    PcrCore core;
    const TestDevicePtr device = addMachine(core, Machine::Idle, 0).staticCast<TestDevice>();
    const int program = addLibrary(core).shortHold;
    QCOMPARE(core.runProgram(program, false, device->deviceId()), int(PcrCore::RPR_SUCCESS));
    report(*device, PCRConst::DS_RUNNING);
    QSignalSpy info(&core, &PcrCore::showInfoDialog);

    core.deleteProgram(program);

    QCOMPARE(info.size(), 1);
    QCOMPARE(info.first().first().toString(), QStringLiteral("Protocol cannot be deleted"));
    QVERIFY(core.protocolsModel()->getProgramObjectById(program));
}

// A machine reports its program again on every reconnection.
void TestPcrCore::machineProgramJoinsTheLibraryOnce()
{
    PcrCore core;
    const PCRDevicePtr device = addMachine(core, Machine::Idle, 0);
    const ProgramV3 onMachine(QStringLiteral("On the machine"), heatBlock(600), true,
                              Program::PT_HEAT_BLOCK);
    const QByteArray reported = Fixtures::paddedMessage(onMachine.pcrProtocol());
    QSignalSpy added(&core, &PcrCore::newProgramAdded);

    for (int report = 0; report < 2; ++report)
        emit device->newProgramReceived(reported, 3);

    QCOMPARE(core.protocolsModel()->count(), 1);
    const ProgramPtr joined = core.protocolsModel()->getProgramObjectByRow(0);
    QCOMPARE(joined->name(), onMachine.name());
    QVERIFY(device->activeProgram());
    QCOMPARE(device->activeProgram()->programId(), joined->programId());
}

void TestPcrCore::unreadableProgramIsRetriedFiveTimes()
{
    PcrCore core;
    const PCRDevicePtr device = addMachine(core, Machine::Idle, 0);
    QSignalSpy warning(&core, &PcrCore::showWarningDialog);
    for (int report = 1; report <= PcrCore::ParseRetries; ++report) {
        QTest::ignoreMessage(QtCriticalMsg, "INVALID PROGRAM!");
        emit device->newProgramReceived(QByteArray("\x01\x02garbage", 9), 3);
        QVERIFY(warning.isEmpty());
    }
    QTest::ignoreMessage(QtCriticalMsg, "INVALID PROGRAM!");
    emit device->newProgramReceived(QByteArray("\x01\x02garbage", 9), 3);
    QCOMPARE(warning.size(), 1);
    QCOMPARE(warning.first().first().toString(), QStringLiteral("Protocol parsing issue"));
    // The count starts again.
    QTest::ignoreMessage(QtCriticalMsg, "INVALID PROGRAM!");
    emit device->newProgramReceived(QByteArray("\x01\x02garbage", 9), 3);
    QCOMPARE(warning.size(), 1);
}

void TestPcrCore::activeFirmwareFollowsOnlineMachines()
{
    PcrCore core;
    QCOMPARE(core.activeFirmware(), int(PcrCore::AF_none));
    addMachine(core, Machine::Idle, 0);
    QTRY_COMPARE(core.activeFirmware(), int(PcrCore::AF_ver_3));
    addMachine(core, Machine::FirmwareV1, 1);
    QTRY_COMPARE(core.activeFirmware(), int(PcrCore::AF_ver_1_AND_ver_3));
}

void TestPcrCore::libraryAndDevicesSurviveARestart()
{
    QTemporaryDir dir;
    AppLocalStorage::setDataPath(dir.path());
    const auto restore = qScopeGuard([this] { AppLocalStorage::setDataPath(m_dataDir.path()); });
    {
        PcrCore core;
        addMachine(core, Machine::Idle, 0);
        addLibrary(core);
    }
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("protocols0"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("devices0"))));
    PcrCore core;
    QSignalSpy loaded(core.storage(), &AppLocalStorage::loadCompleted);
    QMetaObject::invokeMethod(core.storage(), &AppLocalStorage::loadData, Qt::QueuedConnection);
    QVERIFY(loaded.wait());
    QTRY_COMPARE(core.protocolsModel()->count(), 4);
    QVERIFY(core.protocolsModel()->getProgramObjectByName(QStringLiteral("Touchdown")));
}

void TestPcrCore::nowRunningTabCloses_data()
{
    QTest::addColumn<QList<Machine>>("machines");
    QTest::addColumn<bool>("closes");
    QTest::newRow("no such device") << QList<Machine>{} << true;
    QTest::newRow("offline") << QList<Machine>{Machine::Offline} << true;
    QTest::newRow("online and idle") << QList<Machine>{Machine::Idle} << true;
    QTest::newRow("running") << QList<Machine>{Machine::Running} << false;
}

void TestPcrCore::nowRunningTabCloses()
{
    QFETCH(QList<Machine>, machines);
    QFETCH(bool, closes);
    PcrCore core;
    const PCRDeviceList devices = addMachines(core, machines);
    const int deviceId = devices.isEmpty() ? 12345 : devices.first()->deviceId();
    QSignalSpy info(&core, &PcrCore::showInfoDialog);

    QCOMPARE(core.canRemoveNowRunning(deviceId), closes);
    QCOMPARE(info.size(), closes ? 0 : 1);
    if (!closes)
        QCOMPARE(info.first().first().toString(), QStringLiteral("Protocol cannot be removed"));
}

namespace {

// Program names in a JSON array of library records, or in a data file's envelope.
QStringList namesIn(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonArray records = document.isArray()
                                   ? document.array()
                                   : document.object().value(QStringLiteral("data")).toArray();
    QStringList names;
    for (const QJsonValue &record : records)
        names.append(record.toObject().value(QStringLiteral("name")).toString());
    return names;
}

} // namespace

// Firmware-1 programs stay out of the firmware-3 exports.
void TestPcrCore::exchangeTakesItsPrograms()
{
    PcrCore core;
    addLibrary(core);
    const QString file = m_dataDir.filePath(QStringLiteral("v3 export"));

    core.exportV3Protocols(file);

    QFile exported(file);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QStringList v3{QStringLiteral("Long hold"), QStringLiteral("Flex"),
                         QStringLiteral("Touchdown")};
    QCOMPARE(namesIn(exported.readAll()), v3);
    QCOMPARE(namesIn(core.getV3ProtocolsAsString().toUtf8()), v3);
    QCOMPARE(namesIn(core.getProtocolsAsString().toUtf8()),
             QStringList{QStringLiteral("Short hold")} + v3);
}

void TestPcrCore::failedRunDataExportWarns()
{
    PcrCore core;
    QSignalSpy warning(&core, &PcrCore::showWarningDialog);
    QVERIFY(!core.exportRunData(m_dataDir.filePath(QStringLiteral("run.csv")), 12345));
    QCOMPARE(warning.size(), 1);
    QCOMPARE(warning.first(), (QVariantList{QStringLiteral("Export run data failed."),
                                            QStringLiteral("Invalid device id.")}));
}

void TestPcrCore::dialogsSpeakTheUsersLanguageExceptTheBusyOne()
{
    QTranslator french;
    QVERIFY(french.load(QStringLiteral(":/i18n/thermox_fr.qm")));
    QCoreApplication::installTranslator(&french);
    const auto uninstall = qScopeGuard([&french] { QCoreApplication::removeTranslator(&french); });

    PcrCore core;
    QSignalSpy warning(&core, &PcrCore::showWarningDialog);
    QVERIFY(!core.exportRunData(m_dataDir.filePath(QStringLiteral("run.csv")), 12345));
    QCOMPARE(
        warning.value(0),
        (QVariantList{QStringLiteral("\u00C9chec de l'export des donn\u00E9es d'ex\u00E9cution."),
                      QStringLiteral("Identifiant d'appareil invalide.")}));

    const PCRDeviceList devices = addMachines(core, {Machine::EepromBusy});
    const Library library = addLibrary(core);
    QSignalSpy info(&core, &PcrCore::showInfoDialog);
    core.runProgram(library.shortHold, false, devices.first()->deviceId());
    QCOMPARE(info.value(0).value(0).toString(), QStringLiteral("Device is busy"));
}

void TestPcrCore::tempFileNameIsAnMd5()
{
    PcrCore core;
    const QString name = core.tempFileName();
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(name).hasMatch(),
             qPrintable(name));
}

// Nothing asks for emulated machines in the product; the path stays working.
void TestPcrCore::emulationKeepsTenMachines()
{
    PcrCore core;
    core.onEmulateDevices();
    QCOMPARE(core.devicesModel()->count(), 10);
    // Half of them answer, as emulated machines do.
    QTRY_VERIFY(core.onlineDevicesModel()->count() > 0);
    const int online = core.onlineDevicesModel()->count();
    // Asked again, the emulated machines start over and none is added.
    core.onEmulateDevices();
    QCOMPARE(core.devicesModel()->count(), 10);
    QTRY_COMPARE(core.onlineDevicesModel()->count(), online);
}

QTEST_MAIN(TestPcrCore)
#include "tst_pcrcore.moc"
