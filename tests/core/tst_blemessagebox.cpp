#include "core/bluetooth/platform/win/blemessagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

class TestBleMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void texts();
    void choiceIsRemembered_data();
    void choiceIsRemembered();
};

void TestBleMessageBox::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("ThermoxBleBoxTest"));
    QStandardPaths::setTestModeEnabled(true);
}

void TestBleMessageBox::texts()
{
    BleMessageBox box;
    QCOMPARE(box.messageBox().text(),
             "Bluetooth Low Energy will not work on current operation system.");
    QVERIFY(box.messageBox().detailedText().startsWith("You are running Microsoft Windows 8.1"));
    QCOMPARE(box.checkBox()->text(), "Do not show this message again.");
    QCOMPARE(box.messageBox().icon(), QMessageBox::Warning);
    QVERIFY(box.messageBox().defaultButton());
}

void TestBleMessageBox::choiceIsRemembered_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("shownNextTime");
    QTest::newRow("not ticked") << false << true;
    QTest::newRow("ticked") << true << false;
}

void TestBleMessageBox::choiceIsRemembered()
{
    QFETCH(bool, ticked);
    QFETCH(bool, shownNextTime);
    QSettings().remove("SHOW_MESSAGE");

    BleMessageBox box;
    QVERIFY(box.needShowMessage());
    QTimer::singleShot(0, [&box, ticked] {
        box.checkBox()->setChecked(ticked);
        box.messageBox().button(QMessageBox::Ok)->click();
    });
    box.show();

    QCOMPARE(BleMessageBox().needShowMessage(), shownNextTime);
}

QTEST_MAIN(TestBleMessageBox)
#include "tst_blemessagebox.moc"
