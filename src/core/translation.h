#ifndef TRANSLATION_H
#define TRANSLATION_H

#include <QList>
#include <QString>

class QTranslator;

// The UI language: the stored "langId" setting, or the operating system's UI
// language in automatic mode, turned into the translators start-up installs.
class Translation
{
public:
    // The values of "langId". Any other stored value counts as automatic.
    enum class LanguageMap { AUTO = -1, EN = 0, FR = 1, PL = 2 };

    static const QString settingsKey;

    // The stored "langId" as it stands (-1 when absent). A value that is not a
    // number is logged and reads as automatic, so the loader and the language
    // window agree on it.
    static int storedLanguageId();
    static LanguageMap languageFromId(int languageId);
    static QString logName(LanguageMap language);

    // The loaded catalogues for the chosen language, parented to the
    // application object; none for English. error comes back true when a
    // catalogue failed to load.
    static QList<QTranslator *> getTranslators(bool &error);

private:
    Translation() = delete;
};

#endif // TRANSLATION_H
