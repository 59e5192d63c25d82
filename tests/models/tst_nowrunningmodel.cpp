#include "devicefixtures.h"

#include "models/protocolsmodel.h"
#include "models/runningprotocolsmodel.h"

#include <QSignalSpy>
#include <QtTest>

using namespace DeviceFixtures;

namespace {

// What a device does with the protocol under test.
// Idle: its run has finished.
enum class Holder { Idle, Loading, Running, RunningThenDisconnected, HoldsAnother };

void bring(TestDevice &device, Holder holder, const ProgramPtr &program)
{
    if (holder == Holder::HoldsAnother) {
        device.setActiveProgram(pcrProgram(QStringLiteral("Another")));
        return;
    }
    if (holder == Holder::Loading) {
        device.uploadProgram(program);
        deliver();
        return;
    }
    device.setActiveProgram(program);
    if (holder == Holder::Idle) {
        report(device, PCRConst::DS_FINISHED);
        return;
    }
    report(device, PCRConst::DS_RUNNING);
    if (holder == Holder::RunningThenDisconnected)
        setTransportOpen(device, false);
}

} // namespace

Q_DECLARE_METATYPE(Holder)

class TestNowRunningModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void rowsFollowTheHeldProtocol();
    void leavingRowsStillTellTheirProtocol_data();
    void leavingRowsStillTellTheirProtocol();
    void runningAnswers_data();
    void runningAnswers();
    void countRunningFollowsTheDevices();
    void theLibraryHearsWhenAProtocolStartsAndStopsRunning();
};

void TestNowRunningModel::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestNowRunningModel::rowsFollowTheHeldProtocol()
{
    Models models;
    const TestDevicePtr idle = onlineDevice({QStringLiteral("Idle"), QStringLiteral("0001")});
    const TestDevicePtr holder = onlineDevice({QStringLiteral("Holder"), QStringLiteral("0002")});
    const TestDevicePtr stored =
        storedDevice(PCRConst::CT_USB_Firmware_V3, {QStringLiteral("Stored"), QStringLiteral("3")});
    for (const TestDevicePtr &device : {idle, holder, stored})
        models.devices.addDevice(device);
    QSignalSpy counts(&models.nowRunning, &NowRunningModel::countChanged);
    QSignalSpy runningCounts(&models.nowRunning, &NowRunningModel::countRunningChanged);
    QCOMPARE(models.nowRunning.count(), 0);

    holder->setActiveProgram(pcrProgram());
    QCOMPARE(deviceIds(models.nowRunning), QList<int>{holder->deviceId()});
    QCOMPARE(models.nowRunning.count(), 1);
    QCOMPARE(counts.size(), 1);
    QVERIFY(runningCounts.size() >= 1);

    // A stored device that holds a protocol (its tab stays after a restart) is shown too.
    stored->setActiveProgram(pcrProgram(QStringLiteral("Stored run")));
    models.devices.deviceDataUpdated(); // no sender: nothing happens
    emit stored->dataUpdated();
    QCOMPARE(deviceIds(models.nowRunning), (QList<int>{holder->deviceId(), stored->deviceId()}));

    holder->setActiveProgram(emptyProgram());
    QCOMPARE(deviceIds(models.nowRunning), QList<int>{stored->deviceId()});
    QCOMPARE(counts.size(), 3);
    QCOMPARE(runningCounts.size() >= 3, true);
}

void TestNowRunningModel::leavingRowsStillTellTheirProtocol_data()
{
    QTest::addColumn<bool>("deviceDeleted");

    QTest::newRow("the device drops its protocol") << false;
    QTest::newRow("the device is deleted") << true;
}

void TestNowRunningModel::leavingRowsStillTellTheirProtocol()
{
    QFETCH(bool, deviceDeleted);
    Models models;
    const TestDevicePtr first = onlineDevice({QStringLiteral("First"), QStringLiteral("0001")});
    const TestDevicePtr second = onlineDevice({QStringLiteral("Second"), QStringLiteral("0002")});
    models.devices.addDevice(first);
    models.devices.addDevice(second);
    const ProgramPtr program = pcrProgram();
    first->setActiveProgram(program);
    second->setActiveProgram(pcrProgram(QStringLiteral("Other")));
    QList<QVariant> leaving;
    connect(&models.nowRunning, &NowRunningModel::rowsAboutToBeRemoved, this,
            [&](const QModelIndex &, int firstRow, int lastRow) {
                for (int row = firstRow; row <= lastRow; ++row)
                    leaving.append(
                        models.nowRunning.index(row, 0).data(DevicesModel::ProtocolIdRole));
            });

    if (deviceDeleted) {
        QTest::ignoreMessage(QtInfoMsg, "Deleting device: 0");
        models.devices.deleteDevice(first->deviceId());
    } else {
        first->setActiveProgram(emptyProgram());
    }

    QCOMPARE(leaving, QList<QVariant>{program->programId()});
    QCOMPARE(models.nowRunning.count(), 1);
    // Rows that stay tell what their device holds now.
    QCOMPARE(models.nowRunning.index(0, 0).data(DevicesModel::ProtocolIdRole),
             QVariant(second->activeProgram()->programId()));
}

