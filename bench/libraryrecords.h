#ifndef LIBRARYRECORDS_H
#define LIBRARYRECORDS_H

// Library records as the stored library holds them, for the benchmarks that
// need a large library.

#include "program/program.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace LibraryRecords {

inline QJsonObject pcrStep(int index)
{
    return {{"objectType", "PCR"},
            {"protocolName", ""},
            {"heatedLid", true},
            {"cyclesNum", 25 + index % 15},
            {"initTemp", 95},
            {"initTime", 120},
            {"denaturationTemp", 95},
            {"denaturationTime", 30},
            {"annealingTemp", 50 + (index % 100) / 10.0},
            {"annealingTime", 30},
            {"extensionTemp", 72},
            {"extensionTime", 60},
            {"finalTemp", 72},
            {"finalTime", 300}};
}

inline QJsonObject heatBlockStep(int index)
{
    return {{"objectType", "Heat Block"},   {"protocolName", ""},           {"heatedLid", true},
            {"startTemp", 37 + index % 60}, {"finalTemp", 37 + index % 60}, {"time", 60 + index}};
}

// A mix of what a library holds: plain PCR and heat blocks in both firmware
// forms, and flex programs of three blocks.
inline QJsonObject record(int index, const QString &name)
{
    QJsonObject step = index % 2 ? pcrStep(index) : heatBlockStep(index);
    int type = index % 2 ? Program::PT_PCR : Program::PT_HEAT_BLOCK;
    QJsonArray steps{step};
    if (index % 5 == 0) {
        type = Program::PT_FLEX;
        steps = {pcrStep(index), heatBlockStep(index), pcrStep(index + 1)};
    }
    const bool firmware1 = index % 3 == 0 && type != Program::PT_FLEX;
    return {{"name", name},
            {"type", type},
            {"firmware", firmware1 ? "1.0" : "3.0"},
            {"isFavorite", index % 7 == 0},
            {"lastUsed", "2024-03-01T08:30:00"},
            {"usedCount", index % 11},
            {"finalCooling", true},
            {"protocol_array", steps}};
}

inline QList<QJsonObject> distinctRecords(int count)
{
    QList<QJsonObject> records;
    for (int index = 0; index < count; ++index)
        records.append(record(index, QStringLiteral("Protocol %1").arg(index, 4, 10, QChar('0'))));
    return records;
}

} // namespace LibraryRecords

#endif // LIBRARYRECORDS_H
