// On Linux the desktop's screen saver keeps the display on, and logind holds
// back suspend and the idle action while we keep its inhibitor descriptor.
// Both are asked asynchronously so that a slow bus never stalls start-up.

#include "systemsleepguard.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDebug>

namespace {
const QString inhibitReason = QStringLiteral("A thermocycler run may be in progress");

// Closed only when the process ends: the request is never withdrawn.
QDBusUnixFileDescriptor &heldSleepInhibitor()
{
    static QDBusUnixFileDescriptor inhibitor;
    return inhibitor;
}

template <typename Handler>
void onReply(const QDBusPendingCall &call, QObject *context, Handler handler)
{
    auto *watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, handler] {
        handler(*watcher);
        watcher->deleteLater();
    });
}

void keepDisplayAwake(QObject *context)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning() << "No D-Bus session bus, the display may sleep during runs:"
                   << bus.lastError().message();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"));
    call << QCoreApplication::applicationName() << inhibitReason;
    // The inhibition lasts as long as our bus connection, that is the process,
    // so the cookie is only logged.
    onReply(bus.asyncCall(call), context, [](const QDBusPendingReply<uint> &reply) {
        if (reply.isError())
            qWarning() << "Could not keep the display awake:" << reply.error().message();
        else
            qInfo() << "Display kept awake, screen saver cookie:" << reply.value();
    });
}

void keepSystemAwake(QObject *context)
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qInfo() << "No D-Bus system bus, system sleep is left to the desktop:"
                << bus.lastError().message();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QCoreApplication::applicationName() << inhibitReason
         << QStringLiteral("block");
    onReply(bus.asyncCall(call), context,
            [](const QDBusPendingReply<QDBusUnixFileDescriptor> &reply) {
                if (reply.isError()) {
                    qWarning() << "Could not keep the system awake:" << reply.error().message();
                    return;
                }
                heldSleepInhibitor() = reply.value();
                qInfo() << "System sleep inhibited for the life of the process";
            });
}
} // namespace

SystemSleepGuard::SystemSleepGuard(QObject *parent)
    : QObject(parent)
{
    keepDisplayAwake(this);
    keepSystemAwake(this);
}
