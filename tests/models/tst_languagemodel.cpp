#include "../core/logwatch.h"
#include "core/translation.h"
#include "models/languagemodel.h"
#include "utils/datafolder.h"

#include <QAbstractItemModelTester>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString key = QStringLiteral("langId");

QRegularExpression exactly(const QString &line)
{
    return QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(line) +
                              QLatin1Char('$'));
}

// Writes the stored value as another run of the program left it; an invalid
// value removes it, as on a fresh installation. The settings store of this
// process shares the file's cache, so it sees the change at once.
void storeLanguageId(const QVariant &value)
{
    QSettings settings(settingsFilePath(), QSettings::IniFormat);
    if (value.isValid())
        settings.setValue(key, value);
    else
        settings.remove(key);
    settings.sync();
}

QVariant storedLanguageId()
{
    return QSettings(settingsFilePath(), QSettings::IniFormat).value(key);
}

} // namespace

class TestLanguageModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void offersAutoEnglishAndFrench();
    void highlightsTheStoredLanguage_data();
    void highlightsTheStoredLanguage();
    void savesTheHighlightedLanguage_data();
    void savesTheHighlightedLanguage();
};

void TestLanguageModel::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("ThermoxLanguageModelTest"));
    QStandardPaths::setTestModeEnabled(true);
}

void TestLanguageModel::offersAutoEnglishAndFrench()
{
    storeLanguageId(QVariant());
    LanguageModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    QCOMPARE(model.property("count").toInt(), 3);
    QCOMPARE(model.columnCount(), 1);
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.data(model.index(row, 0)).toString());
    QCOMPARE(names, QStringList({"Auto", "English", "French"}));
    QCOMPARE(model.roleNames().value(Qt::DisplayRole), QByteArray("display"));
    QVERIFY(!model.index(3, 0).isValid());
    QVERIFY(!model.index(0, 1).isValid());
    QVERIFY(!model.index(-1, 0).isValid());
    QVERIFY(!model.data(QModelIndex()).isValid());
    QVERIFY(!model.data(model.index(1, 0), Qt::SizeHintRole).isValid());
}

void TestLanguageModel::highlightsTheStoredLanguage_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("highlighted");
    QTest::addColumn<QString>("complaint"); // empty: none

    const QString notOnList = QStringLiteral("----- Error, unable to find language on list...");
    QTest::newRow("fresh installation") << QVariant() << 0 << QString();
    QTest::newRow("automatic") << QVariant(-1) << 0 << QString();
    QTest::newRow("English") << QVariant(0) << 1 << QString();
    QTest::newRow("French") << QVariant(1) << 2 << QString();
    QTest::newRow("Polish") << QVariant(2) << LanguageModel::noLanguageIndex << notOnList;
    QTest::newRow("unexpected 7") << QVariant(7) << LanguageModel::noLanguageIndex << notOnList;
    // The loader runs in automatic mode then, and so must the window.
    QTest::newRow("not a number")
        << QVariant("abc") << 0 << "Error reading languageID from settings file, fall back to auto";
}

void TestLanguageModel::highlightsTheStoredLanguage()
{
    QFETCH(QVariant, stored);
    QFETCH(int, highlighted);
    QFETCH(QString, complaint);

    storeLanguageId(stored);
    LogWatch log;
    LanguageModel model;
    QCOMPARE(model.getCurrentLanguageIndex(), highlighted);
    const QList<QRegularExpression> expected =
        complaint.isEmpty() ? QList<QRegularExpression>() : QList{exactly(complaint)};
    QCOMPARE(log.unexpectedWarnings(expected), QStringList());
    QCOMPARE(log.count(exactly(complaint)), complaint.isEmpty() ? 0 : 1);
}

void TestLanguageModel::savesTheHighlightedLanguage_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("highlight");
    QTest::addColumn<QVariant>("storedAfter");
    QTest::addColumn<QString>("dialogText"); // empty: no dialog
    QTest::addColumn<QString>("logged");

    const QString noDialog;
    const QString same = QStringLiteral("Language is same as old one, not saving...");
    const QString noneHighlighted = QStringLiteral("No language highlighted, not saving...");
    const auto changedTo = [](const char *name) {
        return QStringLiteral("Language will be changed to <b>%1</b> with next application restart")
            .arg(QLatin1String(name));
    };
    QTest::newRow("English over automatic")
        << QVariant() << 1 << QVariant("0") << changedTo("English")
        << "Setting value: langId to: 0";
    QTest::newRow("French over French") << QVariant(1) << 2 << QVariant("1") << noDialog << same;
    QTest::newRow("Auto over automatic") << QVariant(-1) << 0 << QVariant("-1") << noDialog << same;
    QTest::newRow("Auto over unexpected 7")
        << QVariant(7) << 0 << QVariant("7") << noDialog << same;
    QTest::newRow("Auto over Polish") << QVariant(2) << 0 << QVariant("-1") << changedTo("Auto")
                                      << "Setting value: langId to: -1";
    QTest::newRow("French over English") << QVariant(0) << 2 << QVariant("1") << changedTo("French")
                                         << "Setting value: langId to: 1";
    QTest::newRow("English over not a number")
        << QVariant("abc") << 1 << QVariant("0") << changedTo("English")
        << "Setting value: langId to: 0";
    // Polish stored and no row chosen yet, or a row beyond the list.
    QTest::newRow("nothing highlighted") << QVariant(2) << LanguageModel::noLanguageIndex
                                         << QVariant("2") << noDialog << noneHighlighted;
    QTest::newRow("beyond the list")
        << QVariant(0) << 3 << QVariant("0") << noDialog << noneHighlighted;
}

void TestLanguageModel::savesTheHighlightedLanguage()
{
    QFETCH(QVariant, stored);
    QFETCH(int, highlight);
    QFETCH(QVariant, storedAfter);
    QFETCH(QString, dialogText);
    QFETCH(QString, logged);

    storeLanguageId(stored);
    LogWatch log;
    LanguageModel model;
    QSignalSpy saved(&model, &LanguageModel::languageSaved);
    model.setCurrentLanguage(highlight);
    model.saveLanguage();

    QCOMPARE(storedLanguageId().toString(), storedAfter.toString());
    QCOMPARE(log.count(exactly(logged)), 1);
    if (dialogText.isEmpty()) {
        QCOMPARE(saved.count(), 0);
        return;
    }
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().at(0).toString(), QStringLiteral("Language"));
    QCOMPARE(saved.first().at(1).toString(), dialogText);
    // The next start's window highlights what was saved.
    QCOMPARE(LanguageModel().getCurrentLanguageIndex(), highlight);
}

QTEST_GUILESS_MAIN(TestLanguageModel)
#include "tst_languagemodel.moc"
