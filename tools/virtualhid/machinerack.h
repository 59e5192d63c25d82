#ifndef MACHINERACK_H
#define MACHINERACK_H

#include "machineconfig.h"

#include <QString>
#include <QStringList>

#include <optional>

class VirtualMachine;

// The virtual machines of one transport as the control server drives them:
// the USB hub (machines known by serial number, plugged in or not) or the
// virtual Bluetooth daemon (known by address, in radio range or not). Called
// on the thread the machines live on.
class MachineRack
{
public:
    virtual ~MachineRack() = default;

    virtual QStringList machineIds() const = 0;
    // The new machine's id, or "" with the reason.
    virtual QString addMachine(const MachineConfig &config, QString *error) = 0;
    virtual bool removeMachine(const QString &id) = 0;
    // Plugged in over USB, in range over BLE; false for an unknown id.
    virtual bool setPlugged(const QString &id, bool plugged) = 0;
    virtual std::optional<bool> isPlugged(const QString &id) const = 0;
    // How a listing calls a machine that is plugged (or not).
    virtual QString pluggedName(bool plugged) const = 0;
    virtual VirtualMachine *machine(const QString &id) const = 0;

    // Faults of a radio link; a wire has none.
    virtual QStringList linkFaults() const { return {}; }
    virtual bool setLinkFault(const QString &, const QString &, bool) { return false; }
    virtual bool loseLink(const QString &) { return false; }
};

#endif // MACHINERACK_H
