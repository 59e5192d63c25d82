#ifndef CONNECTIONV3EMUL_H
#define CONNECTIONV3EMUL_H

#include "connectionv3.h"

#include <QElapsedTimer>

// A firmware-3 thermocycler played without hardware, so that the program can
// be tried on no machine at all: always running its default program, ticking
// once a second. Odd-numbered machines are reachable, even-numbered ones are
// not. Lives on the GUI thread.
class ConnectionV3Emul : public ConnectionV3
{
    Q_OBJECT

public:
    static constexpr int TickIntervalMs = 1000;
    // The shared step counter starts over once it has reached this.
    static constexpr int StepsPerCycle = 140;

    explicit ConnectionV3Emul(int index, QObject *parent = nullptr,
                              int tickIntervalMs = TickIntervalMs);
    ~ConnectionV3Emul() override;

    bool isTransportOpen() const override;

    using ConnectionV3::sendAction;

public slots:
    void connectionInit() override;
    // The emulated power-on.
    void connectDevice() override;
    void disconnectHandle() override;
    // Keeps an uploaded program; the machine answers nothing else.
    void transmitPayload(QByteArray payload) override;
    void sendAction(ProtocolV3::Action *action) override;

protected:
    void poll() override;

private slots:
    void onGetCurrentProgramTimeout();

private:
    static QString randomHardwareId();
    ProtocolV3::MachineSettings emulatedSettings() const;
    void uploadDefaultProgram();
    void startRunning();
    void startTick();
    void tick();

    const int m_index;
    const int m_tickIntervalMs;
    bool m_connected = false;
    QElapsedTimer m_elapsed;
    quint32 m_cycles = 0;
    QByteArray m_storedProgram;
    ProtocolV3::PCRState m_state;
};

#endif // CONNECTIONV3EMUL_H
