#ifndef DEVICEAVAILABLECHECKER_H
#define DEVICEAVAILABLECHECKER_H

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QObject>

// Checks with a short scan that a machine is advertising right now, before a
// connection attempt: available() as soon as the scan sees it, unavailable()
// when the scan ends without it or fails.
class DeviceAvailableChecker : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultDiscoveryMs = 1500;

    explicit DeviceAvailableChecker(QObject *parent = nullptr);

    void check(const QBluetoothDeviceInfo &info);
    void setDiscoveryTimeout(int ms);

signals:
    void available();
    void unavailable();

private slots:
    void compareDeviceInfo(const QBluetoothDeviceInfo &info);
    void checkIfDeviceFound();
    void onDiscoveryAgentError(QBluetoothDeviceDiscoveryAgent::Error error);

private:
    QBluetoothDeviceDiscoveryAgent *const m_agent;
    QBluetoothDeviceInfo m_target;
    bool m_found = false;
};

#endif // DEVICEAVAILABLECHECKER_H
