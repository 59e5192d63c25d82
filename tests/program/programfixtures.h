#ifndef PROGRAMFIXTURES_H
#define PROGRAMFIXTURES_H

// Step objects and wire steps shared by the program tests.

#include "containers/shortprotocolcontainer.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QtTest>

#include <google/protobuf/message_lite.h>

namespace Fixtures {

inline QJsonObject pcrStep(bool heatedLid = true, const QString &name = QString())
{
    QJsonObject step = Container::Protocol::defaultStepArray().first().toObject();
    step.insert(QStringLiteral("heatedLid"), heatedLid);
    step.insert(QStringLiteral("protocolName"), name);
    return step;
}

inline QJsonObject heatBlockStep(double temp, int seconds, bool heatedLid = true,
                                 const QString &name = QString())
{
    return {{QStringLiteral("objectType"), QStringLiteral("Heat Block")},
            {QStringLiteral("protocolName"), name},
            {QStringLiteral("heatedLid"), heatedLid},
            {QStringLiteral("startTemp"), temp},
            {QStringLiteral("finalTemp"), temp},
            {QStringLiteral("time"), seconds}};
}

inline QJsonObject linearRampStep(double start, double final, int seconds, bool heatedLid = true,
                                  const QString &name = QString())
{
    return {{QStringLiteral("objectType"), QStringLiteral("Linear Ramp")},
            {QStringLiteral("protocolName"), name},
            {QStringLiteral("heatedLid"), heatedLid},
            {QStringLiteral("startTemp"), start},
            {QStringLiteral("finalTemp"), final},
            {QStringLiteral("time"), seconds}};
}

// Annealing 60 -> 50 and extension 30 -> 60 s over 11 cycles.
inline QJsonObject touchdownStep(bool heatedLid = true, const QString &name = QString())
{
    return {{QStringLiteral("objectType"), QStringLiteral("Touchdown")},
            {QStringLiteral("protocolName"), name},
            {QStringLiteral("heatedLid"), heatedLid},
            {QStringLiteral("cyclesNum"), 11},
            {QStringLiteral("denaturationTemp"), 95},
            {QStringLiteral("denaturationTime"), 30},
            {QStringLiteral("annealingTemp"), 60},
            {QStringLiteral("annealingEndTemp"), 50},
            {QStringLiteral("annealingTime"), 30},
            {QStringLiteral("extensionTemp"), 72},
            {QStringLiteral("extensionTime"), 30},
            {QStringLiteral("extensionEndTime"), 60}};
}

inline QJsonObject with(QJsonObject step, const QString &key, const QJsonValue &value)
{
    step.insert(key, value);
    return step;
}

inline QByteArray bytes(const QJsonArray &steps)
{
    return QJsonDocument(steps).toJson(QJsonDocument::Compact);
}

// A message as a firmware-3 payload carries it: followed by four zero bytes.
inline QByteArray paddedMessage(const google::protobuf::MessageLite &message)
{
    return QByteArray::fromStdString(message.SerializeAsString()) + QByteArray(4, '\0');
}

struct WireStep
{
    int type;
    float target;
    quint32 time;
    int protocolType;

    bool operator==(const WireStep &other) const
    {
        return type == other.type && qFuzzyCompare(target + 1.0f, other.target + 1.0f) &&
               time == other.time && protocolType == other.protocolType;
    }
};
using WireSteps = QList<WireStep>;

template <typename Protocol>
WireSteps wireSteps(const Protocol &protocol)
{
    WireSteps steps;
    for (const auto &step : protocol.steps()) {
        int protocolType = 0;
        if constexpr (std::is_same_v<Protocol, ProtocolV3::PCRProtocol>)
            protocolType = step.protocoltype();
        steps.append({step.type(), step.target(), step.time(), protocolType});
    }
    return steps;
}

template <typename Protocol>
Protocol messageOf(const WireSteps &steps, float lidTemp)
{
    Protocol protocol;
    protocol.set_protocolname("Device");
    protocol.set_lidtemp(lidTemp);
    for (const WireStep &wire : steps) {
        auto *step = protocol.add_steps();
        step->set_type(static_cast<decltype(step->type())>(wire.type));
        step->set_target(wire.target);
        step->set_time(wire.time);
        if constexpr (std::is_same_v<Protocol, ProtocolV3::PCRProtocol>)
            step->set_protocoltype(static_cast<ProtocolV3::ProtocolType>(wire.protocolType));
    }
    return protocol;
}

} // namespace Fixtures

Q_DECLARE_METATYPE(Fixtures::WireSteps)

namespace QTest {
template <>
inline char *toString(const Fixtures::WireSteps &steps)
{
    QByteArray text;
    for (const Fixtures::WireStep &step : steps)
        text += QByteArray("\n  type ") + QByteArray::number(step.type) + " target " +
                QByteArray::number(step.target) + " time " + QByteArray::number(step.time) +
                " protocol " + QByteArray::number(step.protocolType);
    return qstrdup(text.constData());
}
} // namespace QTest

#endif // PROGRAMFIXTURES_H
