#include "virtualhidbus.h"

#include "connection/devicechecker.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

constexpr int IntervalMs = 20;
// One pass enumerates both firmware generations.
constexpr int EnumerationsPerPass = 2;

struct Report
{
    PCRConst::ConnectionType type;
    HidDeviceDescriptions devices;
};

int enumerations()
{
    return VirtualHidBus::instance().enumerationCount();
}

// A thread with no event loop running, standing for a GUI thread that is
// busy elsewhere: what is queued to an object living there stays queued.
class BusyThread
{
public:
    BusyThread() { m_marker.moveToThread(&m_thread); }
    ~BusyThread() { deliverQueued(); }

    void adopt(QObject *object) { object->moveToThread(&m_thread); }
    // The thread turns to its queue at last and works through it, then ends.
    void deliverQueued()
    {
        if (m_thread.isFinished())
            return;
        QThread *thread = &m_thread;
        QMetaObject::invokeMethod(
            &m_marker, [thread] { thread->quit(); }, Qt::QueuedConnection);
        m_thread.start();
        m_thread.wait();
    }

private:
    QThread m_thread;
    QObject m_marker; // lives there; asked last to end the thread
};

} // namespace

class TestDeviceChecker : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void reportsEveryMachineInEachPassFirmware1First_data();
    void reportsEveryMachineInEachPassFirmware1First();
    void stopEndsTheReports();
    void destroyedWithHandOversQueued();

private:
    void plugIn(const QString &model);
    void record(DeviceChecker &checker);

    QStringList m_machines;
    QList<Report> m_reports;
};

void TestDeviceChecker::cleanup()
{
    for (const QString &serialNumber : qAsConst(m_machines))
        VirtualHidBus::instance().removeMachine(serialNumber);
    m_machines.clear();
    m_reports.clear();
}

void TestDeviceChecker::plugIn(const QString &model)
{
    const QString serialNumber = VirtualHidBus::instance().addMachine(model);
    QVERIFY(!serialNumber.isEmpty());
    m_machines.append(serialNumber);
}

void TestDeviceChecker::record(DeviceChecker &checker)
{
    connect(&checker, &DeviceChecker::hidDevicesDetected, this,
            [this](const HidDeviceDescriptions &devices, PCRConst::ConnectionType type) {
                QCOMPARE(QThread::currentThread(), thread());
                m_reports.append({type, devices});
            });
}

void TestDeviceChecker::reportsEveryMachineInEachPassFirmware1First_data()
{
    QTest::addColumn<QStringList>("models"); // plugged in, in this order
    QTest::addColumn<QList<int>>("typesPerPass");

    const int v1 = PCRConst::CT_USB_Firmware_V1;
    const int v3 = PCRConst::CT_USB_Firmware_V3;
    QTest::newRow("none") << QStringList() << QList<int>();
    QTest::newRow("firmware 1") << QStringList{QStringLiteral("vela8")} << QList<int>{v1};
    QTest::newRow("firmware 3") << QStringList{QStringLiteral("vela16")} << QList<int>{v3};
    QTest::newRow("both, firmware 3 plugged first")
        << QStringList{QStringLiteral("vela16"), QStringLiteral("vela8")} << QList<int>{v1, v3};
    QTest::newRow("two of firmware 3")
        << QStringList{QStringLiteral("vela16"), QStringLiteral("vela16")} << QList<int>{v3};
}

void TestDeviceChecker::reportsEveryMachineInEachPassFirmware1First()
{
    QFETCH(QStringList, models);
    QFETCH(QList<int>, typesPerPass);
    for (const QString &model : qAsConst(models))
        plugIn(model);
    DeviceChecker checker(nullptr, IntervalMs);
    record(checker);
    constexpr int Passes = 3;
    const int enumerationsBefore = enumerations();

    checker.start();

    if (typesPerPass.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(
            enumerations() >= enumerationsBefore + Passes * EnumerationsPerPass, 5000);
        QCoreApplication::sendPostedEvents();
        QVERIFY(m_reports.isEmpty());
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.size() >= Passes * typesPerPass.size(), 5000);
    for (int i = 0; i < Passes * typesPerPass.size(); ++i) {
        const Report &report = m_reports.at(i);
        QCOMPARE(int(report.type), typesPerPass.at(i % typesPerPass.size()));
        const bool v1 = report.type == PCRConst::CT_USB_Firmware_V1;
        const int count =
            int(models.count(v1 ? QStringLiteral("vela8") : QStringLiteral("vela16")));
        QCOMPARE(report.devices.size(), count);
        // Values of their own: still readable long after the pass freed its enumeration.
        for (const HidDeviceDescription &device : report.devices) {
            QVERIFY(m_machines.contains(device.serialNumber()));
            QVERIFY(!device.path().isEmpty());
            QCOMPARE(device.vendorId(), v1 ? DeviceChecker::VendorIdV1 : DeviceChecker::VendorIdV3);
            QCOMPARE(device.productId(),
                     v1 ? DeviceChecker::ProductIdV1 : DeviceChecker::ProductIdV3);
        }
    }
}

void TestDeviceChecker::stopEndsTheReports()
{
    plugIn(QStringLiteral("vela8"));
    DeviceChecker checker(nullptr, IntervalMs);
    record(checker);
    checker.start();
    QTRY_VERIFY_WITH_TIMEOUT(!m_reports.isEmpty(), 5000);
    checker.stop();
    m_reports.clear();
    checker.start();
    QTRY_VERIFY_WITH_TIMEOUT(!m_reports.isEmpty(), 5000);

    // Passes find the machine while the checker's own thread is busy: their
    // reports are on their way when it stops.
    BusyThread busy;
    busy.adopt(&checker);
    const int target = enumerations() + 2 * EnumerationsPerPass;
    QTRY_VERIFY_WITH_TIMEOUT(enumerations() >= target, 5000);
    checker.stop();
    QCoreApplication::sendPostedEvents();
    m_reports.clear();
    busy.deliverQueued();
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_reports.isEmpty());
}

void TestDeviceChecker::destroyedWithHandOversQueued()
{
    plugIn(QStringLiteral("vela8"));
    auto *checker = new DeviceChecker(nullptr, IntervalMs);
    record(*checker);
    // Its thread is busy elsewhere (as when the application shuts down after
    // its event loop has ended) while passes hand their machines over.
    BusyThread busy;
    busy.adopt(checker);
    checker->start();
    const int target = enumerations() + 2 * EnumerationsPerPass;
    QTRY_VERIFY_WITH_TIMEOUT(enumerations() >= target, 5000);

    QElapsedTimer destruction;
    destruction.start();
    delete checker;

    QVERIFY(destruction.elapsed() < 1000); // no pass waits for the checker's thread
    busy.deliverQueued();                  // the hand-overs went with the checker
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_reports.isEmpty());
}

QTEST_GUILESS_MAIN(TestDeviceChecker)
#include "tst_devicechecker.moc"
