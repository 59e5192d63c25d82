#include "ui/focusnavigator.h"

#include <QQuickWindow>
#include <QSignalSpy>
#include <QtTest>

namespace {

const int FocusTimeoutMs = 5000;

// A row of four tab stops with a navigator in the middle:
// first, navigator, second, third.
struct FocusRow
{
    FocusRow()
    {
        window.resize(200, 100);
        first = stop();
        navigator = new FocusNavigator(window.contentItem());
        second = stop();
        third = stop();
        window.show();
    }

    QQuickItem *stop()
    {
        auto *item = new QQuickItem(window.contentItem());
        item->setActiveFocusOnTab(true);
        return item;
    }

    QQuickWindow window;
    QQuickItem *first = nullptr;
    FocusNavigator *navigator = nullptr;
    QQuickItem *second = nullptr;
    QQuickItem *third = nullptr;
};

} // namespace

class TestFocusNavigator : public QObject
{
    Q_OBJECT

private slots:
    void passesFocusOn_data();
    void passesFocusOn();
    void otherReasonsStayOnTheNavigator();
    void announcesOnlyRealChanges();
};

void TestFocusNavigator::passesFocusOn_data()
{
    QTest::addColumn<bool>("forward");
    QTest::addColumn<bool>("chosen");

    QTest::newRow("Tab to the next stop") << true << false;
    QTest::newRow("Tab to the chosen item") << true << true;
    QTest::newRow("Backtab to the previous stop") << false << false;
    QTest::newRow("Backtab to the chosen item") << false << true;
}

// Focus arrives at the navigator with Tab from the first stop or with
// Backtab from the second, and moves on at once.
void TestFocusNavigator::passesFocusOn()
{
    QFETCH(bool, forward);
    QFETCH(bool, chosen);
    FocusRow row;
    QVERIFY(QTest::qWaitForWindowExposed(&row.window));
    if (chosen)
        forward ? row.navigator->setTabItem(row.third) : row.navigator->setBacktabItem(row.third);
    QQuickItem *start = forward ? row.first : row.second;
    start->forceActiveFocus();
    QTRY_VERIFY_WITH_TIMEOUT(start->hasActiveFocus(), FocusTimeoutMs);

    QTest::keyClick(&row.window, Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);

    QQuickItem *expected = chosen ? row.third : forward ? row.second : row.first;
    QTRY_COMPARE_WITH_TIMEOUT(row.window.activeFocusItem(), expected, FocusTimeoutMs);
}

void TestFocusNavigator::otherReasonsStayOnTheNavigator()
{
    FocusRow row;
    QVERIFY(QTest::qWaitForWindowExposed(&row.window));
    row.navigator->setTabItem(row.third);

    row.navigator->forceActiveFocus(Qt::MouseFocusReason);

    QCOMPARE(row.window.activeFocusItem(), row.navigator);
}

void TestFocusNavigator::announcesOnlyRealChanges()
{
    FocusRow row;
    QSignalSpy tabChanges(row.navigator, &FocusNavigator::tabItemChanged);
    QSignalSpy backtabChanges(row.navigator, &FocusNavigator::backtabItemChanged);

    row.navigator->setTabItem(row.third);
    row.navigator->setTabItem(row.third);
    row.navigator->setBacktabItem(row.first);
    row.navigator->setBacktabItem(row.first);
    row.navigator->setTabItem(nullptr);

    QCOMPARE(tabChanges.count(), 2);
    QCOMPARE(tabChanges.at(0).at(0).value<QQuickItem *>(), row.third);
    QCOMPARE(tabChanges.at(1).at(0).value<QQuickItem *>(), nullptr);
    QCOMPARE(backtabChanges.count(), 1);
    QCOMPARE(row.navigator->backtabItem(), row.first);
}

QTEST_MAIN(TestFocusNavigator)
#include "tst_focusnavigator.moc"
