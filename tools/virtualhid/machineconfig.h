#ifndef MACHINECONFIG_H
#define MACHINECONFIG_H

#include "virtualmachine.h"

#include <QList>
#include <QString>

#include <optional>

// A machine to plug in, as written in THERMOX_VIRTUAL_MACHINES and in the
// control tool's add command: MODEL[:SERIAL[:NAME]], MODEL being vela8 or
// vela16. Missing parts are made up when the machine is plugged in.
struct MachineConfig
{
    VirtualMachine::Model model = VirtualMachine::Vela16;
    QString serialNumber;
    QString machineName;
    // Plugged in as it comes out of the box, holding its factory program:
    // what a user asks for at start-up or from the control tool. Tests
    // start from an empty memory.
    bool outOfTheBox = false;

    // A machine of this configuration with that identity, its clock started
    // at the speed factor.
    VirtualMachine *makeMachine(const VirtualMachine::Identity &identity, double speed) const;

    static std::optional<MachineConfig> parse(const QString &text, QString *error);
    // Specs separated by commas; "" and "none" name no machine.
    static std::optional<QList<MachineConfig>> parseList(const QString &text, QString *error);

    // The machines an environment variable asks for (defaults when it is
    // unset); a refused list is logged and gives none.
    static QList<MachineConfig> fromEnvironment(const char *variable, const char *defaults);
    // THERMOX_VIRTUAL_SPEED, the speed factor of new machines; 1 when unset or invalid.
    static double speedFromEnvironment();
};

#endif // MACHINECONFIG_H
