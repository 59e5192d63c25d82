#include "pcrconst.h"

#include <QCoreApplication>
#include <QDebug>
#include <QStringList>
#include <QSysInfo>
#include <QVector>

#ifndef THERMOX_SOURCE_REVISION
#define THERMOX_SOURCE_REVISION "00000000"
#endif

const QString defaultProtocolName = QStringLiteral("New Protocol");
// The busy dialog reads the same in every language.
const char *const deviceBusyText = "The %1 device is busy, try again in a moment.";
const char *const deviceBusyTitle = "Device is busy";
const QString firmwareVersionV1 = QStringLiteral("1.0");
const QString firmwareVersionV3 = QStringLiteral("3.0");
const QByteArray isSelectedRole = QByteArrayLiteral("isSelected");

namespace {

QString translatedLabel(const char *label)
{
    return QCoreApplication::translate("PCRConst", label);
}

QString generalText(const char *text)
{
    return QCoreApplication::translate("QObject", text);
}

const char *const objectTypeLabels[] = {
    QT_TRANSLATE_NOOP("PCRConst", "PCR"),         QT_TRANSLATE_NOOP("PCRConst", "Heat Block"),
    QT_TRANSLATE_NOOP("PCRConst", "Linear Ramp"), QT_TRANSLATE_NOOP("PCRConst", "Flex"),
    QT_TRANSLATE_NOOP("PCRConst", "Touchdown"),
};

const char *const deviceStatusTexts[] = {
    QT_TRANSLATE_NOOP("QObject", "Paused"),   QT_TRANSLATE_NOOP("QObject", "Running"),
    QT_TRANSLATE_NOOP("QObject", "Stopped"),  QT_TRANSLATE_NOOP("QObject", "Heating lid"),
    QT_TRANSLATE_NOOP("QObject", "Reset"),    QT_TRANSLATE_NOOP("QObject", "Finished"),
    QT_TRANSLATE_NOOP("QObject", "No power"), QT_TRANSLATE_NOOP("QObject", "Offline"),
    QT_TRANSLATE_NOOP("QObject", "Loading"),
};

// Indexed by StepNames - 1; SN_OTHER has no text.
const char *const stepNameTexts[] = {
    QT_TRANSLATE_NOOP("QObject", "Initial denaturation"),
    QT_TRANSLATE_NOOP("QObject", "Denaturation"),
    QT_TRANSLATE_NOOP("QObject", "Annealing"),
    QT_TRANSLATE_NOOP("QObject", "Extension"),
    QT_TRANSLATE_NOOP("QObject", "Cycle"),
    QT_TRANSLATE_NOOP("QObject", "Final extension"),
    QT_TRANSLATE_NOOP("QObject", "Cool down"),
    QT_TRANSLATE_NOOP("QObject", "Finished"),
};

template <std::size_t N>
QString textAt(const char *const (&texts)[N], int index, QString (*translate)(const char *))
{
    if (index < 0 || index >= int(N))
        return QString();
    return translate(texts[index]);
}

} // namespace

PCRConst::PCRConst(QObject *parent)
    : QObject(parent)
{}

QString PCRConst::translatedObjectTypePCR()
{
    return translatedLabel(objectTypeLabels[0]);
}

QString PCRConst::translatedObjectTypeHeatBlock()
{
    return translatedLabel(objectTypeLabels[1]);
}

QString PCRConst::translatedObjectTypeLinearRamp()
{
    return translatedLabel(objectTypeLabels[2]);
}

QString PCRConst::translatedObjectTypeTouchdown()
{
    return translatedLabel(objectTypeLabels[4]);
}

QString PCRConst::applicationVersion()
{
    return QStringLiteral(THERMOX_SOURCE_REVISION);
}

int PCRConst::byteLength(const QString &name)
{
    return name.toUtf8().size();
}

QString PCRConst::trimToByteLength(const QString &name, int length)
{
    if (length <= 0)
        return QString();
    QString trimmed = name;
    while (byteLength(trimmed) > length) {
        trimmed.chop(1);
        // Whole characters only: half a surrogate pair is not text.
        if (!trimmed.isEmpty() && trimmed.at(trimmed.size() - 1).isHighSurrogate())
            trimmed.chop(1);
    }
    return trimmed;
}

bool PCRConst::isBluetoothAvailable()
{
    return isBluetoothAvailableOn(QSysInfo::kernelType(), QSysInfo::kernelVersion());
}

bool PCRConst::isBluetoothAvailableOn(const QString &kernelType, const QString &kernelVersion)
{
    if (kernelType != QLatin1String("winnt"))
        return true;
    qInfo().noquote() << "Kernel:" << kernelVersion << "WinNT" << kernelVersion;

    QVector<int> numbers;
    const QStringList parts = kernelVersion.split(QLatin1Char('.'));
    for (const QString &part : parts) {
        bool ok = false;
        const int number = part.toInt(&ok, 10);
        if (ok)
            numbers.append(number);
    }
    if (numbers.isEmpty()) {
        qWarning().noquote() << "Strange system kernel version: " << kernelVersion
                             << "No Bluetooth support for this OS version.";
        return false;
    }
    qDebug() << numbers;
    return numbers.size() == 1 || numbers.first() > 9;
}

int programTypeFromObjectType(const QString &objectType)
{
    if (objectType == PCRConst::objectTypePCR())
        return 1;
    if (objectType == PCRConst::objectTypeHeatBlock())
        return 2;
    if (objectType == PCRConst::objectTypeLinearRamp())
        return 3;
    if (objectType == QLatin1String("Flex"))
        return 4;
    if (objectType == PCRConst::objectTypeTouchdown())
        return 5;
    return 0;
}

QString programTypeLabel(int programType)
{
    return textAt(objectTypeLabels, programType - 1, translatedLabel);
}

int programTypeFromWireProtocolType(int wireProtocolType)
{
    switch (wireProtocolType) {
    case 1:
    case 2:
    case 3:
        return wireProtocolType;
    case 4:
        return 5;
    default:
        return 0;
    }
}

int flexStepsForProgramType(int programType)
{
    switch (programType) {
    case 1:
        return PCRConst::pcrFlexPcrSteps();
    case 2:
        return PCRConst::heatBlockFlexPcrSteps();
    case 3:
        return PCRConst::linearRampFlexPcrSteps();
    case 5:
        return PCRConst::touchdownFlexPcrSteps();
    default:
        return 0;
    }
}

PCRConst::DeviceStatus deviceStatusFromWireStatus(int wireStatus)
{
    if (wireStatus < PCRConst::DS_PAUSED || wireStatus > PCRConst::DS_FINISHED)
        return PCRConst::DS_UNKNOWN;
    return static_cast<PCRConst::DeviceStatus>(wireStatus);
}

QString deviceStatusText(int deviceStatus)
{
    return textAt(deviceStatusTexts, deviceStatus, generalText);
}

QString stepNameText(int stepName)
{
    return textAt(stepNameTexts, stepName - 1, generalText);
}
