#include "corvexdiscovery.h"
#include "virtualbluezbus.h"

#include "connection/connectionv3ble.h"
#include "core/bluetooth/bledevicesprovider.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

class TestBLEDevicesProvider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        qRegisterMetaType<BLEDeviceInterface *>();
        m_bus = std::make_unique<VirtualBluezBus>();
        QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
    }
    void cleanupTestCase() { m_bus.reset(); }

    void searchPath();
    void withoutPluginInert_data();
    void withoutPluginInert();
    void forwardsToThePlugin();
    void deviceDeletedByThePluginLeavesGuardsNull();
    void deviceOutlivesTheProvider();

private:
    // A new vela16 on the air; its address, the id of its device object.
    QString addMachine();

    std::unique_ptr<VirtualBluezBus> m_bus;
};

QString TestBLEDevicesProvider::addMachine()
{
    QString error;
    const QString address = m_bus->addMachine(QStringLiteral("vela16"), &error);
    if (address.isEmpty())
        qWarning() << error;
    return address;
}

void TestBLEDevicesProvider::searchPath()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    qputenv("THERMOX_BLE_PLUGIN_PATH", "/opt/first:/opt/second");

    const QStringList folders = BLEDevicesProvider::pluginFolders();

    qunsetenv("THERMOX_BLE_PLUGIN_PATH");
    QCOMPARE(folders.mid(0, 4),
             (QStringList{QStringLiteral("/opt/first"), QStringLiteral("/opt/second"),
                          programFolder, programFolder + QStringLiteral("/plugins")}));
    // The installed layout: the plug-ins sit in the program's library folder
    // beside bin (bin/thermox, lib/thermox/libCorvex.so).
    QVERIFY2(folders.at(4).startsWith(QDir::cleanPath(programFolder + QStringLiteral("/.."))),
             qPrintable(folders.at(4)));
    QVERIFY2(folders.at(4).endsWith(QStringLiteral("/thermox")), qPrintable(folders.at(4)));
    for (const QString &libraryPath : QCoreApplication::libraryPaths())
        QVERIFY(folders.contains(libraryPath));
    QCOMPARE(folders.count(programFolder), 1);
}

void TestBLEDevicesProvider::withoutPluginInert_data()
{
    QTest::addColumn<QByteArray>("libraryContent");
    QTest::addColumn<QString>("failure");

    QTest::newRow("no library") << QByteArray()
                                << QStringLiteral("^BLE PLUGIN LOADING FAILURE! Corvex The shared "
                                                  "library was not found\\.$");
    QTest::newRow("not a library")
        << QByteArray("not a plug-in") << QStringLiteral("^BLE PLUGIN LOADING FAILURE! Corvex .+");
}

void TestBLEDevicesProvider::withoutPluginInert()
{
    QFETCH(QByteArray, libraryContent);
    QFETCH(QString, failure);
    QTemporaryDir folder;
    if (!libraryContent.isEmpty()) {
        QFile library(folder.filePath(QStringLiteral("libCorvex.so")));
        QVERIFY(library.open(QIODevice::WriteOnly));
        library.write(libraryContent);
    }

    QTest::ignoreMessage(QtInfoMsg, "Use Corvex plugin.");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(failure));
    BLEDevicesProvider provider({folder.path()});
    QSignalSpy scanActive(&provider, &BLEDevicesProviderInterface::scanActiveChanged);
    QSignalSpy announced(&provider, &BLEDevicesProviderInterface::newDeviceAvailable);

    provider.start();
    provider.setScanActive(true);
    QVERIFY(!provider.scanActive());
    QVERIFY(!provider.property("scanActive").toBool());
    provider.stop();

    QVERIFY(scanActive.isEmpty());
    QVERIFY(announced.isEmpty());
}

void TestBLEDevicesProvider::forwardsToThePlugin()
{
    const QString id = addMachine();
    QTest::ignoreMessage(QtInfoMsg, "Use Corvex plugin.");
    QTest::ignoreMessage(QtInfoMsg, "BLE PLUGIN LOADED!");
    BLEDevicesProvider provider({QStringLiteral(CORVEX_FOLDER)});
    QSignalSpy scanActive(&provider, &BLEDevicesProviderInterface::scanActiveChanged);
    QSignalSpy announced(&provider, &BLEDevicesProviderInterface::newDeviceAvailable);

    // The plug-in's scan ends by itself; the provider says so too.
    provider.start();
    QVERIFY(provider.scanActive());
    QTRY_COMPARE_WITH_TIMEOUT(scanActive.count(), 2, 10000);
    QCOMPARE(scanActive.at(0).first().toBool(), true);
    QCOMPARE(scanActive.at(1).first().toBool(), false);
    QVERIFY(!provider.scanActive());
    QCOMPARE(announced.count(), 1);
    auto *device = announced.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(device->id(), id);

    // A second start reaches the plug-in too: the machine is announced
    // again, with the same object.
    provider.start();
    QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 2, 10000);
    QCOMPARE(announced.last().first().value<BLEDeviceInterface *>(), device);
    provider.stop();
    QVERIFY(!provider.scanActive());
    QCOMPARE(scanActive.count(), 4);
    m_bus->removeMachine(id);
}

void TestBLEDevicesProvider::deviceDeletedByThePluginLeavesGuardsNull()
{
    const QString id = addMachine();
    BLEDevicesProvider provider({QStringLiteral(CORVEX_FOLDER)});
    const QPointer<BLEDeviceInterface> device = CorvexDiscovery::discover(provider, id);
    QVERIFY(device);
    ConnectionV3BLE connection(device, false);
    QCOMPARE(connection.hardwareId(), id);

    // A scan that no longer sees the machine has the plug-in delete its object.
    QVERIFY(m_bus->removeMachine(id));
    provider.start();
    QTRY_VERIFY_WITH_TIMEOUT(!device, 10000);

    QVERIFY(connection.hardwareId().isEmpty());
    QVERIFY(!connection.isTransportOpen());
    connection.connectionInit();
    connection.sendTpData(QByteArray(20, '~'));
    connection.disconnectHandle();
    QVERIFY(!connection.isHandleConnected());
}

void TestBLEDevicesProvider::deviceOutlivesTheProvider()
{
    QPointer<BLEDeviceInterface> device;
    const QString id = addMachine();
    {
        BLEDevicesProvider provider({QStringLiteral(CORVEX_FOLDER)});
        device = CorvexDiscovery::discover(provider, id);
        QVERIFY(device);
    }

    // Still there, and its code still runs: answering, then deleted the
    // deferred way a device object is.
    QVERIFY(device);
    QCOMPARE(device->id(), id);
    QVERIFY(!device->isInitialized());
    device->deleteLater();
    QTRY_VERIFY(!device);
    m_bus->removeMachine(id);
}

QTEST_GUILESS_MAIN(TestBLEDevicesProvider)
#include "tst_bledevicesprovider.moc"
