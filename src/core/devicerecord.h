#ifndef DEVICERECORD_H
#define DEVICERECORD_H

#include "containers/chartdata.h"
#include "utils/pcrconst.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

// One known machine as the devices file keeps it: what is read back at
// start-up and written at shutdown. The keys and their order are the file's.
class DeviceRecord
{
public:
    // A non-empty object with every key, and the identifier its connection type needs.
    static bool validate(const QJsonObject &record);
    // Missing values read as 0, empty text, false or no points.
    static DeviceRecord fromJson(const QJsonObject &record);
    QJsonObject toJson() const;
    // The keys of the two chart arrays, which the devices file streams and skips.
    static QString tempChartKey() { return QStringLiteral("ProtocolTempChartData"); }
    static QString dnaChartKey() { return QStringLiteral("ProtocolDnaChartData"); }

    qint32 deviceId = -1; // written; ignored when read
    PCRConst::ConnectionType connectionType = PCRConst::CT_Undefined;
    QString hidSerialNumber;
    QString bleUniqueString;
    QVector<ChartData> tempChart; // (time, temp)
    QVector<ChartData> dnaChart;  // (cycle, dnaSamples)
    bool autoStartOn = false;
    QString firmware;
    QString serialNumber;
    QString machineName;
    QString modelName;
    qint32 finishTime = -1;
    qint32 pauseCounter = 0;
    qint32 stopCounter = 0;
    QString bleName;
    QString bleId;

private:
    QJsonObject connectionData() const;
    void readConnectionData(const QJsonObject &connectionData);
};

#endif // DEVICERECORD_H
