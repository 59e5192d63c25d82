#ifndef SHORTPROTOCOLCONTAINER_H
#define SHORTPROTOCOLCONTAINER_H

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace Container {

// One block of a protocol (a PCR, heat block, linear ramp or touchdown step
// object of the step array) held with its settings as numbers. Firmware-3
// programs keep one per block and build their wire steps from it.
class Protocol
{
public:
    // Block kinds; their values are those of Program::ProgramType, which
    // refers to them so that the two never drift apart.
    enum BlockType : int { PcrBlock = 1, HeatBlock = 2, LinearRampBlock = 3, TouchdownBlock = 5 };

    explicit Protocol(int type);
    Protocol(const QJsonObject &json, int type);

    void fromJson(const QJsonObject &json);
    QJsonObject toJson() const;

    // The block temperature the block heats to first.
    float initTemp() const;
    // The lid temperature the block asks for at its start.
    float initLidTemp() const;

    // Device steps that a block of this "objectType" takes in a flex protocol.
    static int stepWeight(const QString &objectType);
    // Device steps of a whole step array; 0 when the bytes are no JSON array.
    static int countDeviceSteps(const QByteArray &stepArray);
    // A JSON number as a float; numbers beyond the float range (step arrays
    // come from files) stay at its edge.
    static float jsonFloat(const QJsonValue &value);
    // The built-in default PCR protocol: one step object with the defaults.
    static QJsonArray defaultStepArray();

    int type;
    QByteArray protocolName;
    bool heatedLid = true;
    qint32 cyclesNum = -1;
    float lidTemp = -1.0f;
    float time = -1.0f;
    // Initial denaturation of a PCR block; start of a heat block or ramp.
    // (initTemp() is taken by the block's first temperature.)
    float initialTemp = -1.0f;
    float initTime = -1.0f;
    float denaturationTemp = -1.0f;
    float denaturationTime = -1.0f;
    float annealingTemp = -1.0f;
    float annealingEndTemp = -1.0f;
    float annealingTime = -1.0f;
    float extensionTemp = -1.0f;
    float extensionTime = -1.0f;
    float extensionEndTime = -1.0f;
    float finalTemp = -1.0f;
    float finalTime = -1.0f;

private:
    void readPcr(const QJsonObject &json);
    void readTouchdown(const QJsonObject &json);
    void writePcr(QJsonObject &json) const;
    void writeTouchdown(QJsonObject &json) const;
    float lidTempForHeatedLid() const;
    void logUnhandledType() const;
};

} // namespace Container

#endif // SHORTPROTOCOLCONTAINER_H
