#include "shortprotocolcontainer.h"

#include "utils/pcrconst.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

// Whole seconds, truncated toward zero, safe for any stored float.
qint64 wholeSeconds(float seconds)
{
    if (std::isnan(seconds))
        return 0;
    const float limit = 9.2e18f;
    return static_cast<qint64>(qBound(-limit, seconds, limit));
}

} // namespace

namespace Container {

Protocol::Protocol(int type)
    : type(type)
{}

Protocol::Protocol(const QJsonObject &json, int type)
    : type(type)
{
    fromJson(json);
}

void Protocol::fromJson(const QJsonObject &json)
{
    protocolName = json.value(PCRConst::protocolName()).toString().toUtf8();
    heatedLid = json.value(PCRConst::heatedLid()).toBool();
    switch (type) {
    case PcrBlock:
        readPcr(json);
        break;
    case HeatBlock:
        time = jsonFloat(json.value(PCRConst::time()));
        initialTemp = jsonFloat(json.value(PCRConst::startTemp()));
        finalTemp = initialTemp;
        break;
    case LinearRampBlock:
        time = jsonFloat(json.value(PCRConst::time()));
        initialTemp = jsonFloat(json.value(PCRConst::startTemp()));
        finalTemp = jsonFloat(json.value(PCRConst::finalTemp()));
        break;
    case TouchdownBlock:
        readTouchdown(json);
        qDebug() << "From json touch down" << json;
        break;
    default:
        break;
    }
}

void Protocol::readPcr(const QJsonObject &json)
{
    cyclesNum = json.value(PCRConst::cyclesNum()).toInt();
    initialTemp = jsonFloat(json.value(PCRConst::initTemp()));
    initTime = jsonFloat(json.value(PCRConst::initTime()));
    annealingTemp = jsonFloat(json.value(PCRConst::annealingTemp()));
    annealingTime = jsonFloat(json.value(PCRConst::annealingTime()));
    denaturationTemp = jsonFloat(json.value(PCRConst::denaturationTemp()));
    denaturationTime = jsonFloat(json.value(PCRConst::denaturationTime()));
    extensionTemp = jsonFloat(json.value(PCRConst::extensionTemp()));
    extensionTime = jsonFloat(json.value(PCRConst::extensionTime()));
    finalTemp = jsonFloat(json.value(PCRConst::finalTemp()));
    finalTime = jsonFloat(json.value(PCRConst::finalTime()));
    lidTemp = lidTempForHeatedLid();
}

void Protocol::readTouchdown(const QJsonObject &json)
{
    cyclesNum = json.value(PCRConst::cyclesNum()).toInt();
    denaturationTemp = jsonFloat(json.value(PCRConst::denaturationTemp()));
    denaturationTime = jsonFloat(json.value(PCRConst::denaturationTime()));
    annealingTemp = jsonFloat(json.value(PCRConst::annealingTemp()));
    annealingEndTemp = jsonFloat(json.value(PCRConst::annealingEndTemp()));
    annealingTime = jsonFloat(json.value(PCRConst::annealingTime()));
    extensionTemp = jsonFloat(json.value(PCRConst::extensionTemp()));
    extensionTime = jsonFloat(json.value(PCRConst::extensionTime()));
    extensionEndTime = jsonFloat(json.value(PCRConst::extensionEndTime()));
    lidTemp = lidTempForHeatedLid();
}

// A cycling block with the lid off still keeps it at body temperature.
float Protocol::lidTempForHeatedLid() const
{
    return heatedLid ? PCRConst::defaultLidMaxTemp() : PCRConst::defaultHoldTemp();
}

QJsonObject Protocol::toJson() const
{
    QJsonObject json;
    json.insert(PCRConst::protocolName(), QString::fromUtf8(protocolName));
    json.insert(PCRConst::heatedLid(), heatedLid);
    switch (type) {
    case PcrBlock:
        writePcr(json);
        break;
    case HeatBlock:
    case LinearRampBlock:
        json.insert(PCRConst::objectType(), type == HeatBlock ? PCRConst::objectTypeHeatBlock()
                                                              : PCRConst::objectTypeLinearRamp());
        json.insert(PCRConst::time(), wholeSeconds(time));
        json.insert(PCRConst::startTemp(), double(initialTemp));
        json.insert(PCRConst::finalTemp(), double(finalTemp));
        break;
    case TouchdownBlock:
        writeTouchdown(json);
        break;
    default:
        logUnhandledType();
        break;
    }
    qDebug() << "toJson: " << json;
    return json;
}

void Protocol::writePcr(QJsonObject &json) const
{
    json.insert(PCRConst::objectType(), PCRConst::objectTypePCR());
    json.insert(PCRConst::cyclesNum(), qint64(cyclesNum));
    json.insert(PCRConst::initTemp(), double(initialTemp));
    json.insert(PCRConst::initTime(), wholeSeconds(initTime));
    json.insert(PCRConst::annealingTemp(), double(annealingTemp));
    json.insert(PCRConst::annealingTime(), wholeSeconds(annealingTime));
    json.insert(PCRConst::denaturationTemp(), double(denaturationTemp));
    json.insert(PCRConst::denaturationTime(), wholeSeconds(denaturationTime));
    json.insert(PCRConst::extensionTemp(), double(extensionTemp));
    json.insert(PCRConst::extensionTime(), wholeSeconds(extensionTime));
    json.insert(PCRConst::finalTemp(), double(finalTemp));
    json.insert(PCRConst::finalTime(), wholeSeconds(finalTime));
}

void Protocol::writeTouchdown(QJsonObject &json) const
{
    json.insert(PCRConst::objectType(), PCRConst::objectTypeTouchdown());
    json.insert(PCRConst::cyclesNum(), qint64(cyclesNum));
    json.insert(PCRConst::denaturationTemp(), double(denaturationTemp));
    json.insert(PCRConst::denaturationTime(), wholeSeconds(denaturationTime));
    json.insert(PCRConst::annealingTemp(), double(annealingTemp));
    json.insert(PCRConst::annealingEndTemp(), double(annealingEndTemp));
    json.insert(PCRConst::annealingTime(), wholeSeconds(annealingTime));
    json.insert(PCRConst::extensionTemp(), double(extensionTemp));
    json.insert(PCRConst::extensionTime(), wholeSeconds(extensionTime));
    json.insert(PCRConst::extensionEndTime(), wholeSeconds(extensionEndTime));
}

float Protocol::initTemp() const
{
    switch (type) {
    case PcrBlock:
    case HeatBlock:
    case LinearRampBlock:
        return initialTemp;
    case TouchdownBlock:
        // A touchdown block starts with its denaturation hold.
        return denaturationTemp;
    default:
        logUnhandledType();
        return 0.0f;
    }
}

float Protocol::initLidTemp() const
{
    switch (type) {
    case PcrBlock:
    case TouchdownBlock:
        return lidTemp;
    case HeatBlock:
    case LinearRampBlock:
        return initialTemp;
    default:
        logUnhandledType();
        return 0.0f;
    }
}

void Protocol::logUnhandledType() const
{
    qCritical() << "Error: ProgramType" << type << "not handled!";
}

int Protocol::stepWeight(const QString &objectType)
{
    return flexStepsForProgramType(programTypeFromObjectType(objectType));
}

int Protocol::countDeviceSteps(const QByteArray &stepArray)
{
    const QJsonDocument document = QJsonDocument::fromJson(stepArray);
    int count = 0;
    const QJsonArray steps = document.array();
    for (const QJsonValue &step : steps)
        count += stepWeight(step.toObject().value(PCRConst::objectType()).toString());
    return count;
}

float Protocol::jsonFloat(const QJsonValue &value)
{
    const double limit = std::numeric_limits<float>::max();
    return static_cast<float>(qBound(-limit, value.toDouble(), limit));
}

QJsonArray Protocol::defaultStepArray()
{
    QJsonObject step;
    step.insert(PCRConst::annealingTemp(), PCRConst::defaultAnnealTemp());
    step.insert(PCRConst::annealingTime(), PCRConst::defaultAnnealTime());
    step.insert(PCRConst::cyclesNum(), PCRConst::defaultCycleNumber());
    step.insert(PCRConst::denaturationTemp(), PCRConst::defaultDenatureTemp());
    step.insert(PCRConst::denaturationTime(), PCRConst::defaultDenatureTime());
    step.insert(PCRConst::extensionTemp(), PCRConst::defaultExtensionTemp());
    step.insert(PCRConst::extensionTime(), PCRConst::defaultExtentionTime());
    step.insert(PCRConst::finalTemp(), PCRConst::defaultFinalExtensionTemp());
    step.insert(PCRConst::finalTime(), PCRConst::defaultFinalExtensionTime());
    step.insert(PCRConst::heatedLid(), PCRConst::defaultHeatedLid());
    step.insert(PCRConst::initTemp(), PCRConst::defaultInitializationTemp());
    step.insert(PCRConst::initTime(), PCRConst::defaultInitializationTime());
    step.insert(PCRConst::objectType(), PCRConst::objectTypePCR());
    step.insert(PCRConst::protocolName(), QString());
    return QJsonArray{step};
}

} // namespace Container