void TestNowRunningModel::runningAnswers_data()
{
    QTest::addColumn<Holder>("first");
    QTest::addColumn<Holder>("second");
    QTest::addColumn<bool>("runningOnFirstHolder");
    QTest::addColumn<int>("runningCount");

    QTest::newRow("the first holder runs") << Holder::Running << Holder::Idle << true << 1;
    QTest::newRow("both run") << Holder::Running << Holder::Running << true << 2;
    QTest::newRow("the first holder loads") << Holder::Loading << Holder::Idle << true << 0;
    // Only the first holder is looked at.
    QTest::newRow("the first holder idles, the second runs")
        << Holder::Idle << Holder::Running << false << 1;
    QTest::newRow("the first holder is disconnected, the second runs")
        << Holder::RunningThenDisconnected << Holder::Running << false << 1;
    QTest::newRow("the first device holds another, the second runs")
        << Holder::HoldsAnother << Holder::Running << true << 1;
    QTest::newRow("nobody holds it") << Holder::HoldsAnother << Holder::HoldsAnother << false << 0;
}

void TestNowRunningModel::runningAnswers()
{
    QFETCH(Holder, first);
    QFETCH(Holder, second);
    QFETCH(bool, runningOnFirstHolder);
    QFETCH(int, runningCount);
    Models models;
    const ProgramPtr program = pcrProgram();
    const TestDevicePtr firstDevice = onlineDevice({QStringLiteral("First"), QStringLiteral("1")});
    const TestDevicePtr secondDevice =
        onlineDevice({QStringLiteral("Second"), QStringLiteral("2")});
    models.devices.addDevice(firstDevice);
    models.devices.addDevice(secondDevice);

    bring(*firstDevice, first, program);
    bring(*secondDevice, second, program);

    QCOMPARE(models.nowRunning.isRunningProtocol(program->programId()), runningOnFirstHolder);
    QCOMPARE(models.nowRunning.runningCount(program->programId()), runningCount);
    QCOMPARE(models.nowRunning.isProtocolRunning(program->programId()), runningCount > 0);
}

void TestNowRunningModel::countRunningFollowsTheDevices()
{
    Models models;
    const TestDevicePtr device = onlineDevice({QStringLiteral("Bench"), QStringLiteral("1")});
    const TestDevicePtr other = onlineDevice({QStringLiteral("Shelf"), QStringLiteral("2")});
    models.devices.addDevice(device);
    models.devices.addDevice(other);
    device->setActiveProgram(pcrProgram());
    QSignalSpy runningCounts(&models.nowRunning, &NowRunningModel::countRunningChanged);

    report(*device, PCRConst::DS_RUNNING);
    QVERIFY(!runningCounts.isEmpty());
    QCOMPARE(models.nowRunning.countRunning(), 1);

    // A running machine that drops off the line no longer counts.
    runningCounts.clear();
    setTransportOpen(*device, false);
    QVERIFY(!runningCounts.isEmpty());
    QCOMPARE(models.nowRunning.countRunning(), 0);
}

void TestNowRunningModel::theLibraryHearsWhenAProtocolStartsAndStopsRunning()
{
    Models models;
    ProtocolsModel protocols;
    RunningProtocolsModel library(&protocols, &models.nowRunning);
    QAbstractItemModelTester tester(&library,
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    const ProgramPtr program = pcrProgram();
    const int programId = protocols.addNewProtocol(program);
    protocols.addNewProtocol(pcrProgram(QStringLiteral("Other")));
    const TestDevicePtr first = onlineDevice({QStringLiteral("First"), QStringLiteral("1")});
    const TestDevicePtr second = onlineDevice({QStringLiteral("Second"), QStringLiteral("2")});
    models.devices.addDevice(first);
    models.devices.addDevice(second);
    const auto nowRunning = [&] {
        return library.index(library.protocolIndex(programId), 0)
            .data(RunningProtocolsModel::NowRunningRole)
            .toBool();
    };
    QSignalSpy changes(&library, &RunningProtocolsModel::dataChanged);
    const auto toldAboutIt = [&] {
        return std::any_of(changes.cbegin(), changes.cend(), [&](const QList<QVariant> &signal) {
            return signal.at(0).toModelIndex().row() == library.protocolIndex(programId) &&
                   signal.at(2).value<QVector<int>>().contains(
                       RunningProtocolsModel::NowRunningRole);
        });
    };

    bring(*first, Holder::Running, program);
    QVERIFY(nowRunning());
    QVERIFY(toldAboutIt());
    changes.clear();

    bring(*second, Holder::Running, program);
    first->setActiveProgram(emptyProgram());
    deliver();
    QVERIFY(nowRunning());

    second->setActiveProgram(emptyProgram());
    deliver();
    QVERIFY(!nowRunning());
    QTRY_VERIFY(toldAboutIt()); // once the row has gone
}

QTEST_GUILESS_MAIN(TestNowRunningModel)
#include "tst_nowrunningmodel.moc"
