#include "machineconfig.h"

#include <QDebug>

VirtualMachine *MachineConfig::makeMachine(const VirtualMachine::Identity &identity,
                                           double speed) const
{
    auto *machine = new VirtualMachine(identity);
    if (outOfTheBox)
        machine->storeFactoryProgram();
    machine->clock()->setSpeed(speed);
    machine->clock()->start();
    return machine;
}

std::optional<MachineConfig> MachineConfig::parse(const QString &text, QString *error)
{
    const QString trimmed = text.trimmed();
    const QChar separator(QLatin1Char(':'));
    const auto model = VirtualMachine::modelFromName(trimmed.section(separator, 0, 0));
    if (!model) {
        *error = QStringLiteral("unknown model in \"%1\" (vela8 or vela16)").arg(trimmed);
        return std::nullopt;
    }
    MachineConfig config;
    config.model = *model;
    config.serialNumber = trimmed.section(separator, 1, 1);
    config.machineName = trimmed.section(separator, 2);
    if (!config.serialNumber.isEmpty()) {
        const QString problem = VirtualMachine::serialNumberProblem(*model, config.serialNumber);
        if (!problem.isEmpty()) {
            *error = problem;
            return std::nullopt;
        }
    }
    return config;
}

std::optional<QList<MachineConfig>> MachineConfig::parseList(const QString &text, QString *error)
{
    QList<MachineConfig> configs;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("none"))
        return configs;
    for (const QString &part : trimmed.split(QLatin1Char(','))) {
        const auto config = parse(part, error);
        if (!config)
            return std::nullopt;
        configs.append(*config);
    }
    return configs;
}

namespace {

QString environment(const char *name, const QString &fallback)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name) : fallback;
}

} // namespace

QList<MachineConfig> MachineConfig::fromEnvironment(const char *variable, const char *defaults)
{
    QString error;
    const auto configs = parseList(environment(variable, QLatin1String(defaults)), &error);
    if (!configs) {
        qWarning().noquote() << variable << "refused:" << error;
        return {};
    }
    QList<MachineConfig> outOfTheBox = *configs;
    for (MachineConfig &config : outOfTheBox)
        config.outOfTheBox = true;
    return outOfTheBox;
}

double MachineConfig::speedFromEnvironment()
{
    constexpr char speedVariable[] = "THERMOX_VIRTUAL_SPEED";
    bool valid = false;
    const double speed = environment(speedVariable, QStringLiteral("1")).toDouble(&valid);
    if (valid && speed > 0.0)
        return speed;
    qWarning() << speedVariable << "is not a speed factor above 0; using 1";
    return 1.0;
}
