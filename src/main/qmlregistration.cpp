#include "qmlregistration.h"

#include "program/program.h"
#include "utils/pcrconst.h"

#include <QQmlContext>
#include <QtQml>

void setContextProperties(QQmlContext *context, PCRConst *constants)
{
    context->setContextProperty(QStringLiteral("PCRConst"), constants);
}

void registerQmlTypes()
{
    qmlRegisterUncreatableType<Program>("PCR.Program", 1, 0, "ProgramType",
                                        QStringLiteral("Contain enum with protocol types"));
    const QString deviceStatusReason = QStringLiteral("Contain enum with device statuses.");
    qmlRegisterUncreatableType<PCRConst>("PCR.Program", 1, 0, "DeviceStatus", deviceStatusReason);
    qmlRegisterUncreatableType<PCRConst>("PCR.Program", 1, 0, "PcrEnums", deviceStatusReason);
    qmlRegisterUncreatableType<PCRConst>(
        "PCR", 1, 0, "ConnectionType",
        QStringLiteral("Contain enum with possible connection types."));
}
