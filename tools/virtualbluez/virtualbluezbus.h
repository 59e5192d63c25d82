#ifndef VIRTUALBLUEZBUS_H
#define VIRTUALBLUEZBUS_H

#include "bluezperipheral.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>

class VirtualBluez;
class VirtualMachine;

// For tests: a private system bus (a dbus-daemon of its own) with a virtual
// Bluetooth daemon on it, running on a thread of its own so that Qt
// Bluetooth's blocking calls from the test's thread are answered. The
// constructor points DBUS_SYSTEM_BUS_ADDRESS at the bus and makes Qt
// Bluetooth use the daemon's bus API for LE links
// (BLUETOOTH_FORCE_DBUS_LE_VERSION), so create it before anything in the
// process touches the system bus or Qt Bluetooth, and keep it for the whole
// process: Qt keeps its system bus connection. No machine is on the air at
// first.
//
// The machine operations run on the daemon's thread and wait for it, and
// for the bus to have passed on the signals they caused.
class VirtualBluezBus
{
public:
    static constexpr int StartTimeoutMs = 10000;

    VirtualBluezBus();
    ~VirtualBluezBus();
    VirtualBluezBus(const VirtualBluezBus &) = delete;
    VirtualBluezBus &operator=(const VirtualBluezBus &) = delete;

    // False, with the reason, when the bus or the daemon could not start.
    bool isRunning() const;
    QString errorString() const;
    QString busAddress() const;

    // MODEL[:SERIAL[:NAME]] (vela16 only); the machine's address, or "" with the reason.
    QString addMachine(const QString &config, QString *error = nullptr);
    // The machine is switched off: gone from the air for good.
    bool removeMachine(const QString &address);
    QStringList machineIds();
    bool setInRange(const QString &address, bool inRange);
    bool loseLink(const QString &address);
    bool setFault(const QString &address, BluezPeripheral::Fault fault, bool on);
    bool isConnected(const QString &address);
    bool isNotifying(const QString &address);
    // The speed factor of the machine's clock; false for factors of 0 or below.
    bool setSpeed(const QString &address, double factor);
    // The wire message of the program the machine stores; empty without one.
    QByteArray storedProgram(const QString &address);
    // Runs work with the machine on the daemon's thread (its clock, faults,
    // state, stored program); false when there is no such machine.
    bool withMachine(const QString &address, const std::function<void(VirtualMachine &)> &work);
    // Speed factor of the machines added from now on.
    void setDefaultSpeed(double speed);
    // Lets the control tool ("virtualpcrctl --ble") reach the machines at that socket path.
    bool listenForControl(const QString &serverPath);

private:
    bool startBus();
    bool startDaemon();
    bool withPeripheral(const QString &address, const std::function<void(BluezPeripheral &)> &work);
    bool peripheralFlag(const QString &address, bool (BluezPeripheral::*flag)() const);
    void onDaemonThread(const std::function<void()> &work);

    QProcess m_bus;
    QString m_busAddress;
    QString m_connectionName;
    QThread m_thread;
    VirtualBluez *m_bluez = nullptr;
    QString m_error;
};

#endif // VIRTUALBLUEZBUS_H
