#include "bellcontroller.h"

#include "appsettings.h"

#include <QSound>

namespace {
const QString bellKey = QStringLiteral("bellActiveForAll");
const QString alarmSound = QStringLiteral(":/Resources/alarms.wav");
} // namespace

bool BellController::s_activeForAll = false;

BellController::BellController(QObject *parent)
    : QObject(parent)
{
    const bool stored = AppSettings::value(bellKey, true).toBool();
    if (stored != s_activeForAll)
        applySwitch(stored);
}

bool BellController::activeForAll() const
{
    return s_activeForAll;
}

void BellController::setActiveForAll(bool activeForAll)
{
    if (activeForAll != s_activeForAll)
        applySwitch(activeForAll);
}

void BellController::applySwitch(bool activeForAll)
{
    s_activeForAll = activeForAll;
    AppSettings::setValue(bellKey, activeForAll);
    emit activeForAllChanged(activeForAll);
}

void BellController::ring()
{
    if (s_activeForAll)
        QSound::play(alarmSound);
}
