#include "corvexrunner.h"

#include "bleutils.h"
#include "messageshandler.h"
#include "scannerprogram.h"

#include <QDebug>
#include <QRegularExpression>

namespace {
// Fields a message carries after its name, as the plug-in sends them.
int fieldCount(const QString &name)
{
    return name == MessagesHandler::DeviceUnavailableMessage ? 1 : 0;
}
} // namespace

CorvexRunner::CorvexRunner(QObject *parent)
    : QObject(parent)
{
    m_agent.setLowEnergyDiscoveryTimeout(ScanMs);
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(RetryMs);
    m_restartTimer.setSingleShot(true);
    m_restartTimer.setInterval(RestartAfterErrorMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &CorvexRunner::connectToPlugin);
    connect(&m_restartTimer, &QTimer::timeout, this, &CorvexRunner::startScan);
    connect(&m_socket, &QLocalSocket::connected, this, [this] {
        qInfo() << "Connected to the plug-in";
        m_wasConnected = true;
    });
    connect(&m_socket, &QLocalSocket::disconnected, this, [this] {
        qInfo() << "The plug-in closed the connection";
        emit finished();
    });
    connect(&m_socket, &QLocalSocket::errorOccurred, this, [this] {
        // Before the plug-in listens, try again; after, the peer is gone.
        if (!m_wasConnected)
            m_retryTimer.start();
    });
    connect(&m_socket, &QLocalSocket::readyRead, this, &CorvexRunner::onReadyRead);
    connect(&m_agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
            &CorvexRunner::onDeviceDiscovered);
    connect(&m_agent, &QBluetoothDeviceDiscoveryAgent::finished, this,
            &CorvexRunner::onScanFinished);
    connect(&m_agent,
            QOverload<QBluetoothDeviceDiscoveryAgent::Error>::of(
                &QBluetoothDeviceDiscoveryAgent::error),
            this, &CorvexRunner::onAgentError);
}

void CorvexRunner::connectToPlugin()
{
    m_socket.connectToServer(MessagesHandler::serverName(ScannerProgram::name()));
}

void CorvexRunner::onReadyRead()
{
    m_received.append(m_socket.readAll());
    // Whole messages only: a name and as many fields as it carries.
    for (;;) {
        int end = m_received.indexOf('\0');
        if (end < 0)
            return;
        const QString name = QString::fromUtf8(m_received.left(end));
        QStringList fields;
        while (fields.size() < fieldCount(name)) {
            const int start = end + 1;
            end = m_received.indexOf('\0', start);
            if (end < 0)
                return;
            fields << QString::fromUtf8(m_received.mid(start, end - start));
        }
        m_received.remove(0, end + 1);
        handleMessage(name, fields);
    }
}

void CorvexRunner::handleMessage(const QString &name, const QStringList &fields)
{
    qInfo() << "Message from the plug-in:" << name << fields;
    if (name == MessagesHandler::StartMessage)
        startScan();
    else if (name == MessagesHandler::CloseMessage)
        stopScan();
    else if (name == MessagesHandler::DeviceUnavailableMessage)
        m_reported.remove(fields.first());
}

void CorvexRunner::startScan()
{
    m_scanRequested = true;
    m_seenThisScan.clear();
    if (!m_agent.isActive())
        m_agent.start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void CorvexRunner::stopScan()
{
    m_scanRequested = false;
    m_restartTimer.stop();
    m_agent.stop();
}

void CorvexRunner::onDeviceDiscovered(const QBluetoothDeviceInfo &info)
{
    if (!PCR::BleUtils::hasDeviceService(info))
        return;
    const QString id = PCR::BleUtils::deviceId(info);
    m_seenThisScan.insert(id);
    if (m_reported.contains(id)) {
        m_reported[id] = 0;
        return;
    }
    m_reported.insert(id, 0);
    // The plug-in reads one whitespace-delimited token per message.
    QString name = info.name().remove(QRegularExpression(QStringLiteral("\\s")));
    if (name.isEmpty())
        name = id;
    send({MessagesHandler::DeviceAvailableMessage, id, name});
}

void CorvexRunner::onScanFinished()
{
    for (auto it = m_reported.begin(); it != m_reported.end();) {
        it.value() = m_seenThisScan.contains(it.key()) ? 0 : it.value() + 1;
        if (it.value() < MissedScansForGone) {
            ++it;
            continue;
        }
        send({MessagesHandler::DeviceUnavailableMessage, it.key()});
        it = m_reported.erase(it);
    }
    if (m_scanRequested)
        startScan();
}

void CorvexRunner::onAgentError(QBluetoothDeviceDiscoveryAgent::Error error)
{
    qWarning() << "Scan failed:" << error << m_agent.errorString();
    if (m_scanRequested)
        m_restartTimer.start();
}

void CorvexRunner::send(const QStringList &fields)
{
    QByteArray message;
    for (const QString &field : fields)
        message.append(field.toUtf8()).append('\0');
    m_socket.write(message);
    m_socket.flush();
}
