#include "qmlregistration.h"

#include "containers/runningviewmath.h"
#include "core/bellcontroller.h"
#include "core/bluetooth/bledevicesprovider.h"
#include "core/pcrcore.h"
#include "models/devicesmodel.h"
#include "models/devicesproxymodel.h"
#include "models/languagemodel.h"
#include "models/nowrunningmodel.h"
#include "models/onlinedevicesmodel.h"
#include "models/protocolsmodel.h"
#include "models/runningprotocolsmodel.h"
#include "program/program.h"
#include "ui/chartseriesfeeder.h"
#include "ui/devicerowstate.h"
#include "ui/focusnavigator.h"
#include "ui/protocolfieldrules.h"
#include "ui/runningviewrules.h"
#include "ui/steplist.h"
#include "utils/pcrconst.h"

#include <QQmlContext>
#include <QtQml>

void setContextProperties(QQmlContext *context, PcrCore *core, PCRConst *constants)
{
    const QVector<QQmlContext::PropertyPair> properties{
        {QStringLiteral("PcrCore"), QVariant::fromValue<QObject *>(core)},
        {QStringLiteral("BleDevicesProvider"),
         QVariant::fromValue<QObject *>(core->bleDevicesProvider())},
        {QStringLiteral("LanguageModel"), QVariant::fromValue<QObject *>(core->languageModel())},
        {QStringLiteral("DevicesModel"), QVariant::fromValue<QObject *>(core->devicesModel())},
        {QStringLiteral("DevicesProxyModel"),
         QVariant::fromValue<QObject *>(core->devicesProxyModel())},
        {QStringLiteral("ProtocolsModel"), QVariant::fromValue<QObject *>(core->protocolsModel())},
        {QStringLiteral("NowRunningModel"),
         QVariant::fromValue<QObject *>(core->nowRunningModel())},
        {QStringLiteral("RunningProtocolsModel"),
         QVariant::fromValue<QObject *>(core->runningProtocolsModel())},
        {QStringLiteral("OnlineDevicesModel"),
         QVariant::fromValue<QObject *>(core->onlineDevicesModel())},
        {QStringLiteral("PCRConst"), QVariant::fromValue<QObject *>(constants)},
        {QStringLiteral("Bell"), QVariant::fromValue<QObject *>(core->bell())}};
    for (const QQmlContext::PropertyPair &property : properties)
        context->setContextProperty(property.name, property.value);
}

namespace {

// The running view's arithmetic and rules, and the feeder of its chart lines.
void registerRunningViewTypes()
{
    const char *module = "PCR.Running";
    qmlRegisterSingletonType<RunningViewMath>(
        module, 1, 0, "RunningViewMath",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new RunningViewMath; });
    qmlRegisterSingletonType<RunningViewRules>(
        module, 1, 0, "RunningViewRules",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new RunningViewRules; });
    qmlRegisterType<ChartSeriesFeeder>(module, 1, 0, "ChartSeriesFeeder");
}

} // namespace

void registerQmlTypes()
{
    qmlRegisterUncreatableType<RunningProtocolsModel>(
        "RunningProtocolsModel", 1, 0, "SortRoles", QStringLiteral("Contain enum with sort types"));
    qmlRegisterUncreatableType<Program>("PCR.Program", 1, 0, "ProgramType",
                                        QStringLiteral("Contain enum with protocol types"));
    qmlRegisterUncreatableType<PcrCore>("PCR.Program", 1, 0, "ActiveFirmware",
                                        QStringLiteral("Contain enum with active firmware types"));
    qmlRegisterUncreatableType<PcrCore>(
        "PCR.Program", 1, 0, "RunResult",
        QStringLiteral("Contain enum with return values for run protocol"));
    const QString deviceStatusReason = QStringLiteral("Contain enum with device statuses.");
    qmlRegisterUncreatableType<PCRConst>("PCR.Program", 1, 0, "DeviceStatus", deviceStatusReason);
    qmlRegisterUncreatableType<PCRConst>("PCR.Program", 1, 0, "PcrEnums", deviceStatusReason);
    qmlRegisterUncreatableType<PCRConst>(
        "PCR", 1, 0, "ConnectionType",
        QStringLiteral("Contain enum with possible connection types."));
    qmlRegisterType<FocusNavigator>("Utils", 1, 0, "FocusNavigator");
    qmlRegisterType<DeviceRowState>("Utils", 1, 0, "DeviceRowState");
    registerRunningViewTypes();
    qmlRegisterSingletonType<ProtocolFieldRules>(
        "Utils", 1, 0, "ProtocolFieldRules",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new ProtocolFieldRules; });
    qmlRegisterType<StepList>("Utils", 1, 0, "StepList");
}
