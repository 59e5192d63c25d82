#include "virtualhidbus.h"

#include "connection/devicechecker.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>

namespace {

constexpr int IntervalMs = 20;

// What a receiver can read of one report while the call lasts.
struct Report
{
    PCRConst::ConnectionType type;
    QStringList serialNumbers;
    QVector<quint16> vendorIds;
    QVector<quint16> productIds;
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
    void destroyedWhileAPassWaitsForItsHandOver();

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
            [this](const QList<hid_device_info *> &devices, PCRConst::ConnectionType type) {
                Report report{type, {}, {}, {}};
                for (const hid_device_info *device : devices) {
                    report.serialNumbers.append(QString::fromWCharArray(device->serial_number));
                    report.vendorIds.append(device->vendor_id);
                    report.productIds.append(device->product_id);
                }
                m_reports.append(report);
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

    checker.start();

    constexpr int Passes = 3;
    if (typesPerPass.isEmpty()) {
        QTest::qWait(Passes * 5 * IntervalMs);
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
        QCOMPARE(report.serialNumbers.size(), count);
        QCOMPARE(report.vendorIds, QVector<quint16>(count, v1 ? DeviceChecker::VendorIdV1
                                                              : DeviceChecker::VendorIdV3));
        QCOMPARE(report.productIds, QVector<quint16>(count, v1 ? DeviceChecker::ProductIdV1
                                                               : DeviceChecker::ProductIdV3));
        for (const QString &serialNumber : report.serialNumbers)
            QVERIFY(m_machines.contains(serialNumber));
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
    const int reported = m_reports.size();
    QTest::qWait(10 * IntervalMs);
    QCOMPARE(m_reports.size(), reported);

    checker.start();
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.size() > reported, 5000);
}

void TestDeviceChecker::destroyedWhileAPassWaitsForItsHandOver()
{
    plugIn(QStringLiteral("vela8"));
    auto *checker = new DeviceChecker(nullptr, IntervalMs);
    record(*checker);
    checker->start();
    // The GUI thread is busy elsewhere (as when the application shuts down
    // after its event loop has ended) while a pass waits for its hand-over.
    QTest::qSleep(10 * IntervalMs);

    QElapsedTimer destruction;
    destruction.start();
    delete checker;

    QVERIFY(destruction.elapsed() < 1000); // a cancelled hand-over, not a wait for the GUI
    QTest::qWait(5 * IntervalMs); // the abandoned hand-over went with the checker
    QVERIFY(m_reports.isEmpty());
}

QTEST_GUILESS_MAIN(TestDeviceChecker)
#include "tst_devicechecker.moc"
