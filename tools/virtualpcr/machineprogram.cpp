#include "machineprogram.h"

#include "protocol/pcrprotocolv1.h"
#include "protocol/pcrprotocolv3.h"

#include <QDebug>

namespace {

// Both schemas name their fields alike; only the highest step type differs.
template <class Protocol>
std::optional<QVector<MachineStep>> readSteps(const Protocol &protocol, int highestStepType)
{
    QVector<MachineStep> steps;
    for (const auto &step : protocol.steps()) {
        const int type = step.type();
        if (type < MachineStep::Hold || type > highestStepType) {
            qWarning() << "Program refused: unknown step type" << type;
            return std::nullopt;
        }
        steps.append({MachineStep::Kind(type), step.target(), step.time()});
    }
    if (steps.isEmpty()) {
        qWarning() << "Program refused: no steps";
        return std::nullopt;
    }
    return steps;
}

} // namespace

std::optional<MachineProgram> MachineProgram::fromMessage(int firmware, const QByteArray &message)
{
    if (firmware == 1) {
        ProtocolV1::PCRProtocol protocol;
        if (!protocol.ParseFromArray(message.constData(), message.size())) {
            qWarning() << "Program refused: firmware-1 message does not parse";
            return std::nullopt;
        }
        return fromProtocol(protocol, ProtocolV1::StepType_MAX);
    }
    ProtocolV3::PCRProtocol protocol;
    // A host-built message ends in zero bytes; a zero tag ends the message.
    if (!parseMessageV3(message, protocol)) {
        qWarning() << "Program refused: firmware-3 message does not parse";
        return std::nullopt;
    }
    return fromProtocol(protocol, ProtocolV3::StepType_MAX);
}

template <class Protocol>
std::optional<MachineProgram> MachineProgram::fromProtocol(const Protocol &protocol,
                                                           int highestStepType)
{
    const auto steps = readSteps(protocol, highestStepType);
    if (!steps)
        return std::nullopt;
    MachineProgram program;
    program.m_steps = *steps;
    program.m_lidTemp = protocol.lidtemp();
    program.m_message = QByteArray::fromStdString(protocol.SerializeAsString());
    return program;
}

QByteArray MachineProgram::message() const
{
    return m_message;
}

float MachineProgram::lidTemp() const
{
    return m_lidTemp;
}

const QVector<MachineStep> &MachineProgram::steps() const
{
    return m_steps;
}
