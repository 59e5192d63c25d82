#include "appsettings.h"

#include "utils/datafolder.h"

#include <QDebug>

AppSettings::AppSettings()
    : m_settings(settingsFilePath(), QSettings::IniFormat)
{
    qInfo().noquote() << "Settings loaded from:" << m_settings.fileName();
}

// A function-local static is created once even when threads race to it;
// QSettings locks its own state, so the one object serves every thread.
AppSettings &AppSettings::instance()
{
    static AppSettings settings;
    return settings;
}

QVariant AppSettings::value(const QString &key, const QVariant &defaultValue)
{
    return instance().m_settings.value(key, defaultValue);
}

void AppSettings::setValue(const QString &key, const QVariant &value)
{
    qInfo().noquote() << "Setting value:" << key << "to:" << value.toString();
    instance()._setValue(key, value);
}

void AppSettings::_setValue(const QString &key, const QVariant &value)
{
    m_settings.setValue(key, value);
    m_settings.sync();
}
