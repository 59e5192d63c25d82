#include "bledevicesfinder.h"
#include "virtualbluezbus.h"

#include <QLoggingCategory>
#include <QtTest>

#include <memory>

namespace {
constexpr int WaitMs = 20000;
} // namespace

// The Windows finder with our scanner program CorvexRunner, which scans
// through Qt Bluetooth and the virtual Bluetooth daemon (it inherits the
// private bus from the test).
class TestCorvexRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void reportsMachinesAndTheirGoing();

private:
    std::unique_ptr<VirtualBluezBus> m_bus;
};

void TestCorvexRunner::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    qRegisterMetaType<BLEDeviceInterface *>();
    m_bus = std::make_unique<VirtualBluezBus>();
    QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
}

void TestCorvexRunner::cleanupTestCase()
{
    m_bus.reset();
}

void TestCorvexRunner::reportsMachinesAndTheirGoing()
{
    QString error;
    const QString address = m_bus->addMachine(QStringLiteral("vela16::Bench Two"), &error);
    QVERIFY2(!address.isEmpty(), qPrintable(error));
    BLEDevicesFinder finder(QStringLiteral(CORVEX_RUNNER));
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);

    finder.start();

    QVERIFY(announced.wait(WaitMs));
    const QPointer<BLEDeviceInterface> device =
        announced.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(device->id(), address);
    // Whitespace cannot cross the message format.
    QCOMPARE(device->name(), QStringLiteral("BenchTwo"));
    // Reported once, however many scans see it.
    QVERIFY(!announced.wait(3 * 3000));
    QCOMPARE(announced.count(), 1);

    // Gone from the air: missed by three scans in a row, then reported gone,
    // and the finder drops the machine's object.
    QVERIFY(m_bus->removeMachine(address));
    QTRY_VERIFY_WITH_TIMEOUT(!device, 4 * WaitMs);
}

QTEST_GUILESS_MAIN(TestCorvexRunner)
#include "tst_corvexrunner.moc"
