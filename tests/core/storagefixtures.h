#ifndef STORAGEFIXTURES_H
#define STORAGEFIXTURES_H

// Libraries and devices shared by the storage tests, the kill helper and the
// storage benchmark.

#include "core/pcrdevice.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include "containers/shortprotocolcontainer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace StorageFixtures {

inline QByteArray stepsText(double holdTemp, int holdSeconds)
{
    const QJsonObject step{{QStringLiteral("objectType"), QStringLiteral("Heat Block")},
                           {QStringLiteral("protocolName"), QString()},
                           {QStringLiteral("heatedLid"), true},
                           {QStringLiteral("startTemp"), holdTemp},
                           {QStringLiteral("finalTemp"), holdTemp},
                           {QStringLiteral("time"), holdSeconds}};
    return QJsonDocument(QJsonArray{step}).toJson(QJsonDocument::Compact);
}

// A heat-block program that firmware 1 can run.
inline ProgramPtr firmwareV1Program(const QString &name, double holdTemp = 95.0)
{
    return ProgramPtr(new ProgramV1(name, stepsText(holdTemp, 300), Program::PT_HEAT_BLOCK));
}

inline ProgramPtr firmwareV3Program(const QString &name)
{
    const QByteArray steps =
        QJsonDocument(Container::Protocol::defaultStepArray()).toJson(QJsonDocument::Compact);
    return ProgramPtr(new ProgramV3(name, steps, true, Program::PT_PCR));
}

inline ProgramList library(const QString &prefix, int count)
{
    ProgramList programs;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1 %2").arg(prefix).arg(i);
        programs.append(i % 2 ? firmwareV3Program(name) : firmwareV1Program(name, 50 + i % 40));
    }
    return programs;
}

// A remembered USB machine whose temperature chart holds one point a second.
inline PCRDevicePtr deviceWithTrace(int index, int seconds)
{
    const QJsonObject connection{
        {QStringLiteral("connectionType"), 1},
        {QStringLiteral("hid_serial_number"), QStringLiteral("SN-%1").arg(index)}};
    const QJsonObject record{{QStringLiteral("m_connectionData"), connection},
                             {QStringLiteral("machineName"), QStringLiteral("Bench %1").arg(index)},
                             {QStringLiteral("modelName"), QStringLiteral("vela16")},
                             {QStringLiteral("firmware"), QStringLiteral("3.8")},
                             {QStringLiteral("serialNumber"), QStringLiteral("00%1").arg(index)},
                             {QStringLiteral("m_finishTime"), seconds}};
    PCRDevicePtr device(new PCRDevice(record, false));
    for (int t = 0; t < seconds; ++t)
        device->tempChart()->append(ChartData{double(t), double(float(25.0 + (t % 700) * 0.1))});
    for (int cycle = 0; cycle <= 30 && seconds > 0; ++cycle)
        device->dnaChart()->append(ChartData{double(cycle), double(1ll << cycle)});
    return device;
}

} // namespace StorageFixtures

#endif // STORAGEFIXTURES_H
