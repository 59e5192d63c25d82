#ifndef VIRTUALMACHINE_H
#define VIRTUALMACHINE_H

#include "framefaults.h"
#include "machineclock.h"
#include "runengine.h"

#include <QObject>
#include <QString>

#include <optional>

class MachineWire;

// One virtual thermocycler: its identity, its memory (settings and stored
// program), the run engine with its thermal model, the clock it lives by,
// and the faults it suffers. The wire side (MachineWire) is made per
// transport link; everything here is shared by USB and BLE.
class VirtualMachine : public QObject
{
    Q_OBJECT

public:
    enum Model { Vela8, Vela16 }; // firmware 1 and firmware 3
    Q_ENUM(Model)

    struct Identity
    {
        Model model = Vela16;
        // Firmware 3 keeps 11 bytes, written as 22 hexadecimal digits; its
        // USB serial-number string is the same text.
        QString serialNumber;
        QString machineName;
        bool autoStart = false;
    };

    static constexpr int SimulationStepMs = 100;
    static constexpr int StateReportPeriodMs = 1000;
    static constexpr int EepromWriteMs = 500;
    static constexpr int MachineNameMaxBytes = 22;
    static constexpr int SerialNumberBytesV3 = 11;
    static constexpr int SerialNumberMaxChars = 126; // a USB string descriptor's limit
    static constexpr float MainsVoltage = 19.0f;

    explicit VirtualMachine(const Identity &identity, QObject *parent = nullptr);

    static QString modelName(Model model);
    static std::optional<Model> modelFromName(const QString &name);
    // Empty when the serial number suits the model, else the reason.
    static QString serialNumberProblem(Model model, const QString &serialNumber);

    Model model() const;
    QString modelName() const;
    int firmware() const;
    int firmwareMajorVersion() const;
    int firmwareMinorVersion() const;
    QString serialNumber() const;
    QString machineName() const;
    bool isAutoStartOn() const;

    // Memory. Writes keep the EEPROM busy for a moment (firmware 3 tells
    // its host). A program that is not a valid message of the machine's
    // firmware is refused.
    QByteArray storedProgram() const;
    bool storeProgram(const QByteArray &message);
    // A machine as it comes out of the box: a vela8 holds a test PCR program
    // (its host counts it initialised only once it has read one); a vela16
    // holds none.
    void storeFactoryProgram();
    void storeSettings(const QString &machineName, bool autoStart);
    bool isEepromBusy() const;

    // A state (the wire Status value) a host asked for.
    void applyHostState(int status);
    // Starts the stored program from its first step; false without one.
    bool startRun();

    RunEngine *engine() const;
    MachineClock *clock() const;
    FrameFaults &faults();
    const FrameFaults &faults() const;
    float powerVoltage() const;

    bool isPowered() const;
    bool isHeldByOtherHost() const;

    // The device side of the wire for one transport link: frames of at
    // most frameSize bytes for firmware 3 (64 on USB, 20 on BLE); 64-byte
    // report pieces for firmware 1.
    MachineWire *createWire(int frameSize, QObject *parent = nullptr);

public slots:
    // Mains power: without it the heaters stop and the run waits; switched
    // on with auto-start set and no run under way, the stored program starts.
    void setPowered(bool powered);
    // Another host has taken the machine: this one is answered busy.
    void setHeldByOtherHost(bool held);

signals:
    void stateReportDue();
    void eepromBusyChanged(bool busy);
    void heldByOtherHostChanged(bool held);

private slots:
    void onClockAdvanced(qint64 nowMs);

private:
    void beginEepromWrite();
    void simulateSlice();

    Identity m_identity;
    MachineClock *const m_clock;
    RunEngine *const m_engine;
    FrameFaults m_faults;
    qint64 m_simulatedMs = 0;
    qint64 m_eepromReadyAtMs = -1; // -1 while the EEPROM is idle
    bool m_heldByOtherHost = false;
};

#endif // VIRTUALMACHINE_H
