#ifndef PCRCONST_H
#define PCRCONST_H

#include <QByteArray>
#include <QObject>
#include <QString>

// The vocabulary every layer and the UI share: device enumerations, the key
// names of the protocol step format, defaults, limits and a few shared texts.
// Every property is a constant; the UI reads them by name from the one
// instance published as the context property "PCRConst".
class PCRConst : public QObject
{
    Q_OBJECT

    // Key names of the protocol step format; each value is its own name.
    Q_PROPERTY(QString protocolName READ protocolName CONSTANT)
    Q_PROPERTY(QString heatedLid READ heatedLid CONSTANT)
    Q_PROPERTY(QString finalCooling READ finalCooling CONSTANT)
    Q_PROPERTY(QString time READ time CONSTANT)
    Q_PROPERTY(QString temp READ temp CONSTANT)
    Q_PROPERTY(QString initTemp READ initTemp CONSTANT)
    Q_PROPERTY(QString initTime READ initTime CONSTANT)
    Q_PROPERTY(QString finalTemp READ finalTemp CONSTANT)
    Q_PROPERTY(QString finalTime READ finalTime CONSTANT)
    Q_PROPERTY(QString startTemp READ startTemp CONSTANT)
    Q_PROPERTY(QString endTemp READ endTemp CONSTANT)
    Q_PROPERTY(QString annealingTemp READ annealingTemp CONSTANT)
    Q_PROPERTY(QString annealingTime READ annealingTime CONSTANT)
    Q_PROPERTY(QString annealingStartTemp READ annealingStartTemp CONSTANT)
    Q_PROPERTY(QString annealingStartTime READ annealingStartTime CONSTANT)
    Q_PROPERTY(QString annealingEndTemp READ annealingEndTemp CONSTANT)
    Q_PROPERTY(QString annealingEndTime READ annealingEndTime CONSTANT)
    Q_PROPERTY(QString denaturationTemp READ denaturationTemp CONSTANT)
    Q_PROPERTY(QString denaturationTime READ denaturationTime CONSTANT)
    Q_PROPERTY(QString denaturationStartTemp READ denaturationStartTemp CONSTANT)
    Q_PROPERTY(QString denaturationStartTime READ denaturationStartTime CONSTANT)
    Q_PROPERTY(QString denaturationEndTemp READ denaturationEndTemp CONSTANT)
    Q_PROPERTY(QString denaturationEndTime READ denaturationEndTime CONSTANT)
    Q_PROPERTY(QString extensionTemp READ extensionTemp CONSTANT)
    Q_PROPERTY(QString extensionTime READ extensionTime CONSTANT)
    Q_PROPERTY(QString extensionStartTemp READ extensionStartTemp CONSTANT)
    Q_PROPERTY(QString extensionStartTime READ extensionStartTime CONSTANT)
    Q_PROPERTY(QString extensionEndTemp READ extensionEndTemp CONSTANT)
    Q_PROPERTY(QString extensionEndTime READ extensionEndTime CONSTANT)
    Q_PROPERTY(QString cyclesNum READ cyclesNum CONSTANT)
    Q_PROPERTY(QString objectType READ objectType CONSTANT)

    // Step object types (stored) and their translated labels (shown).
    Q_PROPERTY(QString objectTypePCR READ objectTypePCR CONSTANT)
    Q_PROPERTY(QString objectTypeHeatBlock READ objectTypeHeatBlock CONSTANT)
    Q_PROPERTY(QString objectTypeLinearRamp READ objectTypeLinearRamp CONSTANT)
    Q_PROPERTY(QString objectTypeTouchdown READ objectTypeTouchdown CONSTANT)
    Q_PROPERTY(QString translatedObjectTypePCR READ translatedObjectTypePCR CONSTANT)
    Q_PROPERTY(QString translatedObjectTypeHeatBlock READ translatedObjectTypeHeatBlock CONSTANT)
    Q_PROPERTY(QString translatedObjectTypeLinearRamp READ translatedObjectTypeLinearRamp CONSTANT)
    Q_PROPERTY(QString translatedObjectTypeTouchdown READ translatedObjectTypeTouchdown CONSTANT)

