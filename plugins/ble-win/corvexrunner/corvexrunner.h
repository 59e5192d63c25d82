#ifndef CORVEXRUNNER_H
#define CORVEXRUNNER_H

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QLocalSocket>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>

// The scanner program of the Windows plug-in: connects to the plug-in's
// local server, scans for thermocyclers with the toolkit's discovery agent
// while asked to, reports each machine once ("DEVICE_AVAILABLE") and a
// machine missed by several scans in a row as gone ("DEVICE_UNAVAILABLE").
// Ends when the plug-in closes the connection.
class CorvexRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr int ScanMs = 3000;
    static constexpr int RetryMs = 1000;
    static constexpr int RestartAfterErrorMs = 2000;
    // Scans in a row that must miss a machine before it counts as gone.
    static constexpr int MissedScansForGone = 3;

    explicit CorvexRunner(QObject *parent = nullptr);

    void connectToPlugin();

signals:
    void finished();

private:
    void onReadyRead();
    void handleMessage(const QString &name, const QStringList &fields);
    void startScan();
    void stopScan();
    void onDeviceDiscovered(const QBluetoothDeviceInfo &info);
    void onScanFinished();
    void onAgentError(QBluetoothDeviceDiscoveryAgent::Error error);
    void send(const QStringList &fields);

    QLocalSocket m_socket;
    QBluetoothDeviceDiscoveryAgent m_agent;
    QTimer m_retryTimer;
    QTimer m_restartTimer;
    QByteArray m_received;
    // Reported machines: address → scans in a row that missed it.
    QMap<QString, int> m_reported;
    QSet<QString> m_seenThisScan;
    bool m_wasConnected = false;
    bool m_scanRequested = false;
};

#endif // CORVEXRUNNER_H
