#ifndef LOOPBACKCONNECTIONV3_H
#define LOOPBACKCONNECTIONV3_H

#include "fakemachinev3.h"

#include "connection/connectionv3.h"

#include <QList>

// A firmware-3 connection whose transport is a wire to a FakeMachineV3.
// Frames written in either direction wait on the wire in order until the
// test pumps them, as a USB link delivers them one poll at a time.
class LoopbackConnectionV3 : public ConnectionV3
{
public:
    explicit LoopbackConnectionV3(int eepromBusyTimeoutMs = EepromBusyTimeoutMs);

    FakeMachineV3 &machine() { return m_machine; }

    bool isTransportOpen() const override { return m_open; }
    void connectionInit() override;
    void connectDevice() override;
    void disconnectHandle() override;

    // Delivers frames until the wire is quiet; false if it never gets quiet.
    bool pump();
    // A frame that reaches the host as if the machine had written it.
    void injectToHost(const QByteArray &frame);
    bool isWireQuiet() const { return m_wire.isEmpty(); }

private:
    struct Frame
    {
        bool toMachine;
        QByteArray bytes;
    };

    FakeMachineV3 m_machine;
    QList<Frame> m_wire;
    bool m_open = false;
};

#endif // LOOPBACKCONNECTIONV3_H
