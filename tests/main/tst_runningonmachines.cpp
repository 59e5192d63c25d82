#include "../core/pluggedmachine.h"
#include "../program/programfixtures.h"
#include "../testtime.h"
#include "windowfixture.h"

#include "core/pcrcore.h"
#include "models/onlinedevicesmodel.h"
#include "ui/runningviewrules.h"
#include "utils/pcrconst.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QtTest>

namespace {

const int ConnectTimeoutMs = TestTime::scaled(15000);
const int RunTimeoutMs = TestTime::scaled(60000);
const int CommandTimeoutMs = TestTime::scaled(10000);

QByteArray pcr(int cycles)
{
    QJsonObject step = Fixtures::with(Fixtures::pcrStep(true), PCRConst::cyclesNum(), cycles);
    for (const QString &key :
         {PCRConst::initTime(), PCRConst::denaturationTime(), PCRConst::annealingTime(),
          PCRConst::extensionTime(), PCRConst::finalTime()})
        step = Fixtures::with(step, key, 5);
    return Fixtures::bytes({step});
}

QByteArray flex()
{
    QJsonObject pcrStep = QJsonDocument::fromJson(pcr(2)).array().first().toObject();
    return Fixtures::bytes(
        {Fixtures::heatBlockStep(45, 40, true, QStringLiteral("Warm up")), pcrStep});
}

} // namespace

// The main window over the real core and two virtual vela16 machines that
// run fast: protocols go out from the library through the run dialog, the
// running page's tabs follow the runs and its status box controls them.
class TestRunningOnMachines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void runsThroughTheDialogAndTheStatusBox();

private:
    // Runs the program from the library; the run dialog asks for the machine.
    void uploadThroughTheDialog(int programId, const PCRDevicePtr &device);
    void showTabOf(const PCRDevicePtr &device);
    QObject *page() const;
    QQuickItem *body() const;
    QQuickItem *find(const char *name, QQuickItem *under) const;
    int onlineRow(const PCRDevicePtr &device) const;

    std::unique_ptr<WindowFixture> m_fixture;
};

void TestRunningOnMachines::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

QObject *TestRunningOnMachines::page() const
{
    return m_fixture->findObject(QStringLiteral("runningPage"));
}

QQuickItem *TestRunningOnMachines::body() const
{
    return page()->property("currentBody").value<QQuickItem *>();
}

QQuickItem *TestRunningOnMachines::find(const char *name, QQuickItem *under) const
{
    return m_fixture->findItem(QLatin1String(name), under);
}

int TestRunningOnMachines::onlineRow(const PCRDevicePtr &device) const
{
    OnlineDevicesModel *online = m_fixture->core()->onlineDevicesModel();
    for (int row = 0; row < online->rowCount(); ++row) {
        if (online->data(online->index(row, 0), OnlineDevicesModel::DeviceIdRole).toInt() ==
            device->deviceId())
            return row;
    }
    return -1;
}

void TestRunningOnMachines::uploadThroughTheDialog(int programId, const PCRDevicePtr &device)
{
    m_fixture->callWindow("showPage", {QStringLiteral("library")});
    QObject *library = m_fixture->window()->property("currentPageItem").value<QObject *>();
    QVERIFY(library);
    QVERIFY(QMetaObject::invokeMethod(library, "runProtocol", Q_ARG(QVariant, programId)));
    QQuickItem *dialog = m_fixture->waitForItem(QStringLiteral("runDialog"));
    QVERIFY(dialog);
    QCOMPARE(dialog->property("title").toString(), QStringLiteral("Select PCR machine"));
    QQuickItem *upload = find("runDialogAction", dialog);
    QVERIFY(!upload->isEnabled());
    QQuickItem *list = find("machineList", dialog);
    const int row = onlineRow(device);
    QVERIFY(row >= 0);
    QQuickItem *rowItem = nullptr;
    QTRY_VERIFY(QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, rowItem),
                                          Q_ARG(int, row)) &&
                rowItem);
    QVERIFY(m_fixture->click(rowItem));
    QVERIFY(device->property("isSelected").toBool());
    QVERIFY(upload->isEnabled());
    QVERIFY(m_fixture->click(upload));
    QVERIFY(
        m_fixture->waitFor([this] { return !m_fixture->isShown(QStringLiteral("runDialog")); }));
}

void TestRunningOnMachines::showTabOf(const PCRDevicePtr &device)
{
    m_fixture->callWindow("showPage", {QStringLiteral("running")});
    QTRY_VERIFY_WITH_TIMEOUT(page()->property("count").toInt() >= 1, CommandTimeoutMs);
    for (int tab = 0; tab < page()->property("count").toInt(); ++tab) {
        QMetaObject::invokeMethod(page(), "selectTab", Q_ARG(QVariant, tab));
        if (page()->property("currentDeviceId").toInt() == device->deviceId())
            break;
    }
    QCOMPARE(page()->property("currentDeviceId").toInt(), device->deviceId());
    QTRY_VERIFY(body() && body()->isVisible());
}

