#include "core/appsettings.h"
#include "core/translation.h"

#include <QProcess>
#include <QResource>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

const QStringList frenchCatalogues{"qtbase_fr.qm", "qtdeclarative_fr.qm", "qtquickcontrols_fr.qm",
                                   "thermox_fr.qm"};
const QStringList polishCatalogues{"qtbase_pl.qm", "qtconnectivity_pl.qm", "qtdeclarative_pl.qm",
                                   "thermox_pl.qm"};

struct ProbeResult
{
    QStringList catalogues;
    QString log;
};

// Runs the loader in a process of its own whose system locale comes from
// LANG, in a fresh home so that only the given "langId" is stored.
ProbeResult runProbe(const QString &systemLocale, const QString &languageId)
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("LANG", systemLocale);
    environment.insert("HOME", home.path());
    environment.insert("XDG_DATA_HOME", home.path() + "/.local/share");
    environment.insert("XDG_CONFIG_HOME", home.path() + "/.config");

    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(TRANSLATION_PROBE, languageId.isNull() ? QStringList() : QStringList{languageId});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        return {{QStringLiteral("probe failed")}, QString::fromUtf8(probe.readAllStandardError())};
    QStringList lines =
        QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return {lines, QString::fromUtf8(probe.readAllStandardError())};
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void loadsForTheStoredLanguageOrTheSystem_data();
    void loadsForTheStoredLanguageOrTheSystem();
    void chosenLanguageTranslatesUntilTheProcessEnds_data();
    void chosenLanguageTranslatesUntilTheProcessEnds();
    void damagedCatalogueSetsTheErrorFlag();

private:
    QList<QTranslator *> m_installed;
};

void TestTranslation::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("ThermoxTranslationTest"));
    QStandardPaths::setTestModeEnabled(true);
}

void TestTranslation::cleanup()
{
    for (QTranslator *translator : qAsConst(m_installed))
        QCoreApplication::removeTranslator(translator);
    qDeleteAll(m_installed);
    m_installed.clear();
    QResource::unregisterResource(DAMAGED_CATALOGUE);
}

void TestTranslation::loadsForTheStoredLanguageOrTheSystem_data()
{
    QTest::addColumn<QString>("systemLocale");
    QTest::addColumn<QString>("languageId"); // null: never stored
    QTest::addColumn<QStringList>("catalogues");
    QTest::addColumn<QString>("logged");

    const QString none;
    const QStringList nothing{"error 0"};
    const QString englishAuto = "English auto detected, not loading translation...";
    const QString unsupported = "Unsupported language detected: \"de\"";
    QTest::newRow("fresh English system") << "en_US.UTF-8" << none << nothing << englishAuto;
    QTest::newRow("automatic on English") << "en_GB.UTF-8"
                                          << "-1" << nothing << englishAuto;
    QTest::newRow("7 is automatic") << "en_US.UTF-8"
                                    << "7" << nothing << englishAuto;
    QTest::newRow("not a number is automatic")
        << "en_US.UTF-8"
        << "abc" << nothing << "Error reading languageID from settings file, fall back to auto";
    QTest::newRow("German system") << "de_DE.UTF-8" << none << nothing << unsupported;
    QTest::newRow("C locale") << "C" << none << nothing
                              << "Error, uiLang in form xx-XX not detected";
    QTest::newRow("English chosen on French system")
        << "fr_FR.UTF-8"
        << "0" << nothing << "English user selected, not loading translation...";
    QTest::newRow("French system")
        << "fr_FR.UTF-8" << none << QStringList{"error 0"} + frenchCatalogues
        << "\"fr\" language translation files:";
    QTest::newRow("Polish system")
        << "pl_PL.UTF-8" << none << QStringList{"error 0"} + polishCatalogues
        << "Info: loaded translation file for: (\"pl-PL\"";
    QTest::newRow("French chosen on German system")
        << "de_DE.UTF-8"
        << "1" << QStringList{"error 0"} + frenchCatalogues
        << "languageMap set to: LanguageMap::FR";
    QTest::newRow("Polish chosen on French system")
        << "fr_FR.UTF-8"
        << "2" << QStringList{"error 0"} + polishCatalogues
        << "Info: loaded translation file for: (\"pl\"";
}

void TestTranslation::loadsForTheStoredLanguageOrTheSystem()
{
    QFETCH(QString, systemLocale);
    QFETCH(QString, languageId);
    QFETCH(QStringList, catalogues);
    QFETCH(QString, logged);

    const ProbeResult result = runProbe(systemLocale, languageId);
    QCOMPARE(result.catalogues, catalogues);
    QVERIFY2(result.log.contains(logged), qPrintable(result.log));
}

void TestTranslation::chosenLanguageTranslatesUntilTheProcessEnds_data()
{
    QTest::addColumn<int>("languageId");
    QTest::addColumn<QStringList>("catalogues");
    QTest::addColumn<QString>("english"); // the program's own catalogue
    QTest::addColumn<QString>("help");    // Qt's
    QTest::newRow("French") << 1 << frenchCatalogues << "Anglais"
                            << "Aide";
    QTest::newRow("Polish") << 2 << polishCatalogues << "Angielski"
                            << "Pomoc";
}

void TestTranslation::chosenLanguageTranslatesUntilTheProcessEnds()
{
    QFETCH(int, languageId);
    QFETCH(QStringList, catalogues);
    QFETCH(QString, english);
    QFETCH(QString, help);

    AppSettings::setValue(Translation::settingsKey, languageId);
    bool error = true;
    m_installed = Translation::getTranslators(error);
    QVERIFY(!error);
    QCOMPARE(m_installed.size(), catalogues.size());
    for (QTranslator *translator : qAsConst(m_installed)) {
        QCOMPARE(translator->parent(), QCoreApplication::instance());
        QCoreApplication::installTranslator(translator);
    }
    QCOMPARE(QCoreApplication::translate("LanguageModel", "English"), english);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Help"), help);
}

void TestTranslation::damagedCatalogueSetsTheErrorFlag()
{
    QVERIFY(QResource::registerResource(DAMAGED_CATALOGUE));
    AppSettings::setValue(Translation::settingsKey, 1);
    QTest::ignoreMessage(QtWarningMsg,
                         "Error, unable to load translation file for language: \"French\"");
    for (const QString &file : QStringList{"damaged_fr.qm"} + frenchCatalogues + polishCatalogues)
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable("Available languages: \":/i18n/" + file + '"'));

    bool error = false;
    m_installed = Translation::getTranslators(error);
    QVERIFY(error);
    QStringList loaded;
    for (const QTranslator *translator : qAsConst(m_installed))
        loaded.append(QFileInfo(translator->filePath()).fileName());
    loaded.sort();
    QCOMPARE(loaded, frenchCatalogues);
}

QTEST_GUILESS_MAIN(TestTranslation)
#include "tst_translation.moc"
