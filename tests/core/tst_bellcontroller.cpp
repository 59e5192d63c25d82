#include "core/appsettings.h"
#include "core/bellcontroller.h"
#include "utils/datafolder.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

class TestBellController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstStartStoresTheDefault();
    void switchIsStoredAndSignalledOnce();
    void storedSwitchIsSharedByNewInstances();

private:
    static QVariant storedSwitch()
    {
        return QSettings(settingsFilePath(), QSettings::IniFormat).value("bellActiveForAll");
    }
};

void TestBellController::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("ThermoxBellTest"));
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(settingsFilePath());
}

void TestBellController::firstStartStoresTheDefault()
{
    QVERIFY(!storedSwitch().isValid());
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^Settings loaded from: .*/settings.ini$"));
    QTest::ignoreMessage(QtInfoMsg, "Setting value: bellActiveForAll to: true");
    BellController bell;
    QVERIFY(bell.activeForAll());
    QCOMPARE(storedSwitch(), QVariant(QStringLiteral("true")));
}

void TestBellController::switchIsStoredAndSignalledOnce()
{
    BellController bell;
    QSignalSpy changed(&bell, &BellController::activeForAllChanged);
    QTest::ignoreMessage(QtInfoMsg, "Setting value: bellActiveForAll to: false");
    bell.setActiveForAll(false);
    bell.setActiveForAll(false);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toBool(), false);
    QCOMPARE(storedSwitch().toBool(), false);

    bell.setProperty("activeForAll", true);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(storedSwitch().toBool(), true);
}

void TestBellController::storedSwitchIsSharedByNewInstances()
{
    AppSettings::setValue(QStringLiteral("bellActiveForAll"), false);
    BellController first;
    QVERIFY(!first.activeForAll());
    QSignalSpy changed(&first, &BellController::activeForAllChanged);
    BellController second;
    QVERIFY(!second.activeForAll());
    QCOMPARE(changed.count(), 0);
}

QTEST_GUILESS_MAIN(TestBellController)
#include "tst_bellcontroller.moc"
