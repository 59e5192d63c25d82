#include "machinespec.h"

std::optional<MachineSpec> MachineSpec::parse(const QString &text, QString *error)
{
    const QString trimmed = text.trimmed();
    const QChar separator(QLatin1Char(':'));
    const auto model = VirtualMachine::modelFromName(trimmed.section(separator, 0, 0));
    if (!model) {
        *error = QStringLiteral("unknown model in \"%1\" (vela8 or vela16)").arg(trimmed);
        return std::nullopt;
    }
    MachineSpec spec;
    spec.model = *model;
    spec.serialNumber = trimmed.section(separator, 1, 1);
    spec.machineName = trimmed.section(separator, 2);
    if (!spec.serialNumber.isEmpty()) {
        const QString problem = VirtualMachine::serialNumberProblem(*model, spec.serialNumber);
        if (!problem.isEmpty()) {
            *error = problem;
            return std::nullopt;
        }
    }
    return spec;
}

std::optional<QList<MachineSpec>> MachineSpec::parseList(const QString &text, QString *error)
{
    QList<MachineSpec> specs;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("none"))
        return specs;
    for (const QString &part : trimmed.split(QLatin1Char(','))) {
        const auto spec = parse(part, error);
        if (!spec)
            return std::nullopt;
        specs.append(*spec);
    }
    return specs;
}
