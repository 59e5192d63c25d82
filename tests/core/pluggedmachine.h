#ifndef PLUGGEDMACHINE_H
#define PLUGGEDMACHINE_H

#include "virtualhidbus.h"
#include "virtualmachine.h"

#include "core/pcrcore.h"
#include "models/devicesmodel.h"
#include "program/programv1.h"

#include <functional>

// A machine on the virtual USB bus, unplugged again when the test ends.
class PluggedMachine
{
public:
    PluggedMachine(VirtualMachine::Model model, double speed)
        : m_serialNumber(VirtualHidBus::instance().addMachine(VirtualMachine::modelName(model)))
    {
        with([speed](VirtualMachine &machine) { machine.clock()->setSpeed(speed); });
    }
    ~PluggedMachine() { VirtualHidBus::instance().removeMachine(m_serialNumber); }

    QString serialNumber() const { return m_serialNumber; }
    QString machineName() const
    {
        QString name;
        with([&name](VirtualMachine &machine) { name = machine.machineName(); });
        return name;
    }

    bool with(const std::function<void(VirtualMachine &)> &work) const
    {
        return VirtualHidBus::instance().withMachine(m_serialNumber, work);
    }
    // What a firmware-1 machine holds when it leaves the factory or a run.
    void storeProgram(const ProgramV1 &program) const
    {
        const QByteArray wire =
            QByteArray::fromStdString(program.pcrProtocol().SerializeAsString());
        with([&wire](VirtualMachine &machine) { machine.storeProgram(wire); });
    }
    bool setPlugged(bool plugged) const
    {
        return VirtualHidBus::instance().setPlugged(m_serialNumber, plugged);
    }

private:
    const QString m_serialNumber;
};

inline PCRDevicePtr deviceWithSerial(const PcrCore &core, const QString &serialNumber)
{
    for (const PCRDevicePtr &device : core.devicesModel()->devices()) {
        if (device->serialNumber() == serialNumber)
            return device;
    }
    return {};
}

#endif // PLUGGEDMACHINE_H
