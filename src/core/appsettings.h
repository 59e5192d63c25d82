#ifndef APPSETTINGS_H
#define APPSETTINGS_H

#include <QSettings>
#include <QString>
#include <QVariant>

// The process-wide store of user preferences, "settings.ini" in the data
// directory. Every write is logged.
class AppSettings
{
public:
    static QVariant value(const QString &key, const QVariant &defaultValue = QVariant());
    static void setValue(const QString &key, const QVariant &value);

private:
    AppSettings();
    static AppSettings &instance();
    void _setValue(const QString &key, const QVariant &value);

    QSettings m_settings;
};

#endif // APPSETTINGS_H
