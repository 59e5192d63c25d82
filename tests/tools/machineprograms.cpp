#include "machineprograms.h"

#include "program/programv1.h"
#include "program/programv3.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace MachinePrograms {

namespace {

QByteArray stepArray(const QJsonObject &block)
{
    return QJsonDocument(QJsonArray{block}).toJson(QJsonDocument::Compact);
}

Program::ProgramType typeOf(const QJsonObject &block)
{
    const QString type = block.value(QLatin1String("objectType")).toString();
    if (type == QLatin1String("Touchdown"))
        return Program::PT_TOUCHDOWN;
    if (type == QLatin1String("Heat Block"))
        return Program::PT_HEAT_BLOCK;
    if (type == QLatin1String("Linear Ramp"))
        return Program::PT_LINEAR_RAMP;
    return Program::PT_PCR;
}

} // namespace

QJsonObject shortPcr(bool heatedLid)
{
    return {{QStringLiteral("objectType"), QStringLiteral("PCR")},
            {QStringLiteral("protocolName"), QStringLiteral("Short PCR")},
            {QStringLiteral("heatedLid"), heatedLid},
            {QStringLiteral("initTemp"), 95},
            {QStringLiteral("initTime"), 10},
            {QStringLiteral("denaturationTemp"), 95},
            {QStringLiteral("denaturationTime"), 5},
            {QStringLiteral("annealingTemp"), 55},
            {QStringLiteral("annealingTime"), 5},
            {QStringLiteral("extensionTemp"), 72},
            {QStringLiteral("extensionTime"), 5},
            {QStringLiteral("cyclesNum"), 3},
            {QStringLiteral("finalTemp"), 72},
            {QStringLiteral("finalTime"), 10}};
}

QJsonObject shortTouchdown()
{
    return {{QStringLiteral("objectType"), QStringLiteral("Touchdown")},
            {QStringLiteral("protocolName"), QStringLiteral("Touchdown")},
            {QStringLiteral("heatedLid"), false},
            {QStringLiteral("denaturationTemp"), 95},
            {QStringLiteral("denaturationTime"), 5},
            {QStringLiteral("annealingTemp"), 60},
            {QStringLiteral("annealingEndTemp"), 57},
            {QStringLiteral("annealingTime"), 5},
            {QStringLiteral("extensionTemp"), 72},
            {QStringLiteral("extensionTime"), 5},
            {QStringLiteral("extensionEndTime"), 8},
            {QStringLiteral("cyclesNum"), 4}};
}

QJsonObject heatBlock(double temp, int seconds)
{
    return {{QStringLiteral("objectType"), QStringLiteral("Heat Block")},
            {QStringLiteral("protocolName"), QStringLiteral("Heat block")},
            {QStringLiteral("heatedLid"), false},
            {QStringLiteral("startTemp"), temp},
            {QStringLiteral("finalTemp"), temp},
            {QStringLiteral("time"), seconds}};
}

QJsonObject linearRamp(double startTemp, double finalTemp, int seconds)
{
    return {{QStringLiteral("objectType"), QStringLiteral("Linear Ramp")},
            {QStringLiteral("protocolName"), QStringLiteral("Ramp")},
            {QStringLiteral("heatedLid"), true},
            {QStringLiteral("startTemp"), startTemp},
            {QStringLiteral("finalTemp"), finalTemp},
            {QStringLiteral("time"), seconds}};
}

QByteArray messageV3(const QJsonObject &block, bool finalCooling)
{
    const ProgramV3 program(block.value(QLatin1String("protocolName")).toString(), stepArray(block),
                            finalCooling, typeOf(block));
    return QByteArray::fromStdString(program.pcrProtocol().SerializeAsString());
}

QByteArray messageV1(const QJsonObject &block)
{
    const ProgramV1 program(block.value(QLatin1String("protocolName")).toString(), stepArray(block),
                            typeOf(block));
    return QByteArray::fromStdString(program.pcrProtocol().SerializeAsString());
}

} // namespace MachinePrograms
