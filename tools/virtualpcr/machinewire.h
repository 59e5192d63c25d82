#ifndef MACHINEWIRE_H
#define MACHINEWIRE_H

#include "virtualmachine.h"

#include <QByteArray>
#include <QObject>

// The device side of the wire for one transport link of a machine: frames
// from the host come in through receiveFrame, frames for the host leave
// through frameReady. The transport (HID reports, BLE notifications) only
// carries the frames; the line's faults are applied here, in both
// directions. While a host holds the link open the machine reports its
// state once a second of its own time.
class MachineWire : public QObject
{
    Q_OBJECT

public:
    explicit MachineWire(VirtualMachine *machine, QObject *parent = nullptr);

    bool isLinkOpen() const;

public slots:
    void openLink();
    void closeLink();
    void receiveFrame(QByteArray frame);

signals:
    void frameReady(QByteArray frame);

protected:
    VirtualMachine *machine() const;
    void sendFrame(QByteArray frame);

    virtual void handleFrame(const QByteArray &frame) = 0;
    virtual void sendState() = 0;
    virtual void resetLink() = 0;

    // The state fields both firmware generations share.
    template <class State>
    static void fillState(State &state, const VirtualMachine &machine)
    {
        const RunEngine &engine = *machine.engine();
        state.set_step(quint32(engine.step()));
        state.set_cycle(quint32(engine.cycle()));
        state.set_timeinsec(engine.timeInSec());
        state.set_steptimeinsec(engine.stepTimeInSec());
        state.set_blocktemp(engine.thermal().blockTemp());
        state.set_lidtemp(engine.thermal().lidTemp());
        state.set_probetemp(engine.thermal().sampleTemp());
        state.set_powervoltage(machine.powerVoltage());
        state.set_status(decltype(state.status())(engine.status()));
        state.set_error(decltype(state.error())(engine.error()));
    }

private slots:
    void onStateReportDue();

private:
    VirtualMachine *const m_machine;
    bool m_linkOpen = false;
};

#endif // MACHINEWIRE_H
