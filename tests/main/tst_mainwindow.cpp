#include "logwatch.h"
#include "windowfixture.h"

#include "core/pcrcore.h"
#include "utils/mlog.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

// The real window over the real core and the virtual machines, driven
// through its items as a user would.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void switchesPagesKeepingTheRunningPage();
    void keepsTheLibrarySortAcrossPages();
    void showsAndClosesADialog();
    void showsTheCoreDialogs();
    void offersTheLanguageWindowAndTheVerboseSwitch();

private:
    QQuickItem *loadedPage() const;

    std::unique_ptr<WindowFixture> m_window;
};

void TestMainWindow::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestMainWindow::init()
{
    m_window = std::make_unique<WindowFixture>();
    QVERIFY(m_window->start());
}

void TestMainWindow::cleanup()
{
    m_window.reset();
}

QQuickItem *TestMainWindow::loadedPage() const
{
    return m_window->findItem(QStringLiteral("pageLoader"))
        ->property("item")
        .value<QQuickItem *>();
}

void TestMainWindow::switchesPagesKeepingTheRunningPage()
{
    QQuickItem *runningPage = m_window->findItem(QStringLiteral("runningPage"));
    QVERIFY(runningPage);
    QVERIFY(m_window->findItem(QStringLiteral("libraryList"))->isVisible());
    QVERIFY(!runningPage->isVisible());

    QVERIFY(m_window->click(QStringLiteral("mainMenu_devices")));
    QVERIFY(m_window->waitForItem(QStringLiteral("devicesList")));
    QVERIFY(!m_window->isShown(QStringLiteral("libraryList")));

    QVERIFY(m_window->click(QStringLiteral("mainMenu_running")));
    QTRY_VERIFY(runningPage->isVisible());
    QCOMPARE(loadedPage(), nullptr);
    QCOMPARE(m_window->findItem(QStringLiteral("runningPage")), runningPage);

    QVERIFY(m_window->click(QStringLiteral("mainMenu_library")));
    QVERIFY(m_window->waitForItem(QStringLiteral("libraryList")));
    QVERIFY(!runningPage->isVisible());
    QCOMPARE(m_window->window()->property("currentPage").toString(), QStringLiteral("library"));
}

void TestMainWindow::keepsTheLibrarySortAcrossPages()
{
    QCOMPARE(loadedPage()->property("sortType").toString(), QStringLiteral("used"));
    loadedPage()->setProperty("sortType", QStringLiteral("az"));

    m_window->callWindow("showPage", {QStringLiteral("devices")});
    QVERIFY(m_window->waitForItem(QStringLiteral("devicesList")));
    m_window->callWindow("showPage", {QStringLiteral("running")});
    m_window->callWindow("showPage", {QStringLiteral("library")});

    QVERIFY(m_window->waitForItem(QStringLiteral("libraryList")));
    QCOMPARE(loadedPage()->property("sortType").toString(), QStringLiteral("az"));
}

void TestMainWindow::showsAndClosesADialog()
{
    QQuickItem *host = m_window->findItem(QStringLiteral("dialogHost"));
    m_window->callWindow("showInfoDialog", {QStringLiteral("Title"), QStringLiteral("Some text")});

    QQuickItem *button = m_window->waitForItem(QStringLiteral("infoButton"));
    QVERIFY(button);
    QVERIFY(host->isVisible());
    QCOMPARE(m_window->findItem(QStringLiteral("infoText"))->property("text").toString(),
             QStringLiteral("Some text"));
    QVERIFY(m_window->click(button));
    QTRY_VERIFY(!host->isVisible());
}

void TestMainWindow::showsTheCoreDialogs()
{
    QQuickItem *host = m_window->findItem(QStringLiteral("dialogHost"));
    emit m_window->core()->showRunningProtocolDialog(QStringLiteral("Run?"),
                                                     QStringLiteral("Run it?"), 1, 2, false);
    QVERIFY(m_window->waitForItem(QStringLiteral("noButton")));
    QVERIFY(!m_window->findItem(QStringLiteral("yesToAllButton"))->isVisible());
    QVERIFY(m_window->click(QStringLiteral("noButton")));
    QTRY_VERIFY(!host->isVisible());

    emit m_window->core()->showWarningDialog(QStringLiteral("Careful"),
                                             QStringLiteral("Something happened"));
    QQuickItem *ok = m_window->waitForItem(QStringLiteral("okButton"));
    QVERIFY(ok);
    QCOMPARE(m_window->findItem(QStringLiteral("warningText"))->property("text").toString(),
             QStringLiteral("Something happened"));
    m_window->pressKey(Qt::Key_Return);
    QTRY_VERIFY(!m_window->isShown(QStringLiteral("okButton")));

    emit m_window->core()->showRunningScreen();
    QTRY_VERIFY(m_window->findItem(QStringLiteral("runningPage"))->isVisible());
}

void TestMainWindow::offersTheLanguageWindowAndTheVerboseSwitch()
{
    QVERIFY(m_window->click(QStringLiteral("optionButton")));
    QQuickItem *language = m_window->waitForItem(QStringLiteral("pageMenu_language"));
    QVERIFY(language);
    QVERIFY(!m_window->findItem(QStringLiteral("pageMenu_run_data_export"))->isEnabled());
    QVERIFY(m_window->click(language));
    QVERIFY(m_window->waitForItem(QStringLiteral("languageList")));
    m_window->pressKey(Qt::Key_Escape);
    QTRY_VERIFY(!m_window->isShown(QStringLiteral("languageList")));

    const bool verbose = MLog::instance()->isVerbose();
    QVERIFY(m_window->click(QStringLiteral("optionButton")));
    QVERIFY(m_window->click(m_window->waitForItem(QStringLiteral("pageMenu_version"))));
    QTRY_COMPARE(MLog::instance()->isVerbose(), !verbose);

    // Sharing is for other platforms: choosing it only says so. (The log
    // facility has its own message handler, so the watch comes after it.)
    LogWatch log;
    m_window->callWindow("handleOption", {QStringLiteral("library_share")});
    QCOMPARE(log.count(QRegularExpression(QStringLiteral("Can't share library on desktop!"))), 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
