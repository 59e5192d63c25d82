#ifndef CONNECTION_H
#define CONNECTION_H

#include "statereport.h"

#include "containers/chartdata.h"
#include "program/program.h"
#include "utils/pcrconst.h"

#include <QDateTime>
#include <QObject>
#include <QReadWriteLock>
#include <QString>

#include <atomic>

namespace ProtocolV1 {
class Action;
}
namespace ProtocolV3 {
class Action;
}

// The device object's single handle on one thermocycler: the last reported
// machine state, the machine's settings, the program held for upload, the
// run's start time and the commands. Firmware generations and transports
// derive from it.
//
// USB connections run on a worker thread of their own while the GUI thread
// calls the getters, so the handle-connected and initialised flags, the
// start time and the held program are read and written under a lock here.
class Connection : public QObject
{
    Q_OBJECT

public:
    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    virtual quint32 step() const = 0;
    virtual int cycle() const = 0;
    virtual quint32 timeInSec() const = 0;
    virtual quint32 stepTimeInSec() const = 0;
    virtual float blockTemp() const = 0;
    virtual float lidTemp() const = 0;
    virtual float probeTemp() const = 0;
    virtual float powerVoltage() const = 0;
    virtual int status() const = 0;
    virtual int error() const = 0;
    virtual quint32 remainingTimeInSec() const = 0;
    virtual bool isPowered() const = 0;
    virtual bool isAutoStartOn() const = 0;
    // The transport can carry a message now.
    virtual bool isTransportOpen() const = 0;
    virtual QString machineName() const = 0;
    virtual QString modelName() const = 0;
    virtual QString firmwareVersion() const = 0;
    virtual ProgramPtr program() const;
    virtual QString serialNumber() const = 0;
    // The transport's own identifier of the machine.
    virtual QString hardwareId() const = 0;
    virtual bool isHandleConnected() const;
    virtual void setIsHandleConnected(bool connected);
    virtual bool isDeviceInitialized() const;
    // UTC moment the current run started; invalid when unknown.
    virtual QDateTime startTime() const;

    // Last status reported, as published by currentStateChanged.
    PCRConst::DeviceStatus currentState() const;
    // The state getters' values now, with this status; call it on the connection's thread.
    StateReport snapshot(PCRConst::DeviceStatus status) const;

public slots:
    virtual void connectionInit() = 0;
    virtual void sendCurrentProgram() = 0;
    virtual void getProgramFromDevice() = 0;
    virtual void connectDevice() = 0;
    virtual void sendAction(ProtocolV1::Action *action);
    virtual void sendAction(ProtocolV3::Action *action);
    virtual void sendSoftwareSettings(bool initial = false) = 0;
    virtual void sendMachineSettings() = 0;
    virtual void getMachineSettings() = 0;
    virtual void setMachineName(QString newMachineName) = 0;
    virtual void setProgram(ProgramPtr program);
    virtual void initStartProgram() = 0;
    virtual void setState(int state) = 0;
    virtual void setFirmware(int major, int minor) = 0;
    virtual void setAutoStartOn(bool on) = 0;
    virtual void setIsDeviceInitialized(bool initialized);
    virtual void disconnectHandle() = 0;

public:
    // Refreshes the start time from the last state.
    virtual void checkStartTime() = 0;

    // Start time = now minus the seconds the run has been going.
    void updateStartTime(qint64 secondsSinceStart);
    // Stores the state and publishes it, changed or not, after the whole
    // report it came with (stateReported).
    void setCurrentState(PCRConst::DeviceStatus state);

signals:
    void deviceInitFinished();
    void dataUpdated();
    void chartDataReceived(ChartData data);
    void programReceived(QByteArray data, int protocolVersion);
    void isHandleConnectedChanged(bool isHandleconnected);
    void currentStateChanged(PCRConst::DeviceStatus currentState);
    // The values a state report left; emitted before its currentStateChanged,
    // and by itself for what changes the shown values without a report.
    void stateReported(StateReport report);
    void newProgramSent();
    void newStateSent(int state);
    // The machine holds these settings now: it reported them, or confirmed them when sent.
    void machineSettingsConfirmed(QString machineName, bool autoStartOn);

protected slots:
    // A state has been handled since the handle was opened.
    virtual void firstPCRStateReceived();

protected:
    void clearStartTime();
    bool isFirstStateReceived() const;
    void setFirstStateReceived(bool received);
    // Id of the transport's polling timer; 0 while none runs.
    int pollingTimerId() const;
    void setPollingTimerId(int id);
    void stopPollingTimer();
    // What the transport does each time its polling timer fires.
    virtual void poll() {}
    void timerEvent(QTimerEvent *event) override;

private:
    // What QObject::startTimer answers when it starts none.
    static constexpr int NoTimer = 0;
    int m_pollingTimerId = NoTimer;
    bool m_firstStateReceived = false;
    std::atomic<int> m_currentState{PCRConst::DS_UNKNOWN};

    // Guards the fields below, which the GUI thread reads.
    mutable QReadWriteLock m_lock;
    ProgramPtr m_program;
    QDateTime m_startTime;
    bool m_deviceInitialized = false;
    bool m_handleConnected = false;
};

#endif // CONNECTION_H
