#ifndef DEVICESFILEWRITER_H
#define DEVICESFILEWRITER_H

#include "devicerecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// Writes the devices envelope in QJsonDocument's indented form, except for
// the chart arrays: those are streamed from the series, each on one line,
// instead of being built as JSON values, which for long runs would take
// gigabytes and seconds. The keys, values and number forms are
// QJsonDocument's.
class DevicesFileWriter
{
public:
    // False when the device refused a write. The records' series are read,
    // not copied: a device's record() shares them until the device changes them.
    static bool write(QIODevice *out, const QList<DeviceRecord> &devices, const QString &version);
    // A number as QJsonDocument writes it.
    static QByteArray number(double value);
};

#endif // DEVICESFILEWRITER_H
