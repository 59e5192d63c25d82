// Loads the translators once, for the system locale of its environment and
// the "langId" given as its argument (none: a fresh installation), and prints
// the catalogues it got, one per line, then the error flag. The log goes to
// the standard error stream.
#include "core/appsettings.h"
#include "core/translation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("ThermoxTranslationProbe"));
    QStandardPaths::setTestModeEnabled(true);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        AppSettings::setValue(Translation::settingsKey, arguments.at(1));

    bool error = false;
    const QList<QTranslator *> translators = Translation::getTranslators(error);
    QTextStream out(stdout);
    for (const QTranslator *translator : translators) {
        out << QFileInfo(translator->filePath()).fileName()
            << (translator->parent() == &app ? "" : " (not owned by the application)") << '\n';
    }
    out << "error " << int(error) << '\n';
    return 0;
}
