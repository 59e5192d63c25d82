#include "core/devicestatecontroller.h"

#include <QSignalSpy>
#include <QtTest>

using States = QList<PCRConst::DeviceStatus>;

class TestDeviceStateController : public QObject
{
    Q_OBJECT

private slots:
    void requestIsSentOnlyWhenNew();
    void reportsAfterAReset_data();
    void reportsAfterAReset();
    void lockHoldsTheStateUntilLifted();
};

void TestDeviceStateController::requestIsSentOnlyWhenNew()
{
    DeviceStateController controller;
    QSignalSpy requested(&controller, &DeviceStateController::stateChangeRequested);
    QVERIFY(!controller.isStateChanging());

    controller.requestState(PCRConst::DS_PAUSED);
    controller.requestState(PCRConst::DS_PAUSED);
    QCOMPARE(requested.count(), 1);
    QCOMPARE(requested.first().first().value<PCRConst::DeviceStatus>(), PCRConst::DS_PAUSED);
    QVERIFY(controller.isStateChanging());

    controller.setRequestedState(PCRConst::DS_STOPPED);
    QCOMPARE(requested.count(), 1);
    controller.requestState(PCRConst::DS_PAUSED);
    QCOMPARE(requested.count(), 2);

    controller.updateCurrentState(PCRConst::DS_PAUSED);
    QVERIFY(!controller.isStateChanging());
}

void TestDeviceStateController::reportsAfterAReset_data()
{
    QTest::addColumn<States>("reported");
    QTest::addColumn<PCRConst::DeviceStatus>("current");
    QTest::addColumn<PCRConst::DeviceStatus>("requested");
    QTest::addColumn<int>("changes");

    QTest::newRow("first start-up only confirms the request")
        << States{PCRConst::DS_START_UP} << PCRConst::DS_LOADING << PCRConst::DS_START_UP << 0;
    QTest::newRow("next start-up is shown") << States{PCRConst::DS_START_UP, PCRConst::DS_START_UP}
                                            << PCRConst::DS_START_UP << PCRConst::DS_START_UP << 1;
    QTest::newRow("running is shown at once")
        << States{PCRConst::DS_RUNNING} << PCRConst::DS_RUNNING << PCRConst::DS_RUNNING << 1;
    QTest::newRow("the old run's end is not shown")
        << States{PCRConst::DS_FINISHED, PCRConst::DS_STOPPED, PCRConst::DS_PAUSED}
        << PCRConst::DS_LOADING << PCRConst::DS_RESET << 0;
}

void TestDeviceStateController::reportsAfterAReset()
{
    QFETCH(States, reported);
    DeviceStateController controller;
    controller.updateCurrentState(PCRConst::DS_LOADING);
    controller.setRequestedState(PCRConst::DS_RESET);
    QSignalSpy changed(&controller, &DeviceStateController::currentStateChanged);
    QSignalSpy requested(&controller, &DeviceStateController::stateChangeRequested);

    for (const PCRConst::DeviceStatus state : reported)
        controller.updateCurrentState(state);

    QTEST(controller.currentState(), "current");
    QTEST(controller.requestedState(), "requested");
    QTEST(int(changed.count()), "changes");
    QCOMPARE(requested.count(), 0);
}

void TestDeviceStateController::lockHoldsTheStateUntilLifted()
{
    DeviceStateController controller;
    controller.updateCurrentState(PCRConst::DS_LOADING);
    controller.setLocked(true);
    QSignalSpy changed(&controller, &DeviceStateController::currentStateChanged);

    controller.updateCurrentState(PCRConst::DS_RUNNING);
    QCOMPARE(controller.currentState(), PCRConst::DS_LOADING);
    QCOMPARE(changed.count(), 0);

    controller.setLocked(false);
    controller.updateCurrentState(PCRConst::DS_RUNNING);
    QCOMPARE(controller.currentState(), PCRConst::DS_RUNNING);
    QCOMPARE(controller.requestedState(), PCRConst::DS_RUNNING);
    QCOMPARE(changed.count(), 1);
}

QTEST_GUILESS_MAIN(TestDeviceStateController)
#include "tst_devicestatecontroller.moc"
