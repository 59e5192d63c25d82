#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message
{
    QString context;
    QString source;
    QStringList translations; // one per plural form
    QString type;             // empty when finished

    bool isCurrent() const
    {
        return type != QLatin1String("vanished") && type != QLatin1String("obsolete");
    }
    bool isFinished() const
    {
        return type.isEmpty() && std::none_of(translations.cbegin(), translations.cend(),
                                              [](const QString &text) { return text.isEmpty(); });
    }
    QString name() const { return context + ": " + source; }
};

void readMessage(QXmlStreamReader &xml, const QString &context, QList<Message> &messages)
{
    Message message{context, {}, {}, {}};
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            message.type = xml.attributes().value("type").toString();
            QString text;
            while (xml.readNext() != QXmlStreamReader::EndElement ||
                   xml.name() != QLatin1String("translation")) {
                if (xml.isStartElement()) // a plural form begins
                    text.clear();
                else if (xml.isCharacters())
                    text += xml.text();
                else if (xml.isEndElement()) // a plural form ends
                    message.translations.append(std::exchange(text, QString()));
            }
            if (message.translations.isEmpty())
                message.translations.append(text);
        } else {
            xml.skipCurrentElement();
        }
    }
    messages.append(message);
}

// Every message of a .ts file with its context; an empty list and a failure
// when the file cannot be read.
QList<Message> readCatalogue(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "cannot open" << path;
        return {};
    }
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("message"))
            readMessage(xml, context, messages);
    }
    if (xml.hasError()) {
        qWarning() << path << xml.errorString() << "at line" << xml.lineNumber();
        return {};
    }
    return messages;
}

// Placeholders and markup a translation must carry over, in any order.
QStringList markers(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%L?\\d+|%n|<[^>]*>"));
    QStringList found;
    auto matches = marker.globalMatch(text);
    while (matches.hasNext())
        found.append(matches.next().captured());
    found.sort();
    return found;
}

const QStringList catalogues = QStringLiteral(TS_FILES).split(',');

void addCatalogueRows()
{
    QTest::addColumn<QString>("catalogue");
    for (const QString &path : catalogues)
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
}

} // namespace

class TestCatalogues : public QObject
{
    Q_OBJECT

private slots:
    void everyTextFoundInTheCodeIsTranslated_data() { addCatalogueRows(); }
    void everyTextFoundInTheCodeIsTranslated();
    void translationsKeepPlaceholdersAndMarkup_data() { addCatalogueRows(); }
    void translationsKeepPlaceholdersAndMarkup();
};

// The catalogue is refreshed as a developer would do it, on a copy, so that
// a text added to the code without a translation shows as unfinished.
void TestCatalogues::everyTextFoundInTheCodeIsTranslated()
{
    QFETCH(QString, catalogue);
    QTemporaryDir folder;
    const QString copy = folder.filePath(QFileInfo(catalogue).fileName());
    QVERIFY(QFile::copy(catalogue, copy));

    QProcess update;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUPDATE", LUPDATE);
    update.setProcessEnvironment(environment);
    update.start("bash", {UPDATE_TRANSLATIONS, copy});
    QVERIFY(update.waitForFinished(60000));
    QVERIFY2(update.exitStatus() == QProcess::NormalExit && update.exitCode() == 0,
             update.readAllStandardError().constData());

    const QList<Message> messages = readCatalogue(copy);
    QVERIFY(!messages.isEmpty());
    int untranslated = 0;
    for (const Message &message : messages) {
        if (message.isCurrent() && !message.isFinished()) {
            qWarning().noquote() << "untranslated:" << message.name();
            ++untranslated;
        }
    }
    QVERIFY2(untranslated == 0, qPrintable(QString::number(untranslated) +
                                           " texts lack a finished translation: run "
                                           "scripts/update-translations and translate them"));
}

void TestCatalogues::translationsKeepPlaceholdersAndMarkup()
{
    QFETCH(QString, catalogue);
    const QList<Message> messages = readCatalogue(catalogue);
    QVERIFY(!messages.isEmpty());
    int damaged = 0;
    for (const Message &message : messages) {
        if (!message.isFinished())
            continue;
        for (const QString &translation : message.translations) {
            if (markers(translation) != markers(message.source)) {
                qWarning().noquote()
                    << "placeholders or markup differ:" << message.name() << "->" << translation;
                ++damaged;
            }
        }
    }
    QCOMPARE(damaged, 0);
}

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
