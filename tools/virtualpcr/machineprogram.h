#ifndef MACHINEPROGRAM_H
#define MACHINEPROGRAM_H

#include <QByteArray>
#include <QVector>

#include <optional>

// One wire step as the run engine executes it. The kinds carry the values of
// the wire StepType of both firmware generations.
struct MachineStep
{
    enum Kind { Hold = 1, Cycle = 2, LinearRamp = 3, Touchdown = 4 };

    Kind kind = Hold;
    float target = 0.0f; // degrees; a Cycle step's 1-based step number; a Touchdown delta
    quint32 time = 0;    // seconds; a Cycle step's number of cycles; a Touchdown time delta
};

// A program as a machine keeps it in its memory: the wire message of its
// firmware, sent back as it is when a host asks, and the steps to run.
class MachineProgram
{
public:
    // Accepts a PCRProtocol message of the firmware (1 or 3) with at least
    // one step, every step of a kind that firmware knows.
    static std::optional<MachineProgram> fromMessage(int firmware, const QByteArray &message);

    QByteArray message() const;
    float lidTemp() const;
    const QVector<MachineStep> &steps() const;

private:
    template <class Protocol>
    static std::optional<MachineProgram> fromProtocol(const Protocol &protocol,
                                                      int highestStepType);

    QByteArray m_message;
    float m_lidTemp = 0.0f;
    QVector<MachineStep> m_steps;
};

#endif // MACHINEPROGRAM_H