void TestRunningOnMachines::runsThroughTheDialogAndTheStatusBox()
{
    const PluggedMachine first(VirtualMachine::Vela16, 20.0);
    const PluggedMachine second(VirtualMachine::Vela16, 20.0);
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->start());
    PcrCore &core = *m_fixture->core();
    QTRY_COMPARE_WITH_TIMEOUT(core.onlineDevicesModel()->count(), 2, ConnectTimeoutMs);
    const PCRDevicePtr pcrMachine = deviceWithSerial(core, first.serialNumber());
    const PCRDevicePtr flexMachine = deviceWithSerial(core, second.serialNumber());
    QTRY_VERIFY_WITH_TIMEOUT(!pcrMachine->isEepromBusy() && !flexMachine->isEepromBusy(),
                             ConnectTimeoutMs);

    // A PCR protocol to one machine, a flex protocol to the other.
    const int pcrProgram = core.addProgram(QStringLiteral("Live PCR"), pcr(4), Program::PT_PCR);
    const int flexProgram = core.addProgram(QStringLiteral("Live flex"), flex(), Program::PT_FLEX);
    uploadThroughTheDialog(pcrProgram, pcrMachine);
    uploadThroughTheDialog(flexProgram, flexMachine);
    QTRY_VERIFY_WITH_TIMEOUT(pcrMachine->isRunning() && flexMachine->isRunning(), RunTimeoutMs);

    // The flex tab names its current block once the PCR block runs.
    showTabOf(flexMachine);
    QTRY_VERIFY_WITH_TIMEOUT(find("flexStepLine", body())->isVisible(), RunTimeoutMs);
    QCOMPARE(find("flexStepLine", body())->property("label").toString(),
             QStringLiteral("Step 2: PCR"));

    // The PCR tab: its chart follows the machine; pause, play, restart.
    showTabOf(pcrMachine);
    QObject *chart = body()->property("tempChart").value<QObject *>();
    QTRY_VERIFY_WITH_TIMEOUT(chart->property("shownCount").toInt() > 2, RunTimeoutMs);
    QQuickItem *status = body()->property("status").value<QQuickItem *>();
    QQuickItem *play = find("playButton", status);
    QTRY_VERIFY_WITH_TIMEOUT(pcrMachine->shownStatus() == PCRConst::DS_RUNNING, RunTimeoutMs);
    QVERIFY(play->property("showsPause").toBool());
    QVERIFY(m_fixture->click(play));
    QVERIFY(!status->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(pcrMachine->shownStatus(), PCRConst::DS_PAUSED, CommandTimeoutMs);
    QTRY_VERIFY(status->isEnabled());
    QVERIFY(!play->property("showsPause").toBool());
    QVERIFY(m_fixture->click(play));
    QTRY_COMPARE_WITH_TIMEOUT(pcrMachine->shownStatus(), PCRConst::DS_RUNNING, CommandTimeoutMs);
    QTRY_VERIFY(status->isEnabled());
    QVERIFY(m_fixture->click(find("restartButton", status)));
    QTRY_VERIFY_WITH_TIMEOUT(status->isEnabled() && pcrMachine->isRunning(), CommandTimeoutMs);

    // Both runs end; a finished run can start again and be cancelled.
    QTRY_COMPARE_WITH_TIMEOUT(flexMachine->shownStatus(), PCRConst::DS_FINISHED, RunTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(pcrMachine->shownStatus(), PCRConst::DS_FINISHED, RunTimeoutMs);
    QTRY_VERIFY(status->isEnabled());
    QObject *dnaChart = body()->property("dnaChart").value<QObject *>();
    QCOMPARE(dnaChart->property("footText").toString(), QStringLiteral("4"));
    QVERIFY(!find("cancelButton", status)->isEnabled());
    QVERIFY(find("restartButton", status)->isEnabled());
    QVERIFY(m_fixture->click(play));
    QTRY_VERIFY_WITH_TIMEOUT(pcrMachine->isRunning() && status->isEnabled(), CommandTimeoutMs);
    QVERIFY(m_fixture->click(find("cancelButton", status)));
    QTRY_VERIFY_WITH_TIMEOUT(RunningViewRules::isFinished(pcrMachine->shownStatus()),
                             CommandTimeoutMs);

    // The run-data export of the current tab writes the trace.
    const QString csv = QDir(m_fixture->dataPath()).filePath(QStringLiteral("run.csv"));
    const int deviceId = page()->property("currentDeviceId").toInt();
    QVERIFY(core.exportRunData(QUrl::fromLocalFile(csv).toString(), deviceId));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().count('\n') > 2);
    m_fixture.reset();
}

QTEST_MAIN(TestRunningOnMachines)
#include "tst_runningonmachines.moc"
