// The library page's model over the device models the core wires to it, with
// devices of the product whose machines the tests script.

#include "devicefixtures.h"
#include "models/runningprotocolsmodel.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

using namespace DeviceFixtures;

namespace {

enum class Stop { Finishes, DropsProtocol, IsDeleted };

constexpr int nowRunningRole = RunningProtocolsModel::NowRunningRole;

} // namespace

Q_DECLARE_METATYPE(Stop)

class TestRunningProtocolsOnDevices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nowRunningFlipsWithFirstStartAndLastStop_data();
    void nowRunningFlipsWithFirstStartAndLastStop();
};

void TestRunningProtocolsOnDevices::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestRunningProtocolsOnDevices::nowRunningFlipsWithFirstStartAndLastStop_data()
{
    QTest::addColumn<Stop>("stop");

    QTest::newRow("its run finishes") << Stop::Finishes;
    QTest::newRow("its tab is closed") << Stop::DropsProtocol;
    QTest::newRow("it is deleted") << Stop::IsDeleted;
}

void TestRunningProtocolsOnDevices::nowRunningFlipsWithFirstStartAndLastStop()
{
    QFETCH(Stop, stop);
    Models models;
    ProtocolsModel library;
    RunningProtocolsModel running(&library, &models.nowRunning);
    const auto fatal = QAbstractItemModelTester::FailureReportingMode::Fatal;
    const QAbstractItemModelTester libraryTester(&library, fatal);
    const QAbstractItemModelTester runningTester(&running, fatal);
    library.addNewProtocol(pcrProgram(QStringLiteral("Other")));
    const ProgramPtr program = pcrProgram(QStringLiteral("Mix"));
    library.addNewProtocol(program);
    running.setSortRole(RunningProtocolsModel::AZProtocolNameRole);
    const QPersistentModelIndex row = running.index(running.protocolIndex(program->programId()), 0);
    const TestDevicePtr first = onlineDevice({QStringLiteral("First"), QStringLiteral("0001")});
    const TestDevicePtr second = onlineDevice({QStringLiteral("Second"), QStringLiteral("0002")});
    models.devices.addDevice(first);
    models.devices.addDevice(second);
    QSignalSpy changed(&running, &QAbstractItemModel::dataChanged);

    first->setActiveProgram(program);
    report(*first, PCRConst::DS_RUNNING);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(QPersistentModelIndex(changed.first().at(0).toModelIndex()), row);
    QCOMPARE(changed.first().at(2).value<QVector<int>>(), QVector<int>{nowRunningRole});
    QCOMPARE(row.data(nowRunningRole), QVariant(true));

    // A second device runs it and stops again: still running on the first.
    second->setActiveProgram(program);
    report(*second, PCRConst::DS_RUNNING);
    second->setActiveProgram(emptyProgram());
    // New readings of the running device.
    first->connection->machine.lidTemp = 104.5f;
    first->connection->machine.blockTemp = 94.0f;
    report(*first, PCRConst::DS_RUNNING);
    QVERIFY(!changed.wait(50));
    QCOMPARE(changed.size(), 1);

    switch (stop) {
    case Stop::Finishes:
        report(*first, PCRConst::DS_FINISHED);
        break;
    case Stop::DropsProtocol:
        first->setActiveProgram(emptyProgram());
        break;
    case Stop::IsDeleted:
        QTest::ignoreMessage(QtInfoMsg, "Deleting device: 0");
        models.devices.deleteDevice(first->deviceId());
        break;
    }
    QTRY_COMPARE(changed.size(), 2);
    QCOMPARE(QPersistentModelIndex(changed.last().at(0).toModelIndex()), row);
    QCOMPARE(changed.last().at(2).value<QVector<int>>(), QVector<int>{nowRunningRole});
    QCOMPARE(row.data(nowRunningRole), QVariant(false));
    QVERIFY(!changed.wait(50));
    QCOMPARE(changed.size(), 2);
}

QTEST_GUILESS_MAIN(TestRunningProtocolsOnDevices)
#include "tst_runningprotocolsondevices.moc"