    // Defaults and limits; temperatures in degrees Celsius, times in seconds.
    Q_PROPERTY(int nullID READ nullID CONSTANT)
    Q_PROPERTY(int nullValue READ nullValue CONSTANT)
    Q_PROPERTY(int defaultCycleNumber READ defaultCycleNumber CONSTANT)
    Q_PROPERTY(float defaultHoldTemp READ defaultHoldTemp CONSTANT)
    Q_PROPERTY(float defaultLidMaxTemp READ defaultLidMaxTemp CONSTANT)
    Q_PROPERTY(float defaultLidMinTemp READ defaultLidMinTemp CONSTANT)
    Q_PROPERTY(float defaultInitializationTemp READ defaultInitializationTemp CONSTANT)
    Q_PROPERTY(float defaultFinalExtensionTemp READ defaultFinalExtensionTemp CONSTANT)
    Q_PROPERTY(float defaultDenatureTemp READ defaultDenatureTemp CONSTANT)
    Q_PROPERTY(float defaultAnnealTemp READ defaultAnnealTemp CONSTANT)
    Q_PROPERTY(float defaultExtensionTemp READ defaultExtensionTemp CONSTANT)
    Q_PROPERTY(int defaultHeatBlockTemp READ defaultHeatBlockTemp CONSTANT)
    Q_PROPERTY(int defaultLinearRampStartTemp READ defaultLinearRampStartTemp CONSTANT)
    Q_PROPERTY(int defaultLinearRampFinalTemp READ defaultLinearRampFinalTemp CONSTANT)
    Q_PROPERTY(int defaultInitializationTime READ defaultInitializationTime CONSTANT)
    Q_PROPERTY(int defaultDenatureTime READ defaultDenatureTime CONSTANT)
    Q_PROPERTY(int defaultAnnealTime READ defaultAnnealTime CONSTANT)
    Q_PROPERTY(int defaultExtentionTime READ defaultExtentionTime CONSTANT)
    Q_PROPERTY(int defaultFinalExtensionTime READ defaultFinalExtensionTime CONSTANT)
    Q_PROPERTY(int defaultHoldTime READ defaultHoldTime CONSTANT)
    Q_PROPERTY(int defaultNonPCRHoldTime READ defaultNonPCRHoldTime CONSTANT)
    Q_PROPERTY(int defaultHeatBlockTime READ defaultHeatBlockTime CONSTANT)
    Q_PROPERTY(bool defaultHeatedLid READ defaultHeatedLid CONSTANT)
    Q_PROPERTY(bool defaultFinalCooling READ defaultFinalCooling CONSTANT)
    Q_PROPERTY(float powerSupplyVoltage READ powerSupplyVoltage CONSTANT)
    Q_PROPERTY(int maxFlexPcrSteps READ maxFlexPcrSteps CONSTANT)
    Q_PROPERTY(int pcrFlexPcrSteps READ pcrFlexPcrSteps CONSTANT)
    Q_PROPERTY(int heatBlockFlexPcrSteps READ heatBlockFlexPcrSteps CONSTANT)
    Q_PROPERTY(int linearRampFlexPcrSteps READ linearRampFlexPcrSteps CONSTANT)
    Q_PROPERTY(int touchdownFlexPcrSteps READ touchdownFlexPcrSteps CONSTANT)
    Q_PROPERTY(int protocolNameMaxLength READ protocolNameMaxLength CONSTANT)
    Q_PROPERTY(int machineNameMaxLength READ machineNameMaxLength CONSTANT)

    Q_PROPERTY(QString applicationVersion READ applicationVersion CONSTANT)

public:
    enum DeviceStatus {
        DS_UNKNOWN = -1,
        DS_PAUSED = 0,
        DS_RUNNING = 1,
        DS_STOPPED = 2,
        DS_START_UP = 3,
        DS_RESET = 4,
        DS_FINISHED = 5,
        DS_NO_POWER = 6,
        DS_OFFLINE = 7,
        DS_LOADING = 8
    };
    Q_ENUM(DeviceStatus)

