#ifndef DEVICESTATECONTROLLER_H
#define DEVICESTATECONTROLLER_H

#include "utils/pcrconst.h"

#include <QObject>

// Arbitrates between the state the application asked a machine for and the
// states the machine reports. While locked, an upload or a restart is under
// way and nothing the machine reports is shown; after a reset the machine's
// first start-up report only confirms the request, so that a report left
// over from before the reset is never shown as the new run.
class DeviceStateController : public QObject
{
    Q_OBJECT

public:
    explicit DeviceStateController(QObject *parent = nullptr);

    PCRConst::DeviceStatus currentState() const;
    PCRConst::DeviceStatus requestedState() const;
    // A state was asked for that the machine has not reported yet.
    bool isStateChanging() const;
    bool isLocked() const;
    void setLocked(bool locked);

public slots:
    // Stores the request without sending it.
    void setRequestedState(PCRConst::DeviceStatus state);
    // Stores the request and sends it when it is a new one.
    void requestState(PCRConst::DeviceStatus state);
    void updateCurrentState(PCRConst::DeviceStatus state);

signals:
    void currentStateChanged(PCRConst::DeviceStatus state);
    void stateChangeRequested(PCRConst::DeviceStatus state);

private:
    // While a reset is requested only the new run's states count.
    bool acceptsDuringReset(PCRConst::DeviceStatus state);

    PCRConst::DeviceStatus m_requestedState = PCRConst::DS_UNKNOWN;
    PCRConst::DeviceStatus m_currentState = PCRConst::DS_UNKNOWN;
    bool m_locked = false;
};

#endif // DEVICESTATECONTROLLER_H
