#include "virtualbleplugin.h"

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
    }

    void searchPath();
    void withoutPluginInert_data();
    void withoutPluginInert();
    void forwardsToThePlugin();
    void deviceDeletedByThePluginLeavesGuardsNull();
    void deviceOutlivesTheProvider();
};

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
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine();
    QTest::ignoreMessage(QtInfoMsg, "Use Corvex plugin.");
    QTest::ignoreMessage(QtInfoMsg, "BLE PLUGIN LOADED!");
    BLEDevicesProvider provider({VirtualBlePlugin::folder()});
    QSignalSpy scanActive(&provider, &BLEDevicesProviderInterface::scanActiveChanged);
    QSignalSpy announced(&provider, &BLEDevicesProviderInterface::newDeviceAvailable);

    // Both calls reach the plug-in: each has the machine announced.
    provider.start();
    provider.start();
    QVERIFY(provider.scanActive());
    QTRY_COMPARE(announced.count(), 2);
    auto *device = announced.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(device->id(), id);
    QCOMPARE(announced.last().first().value<BLEDeviceInterface *>(), device);

    // The plug-in's scan ends by itself; the provider says so too.
    QTRY_COMPARE(scanActive.count(), 2);
    QCOMPARE(scanActive.at(0).first().toBool(), true);
    QCOMPARE(scanActive.at(1).first().toBool(), false);
    QVERIFY(!provider.scanActive());

    provider.setScanActive(true);
    QVERIFY(plugin.provider()->scanActive());
    provider.stop();
    QVERIFY(!plugin.provider()->scanActive());
    QCOMPARE(scanActive.count(), 4);
}

void TestBLEDevicesProvider::deviceDeletedByThePluginLeavesGuardsNull()
{
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine();
    BLEDevicesProvider provider({VirtualBlePlugin::folder()});
    QSignalSpy announced(&provider, &BLEDevicesProviderInterface::newDeviceAvailable);
    provider.start();
    QVERIFY(announced.wait());
    const QPointer<BLEDeviceInterface> device =
        announced.first().first().value<BLEDeviceInterface *>();
    ConnectionV3BLE connection(device, false);
    QCOMPARE(connection.hardwareId(), id);

    // A scan that no longer sees the machine has the plug-in delete its object.
    QVERIFY(plugin.control()->removeMachine(id));
    provider.start();
    QTRY_VERIFY(!device);

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
    QString id;
    {
        auto plugin = std::make_unique<VirtualBlePlugin>();
        id = plugin->addMachine();
        BLEDevicesProvider provider({VirtualBlePlugin::folder()});
        device = plugin->discover(id);
        QVERIFY(device);
        // The provider is the library's last user when it goes.
        plugin.reset();
    }

    // Still there, and its code still runs: answering, then deleted the
    // deferred way a device object is.
    QVERIFY(device);
    QCOMPARE(device->id(), id);
    QVERIFY(!device->isInitialized());
    device->deleteLater();
    QTRY_VERIFY(!device);
}

QTEST_GUILESS_MAIN(TestBLEDevicesProvider)
#include "tst_bledevicesprovider.moc"