    enum DeviceError {
        DE_NO_ERROR = 0,
        DE_LOW_BLOCK_TEMPERATURE = 1,
        DE_LOW_LID_TEMPERATURE = 2,
        DE_SLOW_BLOCK_HEATER = 3,
        DE_SLOW_LID_HEATER = 4,
        DE_NO_POWER = 5,
        DE_HIGH_BLOCK_TEMPERATURE = 6,
        DE_HIGH_LID_TEMPERATURE = 7
    };
    Q_ENUM(DeviceError)

    enum StepNames {
        SN_OTHER = 0,
        SN_INITIAL_DENATURATION = 1,
        SN_DENATURATION = 2,
        SN_ANNEALING = 3,
        SN_EXTENSION = 4,
        SN_CYCLE = 5,
        SN_FINAL_EXTENSION = 6,
        SN_FINAL_COOLING = 7,
        SN_FINISHED = 8
    };
    Q_ENUM(StepNames)

    enum HeatType { HT_HOLD = 0, HT_HEATING = 1, HT_COOLING = 2 };
    Q_ENUM(HeatType)

    enum ConnectionType {
        CT_USB_Firmware_V1 = 0,
        CT_USB_Firmware_V3 = 1,
        CT_Bluetooth_Firmware_V3 = 2,
        CT_Emul_V3 = 3,
        CT_Undefined = 4
    };
    Q_ENUM(ConnectionType)

    explicit PCRConst(QObject *parent = nullptr);

    static QString protocolName() { return QStringLiteral("protocolName"); }
    static QString heatedLid() { return QStringLiteral("heatedLid"); }
    static QString finalCooling() { return QStringLiteral("finalCooling"); }
    static QString time() { return QStringLiteral("time"); }
    static QString temp() { return QStringLiteral("temp"); }
    static QString initTemp() { return QStringLiteral("initTemp"); }
    static QString initTime() { return QStringLiteral("initTime"); }
    static QString finalTemp() { return QStringLiteral("finalTemp"); }
    static QString finalTime() { return QStringLiteral("finalTime"); }
    static QString startTemp() { return QStringLiteral("startTemp"); }
    static QString endTemp() { return QStringLiteral("endTemp"); }
    static QString annealingTemp() { return QStringLiteral("annealingTemp"); }
    static QString annealingTime() { return QStringLiteral("annealingTime"); }
    static QString annealingStartTemp() { return QStringLiteral("annealingStartTemp"); }
    static QString annealingStartTime() { return QStringLiteral("annealingStartTime"); }
    static QString annealingEndTemp() { return QStringLiteral("annealingEndTemp"); }
    static QString annealingEndTime() { return QStringLiteral("annealingEndTime"); }
    static QString denaturationTemp() { return QStringLiteral("denaturationTemp"); }
    static QString denaturationTime() { return QStringLiteral("denaturationTime"); }
    static QString denaturationStartTemp() { return QStringLiteral("denaturationStartTemp"); }
    static QString denaturationStartTime() { return QStringLiteral("denaturationStartTime"); }
    static QString denaturationEndTemp() { return QStringLiteral("denaturationEndTemp"); }
    static QString denaturationEndTime() { return QStringLiteral("denaturationEndTime"); }
    static QString extensionTemp() { return QStringLiteral("extensionTemp"); }
    static QString extensionTime() { return QStringLiteral("extensionTime"); }
    static QString extensionStartTemp() { return QStringLiteral("extensionStartTemp"); }
    static QString extensionStartTime() { return QStringLiteral("extensionStartTime"); }
    static QString extensionEndTemp() { return QStringLiteral("extensionEndTemp"); }
    static QString extensionEndTime() { return QStringLiteral("extensionEndTime"); }
    static QString cyclesNum() { return QStringLiteral("cyclesNum"); }
    static QString objectType() { return QStringLiteral("objectType"); }

