#include "core/bluetooth/bledevicesprovider.h"
#include "logwatch.h"

#include <QFile>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QtTest>

// Each built plug-in, loaded from the build tree the way the program loads
// its plug-in: under the library name "Corvex" (a packaging matter which one
// is installed so on a system).
class TestBlePlugins : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(
            QStringLiteral("*.debug=false\nqt.bluetooth*.warning=false"));
        QVERIFY(m_folder.isValid());
    }
    void loadedThroughTheProgramsLoader_data();
    void loadedThroughTheProgramsLoader();

private:
    QTemporaryDir m_folder;
};

void TestBlePlugins::loadedThroughTheProgramsLoader_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("rootClass");
    QTest::addColumn<bool>("withScannerProgram");

    QTest::newRow("Corvex") << QStringLiteral(CORVEX_PLUGIN)
                            << QStringLiteral("org.Vornell.Thermox.Corvex")
                            << QStringLiteral("BLEDevicesCommonFinder") << false;
    QTest::newRow("WinCorvex2") << QStringLiteral(WINCORVEX2_PLUGIN)
                                << QStringLiteral("org.Vornell.Thermox.WinCorvex")
                                << QStringLiteral("BLEDevicesFinder") << true;
}

void TestBlePlugins::loadedThroughTheProgramsLoader()
{
    QFETCH(QString, library);
    QFETCH(QString, identifier);
    QFETCH(QString, rootClass);
    QFETCH(bool, withScannerProgram);
    const QJsonObject metaData = QPluginLoader(library).metaData();
    QCOMPARE(metaData.value(QStringLiteral("IID")).toString(), identifier);
    QCOMPARE(metaData.value(QStringLiteral("className")).toString(), rootClass);
    // Installed under the name the program loads, in a folder of its own.
    const QString folder = m_folder.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::link(library, QDir(folder).filePath(QStringLiteral("libCorvex.so"))));

    LogWatch log;
    BLEDevicesProvider provider({folder});
    QCOMPARE(log.count(QRegularExpression(QStringLiteral("^BLE PLUGIN LOADED!$"))), 1);
    QSignalSpy scanActive(&provider, &BLEDevicesProviderInterface::scanActiveChanged);
    provider.start();

    // The root object answered the cast: its signals reach the provider.
    QVERIFY(!scanActive.isEmpty() || scanActive.wait(5000));
    QCOMPARE(scanActive.first().first().toBool(), true);
    provider.stop();
    QVERIFY(!provider.scanActive());
    // The scanner program, found beside the library file the link leads to,
    // connects to the plug-in.
    if (withScannerProgram)
        QTRY_COMPARE_WITH_TIMEOUT(
            log.count(QRegularExpression(QStringLiteral("^Communication ready$"))), 1, 10000);
}

QTEST_GUILESS_MAIN(TestBlePlugins)
#include "tst_bleplugins.moc"
