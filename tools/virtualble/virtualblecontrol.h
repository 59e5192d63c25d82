#ifndef VIRTUALBLECONTROL_H
#define VIRTUALBLECONTROL_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtPlugin>

// How tests drive the virtual BLE world of the plug-in's root object (cast
// to this interface with qobject_cast). Machines are known by their id, the
// Bluetooth address their device objects report.
class VirtualBleControl
{
public:
    virtual ~VirtualBleControl() = default;

    // Puts a new vela16 on the air, given as MODEL[:SERIAL[:NAME]]; its id,
    // or "" with the reason.
    virtual QString addMachine(const QString &config, QString *error = nullptr) = 0;
    // The machine is switched off for good: scans stop seeing it and its
    // link is lost, as for a machine out of range.
    virtual bool removeMachine(const QString &id) = 0;
    virtual QStringList machineIds() const = 0;
    // Out of range a machine is not seen by scans, cannot be connected, and
    // a link to it is lost unless it comes back in time.
    virtual bool setInRange(const QString &id, bool inRange) = 0;
    // The speed factor of the machine's clock; false for factors of 0 or below.
    virtual bool setSpeed(const QString &id, double factor) = 0;
    // The wire message of the program the machine stores; empty without one.
    virtual QByteArray storedProgram(const QString &id) const = 0;
    // How long a connection attempt takes, how long a lost link is retried
    // before it is given up, and how long a scan lasts. Tests shorten them.
    virtual void setRadioTiming(int connectMs, int linkLossMs, int scanMs) = 0;
};

Q_DECLARE_INTERFACE(VirtualBleControl, "org.Vornell.Thermox.VirtualBleControl")

#endif // VIRTUALBLECONTROL_H