    static QString objectTypePCR() { return QStringLiteral("PCR"); }
    static QString objectTypeHeatBlock() { return QStringLiteral("Heat Block"); }
    static QString objectTypeLinearRamp() { return QStringLiteral("Linear Ramp"); }
    static QString objectTypeTouchdown() { return QStringLiteral("Touchdown"); }
    static QString translatedObjectTypePCR();
    static QString translatedObjectTypeHeatBlock();
    static QString translatedObjectTypeLinearRamp();
    static QString translatedObjectTypeTouchdown();

    static constexpr int nullID() { return -1; }
    static constexpr int nullValue() { return -1; }
    static constexpr int defaultCycleNumber() { return 30; }
    static constexpr float defaultHoldTemp() { return 37.0f; }
    static constexpr float defaultLidMaxTemp() { return 105.0f; }
    static constexpr float defaultLidMinTemp() { return 0.0f; }
    static constexpr float defaultInitializationTemp() { return 94.0f; }
    static constexpr float defaultFinalExtensionTemp() { return 72.0f; }
    static constexpr float defaultDenatureTemp() { return 94.0f; }
    static constexpr float defaultAnnealTemp() { return 60.0f; }
    static constexpr float defaultExtensionTemp() { return 72.0f; }
    static constexpr int defaultHeatBlockTemp() { return 37; }
    static constexpr int defaultLinearRampStartTemp() { return 25; }
    static constexpr int defaultLinearRampFinalTemp() { return 99; }
    static constexpr int defaultInitializationTime() { return 120; }
    static constexpr int defaultDenatureTime() { return 30; }
    static constexpr int defaultAnnealTime() { return 30; }
    static constexpr int defaultExtentionTime() { return 30; }
    static constexpr int defaultFinalExtensionTime() { return 60; }
    static constexpr int defaultHoldTime() { return 30; }
    static constexpr int defaultNonPCRHoldTime() { return 3600; }
    static constexpr int defaultHeatBlockTime() { return 1800; }
    static constexpr bool defaultHeatedLid() { return true; }
    static constexpr bool defaultFinalCooling() { return true; }
    static constexpr float powerSupplyVoltage() { return 19.0f; }
    static constexpr int maxFlexPcrSteps() { return 40; }
    static constexpr int pcrFlexPcrSteps() { return 4; }
    static constexpr int heatBlockFlexPcrSteps() { return 1; }
    static constexpr int linearRampFlexPcrSteps() { return 2; }
    static constexpr int touchdownFlexPcrSteps() { return 6; }
    static constexpr int protocolNameMaxLength() { return 24; }
    static constexpr int machineNameMaxLength() { return 22; }

    // Source revision of this build, eight hexadecimal digits.
    static QString applicationVersion();

    Q_INVOKABLE static int byteLength(const QString &name);
    Q_INVOKABLE static QString trimToByteLength(const QString &name, int length);

    static bool isBluetoothAvailable();
    // The decision of isBluetoothAvailable() for a given kernel, kept apart
    // so that it can be checked for kernels other than the running one.
    static bool isBluetoothAvailableOn(const QString &kernelType, const QString &kernelVersion);
};

extern const QString defaultProtocolName;
extern const char *const deviceBusyText;
extern const char *const deviceBusyTitle;
extern const QString firmwareVersionV1;
extern const QString firmwareVersionV3;
extern const QByteArray isSelectedRole;

// Conversions shared by the core and the UI. Program types are the values of
// Program::ProgramType (0 invalid, 1 PCR, 2 heat block, 3 linear ramp,
// 4 flex, 5 touchdown).
int programTypeFromObjectType(const QString &objectType);
QString programTypeLabel(int programType);
int programTypeFromWireProtocolType(int wireProtocolType);
int flexStepsForProgramType(int programType);
PCRConst::DeviceStatus deviceStatusFromWireStatus(int wireStatus);
QString deviceStatusText(int deviceStatus);
QString stepNameText(int stepName);

#endif // PCRCONST_H
