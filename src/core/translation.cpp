#include "translation.h"

#include "appsettings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QLocale>
#include <QTranslator>

#include <optional>

const QString Translation::settingsKey = QStringLiteral("langId");

namespace {

const QString catalogueFolder = QStringLiteral(":/i18n");
const QString catalogueSuffix = QStringLiteral(".qm");

// What to load: the locale the translators are loaded for and the language
// code that the catalogue file names end with.
struct CatalogueChoice
{
    QLocale locale;
    QString language;
};

bool isSupportedUiLanguage(const QString &uiLanguage)
{
    static const QStringList supported{QStringLiteral("en"), QStringLiteral("fr"),
                                       QStringLiteral("pl")};
    return supported.contains(uiLanguage);
}

// The bare language of the first UI language in the form xx-XX (fr from fr-FR).
QString uiLanguageCode(const QLocale &locale)
{
    const QStringList uiLanguages = locale.uiLanguages();
    for (const QString &uiLanguage : uiLanguages) {
        if (uiLanguage.count(QLatin1Char('-')) == 1)
            return uiLanguage.section(QLatin1Char('-'), 0, 0);
    }
    qWarning() << "Error, uiLang in form xx-XX not detected, available ui languages:"
               << uiLanguages;
    return uiLanguages.value(0);
}

void logLocale(const QLocale &locale, const QString &uiLanguage, int languageId,
               Translation::LanguageMap language)
{
    const bool automatic = language == Translation::LanguageMap::AUTO;
    qInfo().noquote() << "Current locale:"
                      << "\n\t country:" << QLocale::countryToString(locale.country())
                      << "\n\t language:" << QLocale::languageToString(locale.language())
                      << "\n\t uiLanguages:" << locale.uiLanguages().join(QLatin1Char(','))
                      << "\n\t script:" << QLocale::scriptToString(locale.script())
                      << "\n\t uiLang:" << uiLanguage << "\n\t settings langId:" << languageId
                      << "\n\t lang auto detection:" << int(automatic)
                      << "\n\t languageMap set to:" << Translation::logName(language);
}

std::optional<CatalogueChoice> automaticChoice(const QLocale &system, const QString &uiLanguage)
{
    if (!isSupportedUiLanguage(uiLanguage)) {
        qInfo() << "Unsupported language detected:" << uiLanguage
                << "Ui languages:" << system.uiLanguages()
                << "language:" << QLocale::languageToString(system.language());
        return std::nullopt;
    }
    if (uiLanguage == QLatin1String("en")) {
        qInfo() << "English auto detected, not loading translation...";
        return std::nullopt;
    }
    // The system's first UI language usually carries a region (fr-FR) that no
    // catalogue name has, so the catalogues are found by the bare code.
    return CatalogueChoice{system, uiLanguage};
}

std::optional<CatalogueChoice> userChoice(Translation::LanguageMap language)
{
    QLocale locale;
    switch (language) {
    case Translation::LanguageMap::FR:
        locale = QLocale(QLocale::French, QLocale::France);
        break;
    case Translation::LanguageMap::PL:
        locale = QLocale(QLocale::Polish, QLocale::Poland);
        break;
    default:
        qInfo() << "English user selected, not loading translation...";
        return std::nullopt;
    }
    return CatalogueChoice{locale, locale.uiLanguages().value(0)};
}

void logLoadFailure(const QLocale &locale)
{
    qWarning() << "Error, unable to load translation file for language:"
               << QLocale::languageToString(locale.language());
    QDirIterator resources(catalogueFolder, QDirIterator::Subdirectories);
    while (resources.hasNext())
        qWarning() << "Available languages:" << resources.next();
}

QList<QTranslator *> loadCatalogues(const CatalogueChoice &choice, bool &error)
{
    const QStringList files = QDir(catalogueFolder)
                                  .entryList({QLatin1Char('*') + choice.language + catalogueSuffix},
                                             QDir::Files, QDir::Unsorted);
    qInfo() << choice.language << "language translation files:" << files;

    QList<QTranslator *> translators;
    for (const QString &file : files) {
        const QString catalogue = file.section(QLatin1Char('_'), 0, 0);
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(choice.locale, catalogue, QStringLiteral("_"), catalogueFolder,
                             catalogueSuffix)) {
            qInfo() << "Info: loaded translation file for:" << choice.locale.uiLanguages() << "|"
                    << catalogue;
            translators.append(translator);
        } else {
            delete translator;
            logLoadFailure(choice.locale);
            error = true;
        }
    }
    if (!error)
        qInfo() << "Info: loaded translation file for:" << choice.locale.uiLanguages();
    return translators;
}

} // namespace

int Translation::storedLanguageId()
{
    bool isNumber = false;
    const int languageId = AppSettings::value(settingsKey, int(LanguageMap::AUTO)).toInt(&isNumber);
    if (isNumber)
        return languageId;
    qWarning() << "Error reading languageID from settings file, fall back to auto";
    return int(LanguageMap::AUTO);
}

Translation::LanguageMap Translation::languageFromId(int languageId)
{
    switch (languageId) {
    case int(LanguageMap::EN):
    case int(LanguageMap::FR):
    case int(LanguageMap::PL):
        return LanguageMap(languageId);
    default:
        return LanguageMap::AUTO;
    }
}

QString Translation::logName(LanguageMap language)
{
    switch (language) {
    case LanguageMap::EN:
        return QStringLiteral("LanguageMap::EN");
    case LanguageMap::FR:
        return QStringLiteral("LanguageMap::FR");
    case LanguageMap::PL:
        return QStringLiteral("LanguageMap::PL");
    case LanguageMap::AUTO:
        break;
    }
    return QStringLiteral("LanguageMap::AUTO");
}

QList<QTranslator *> Translation::getTranslators(bool &error)
{
    error = false;
    const int languageId = storedLanguageId();
    const LanguageMap language = languageFromId(languageId);
    const QLocale system = QLocale::system();
    const QString uiLanguage = uiLanguageCode(system);
    logLocale(system, uiLanguage, languageId, language);

    const std::optional<CatalogueChoice> choice =
        language == LanguageMap::AUTO ? automaticChoice(system, uiLanguage) : userChoice(language);
    if (!choice)
        return {};
    return loadCatalogues(*choice, error);
}
