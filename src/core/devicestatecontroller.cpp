#include "devicestatecontroller.h"

DeviceStateController::DeviceStateController(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<PCRConst::DeviceStatus>("PCRConst::DeviceStatus");
}

PCRConst::DeviceStatus DeviceStateController::currentState() const
{
    return m_currentState;
}

PCRConst::DeviceStatus DeviceStateController::requestedState() const
{
    return m_requestedState;
}

bool DeviceStateController::isStateChanging() const
{
    return m_requestedState != PCRConst::DS_UNKNOWN && m_requestedState != m_currentState;
}

bool DeviceStateController::isLocked() const
{
    return m_locked;
}

void DeviceStateController::setLocked(bool locked)
{
    m_locked = locked;
}

void DeviceStateController::setRequestedState(PCRConst::DeviceStatus state)
{
    m_requestedState = state;
}

void DeviceStateController::requestState(PCRConst::DeviceStatus state)
{
    if (state == m_requestedState)
        return;
    m_requestedState = state;
    emit stateChangeRequested(state);
}

void DeviceStateController::updateCurrentState(PCRConst::DeviceStatus state)
{
    if (state == m_currentState || m_locked)
        return;
    if (m_requestedState == PCRConst::DS_RESET && !acceptsDuringReset(state))
        return;
    m_requestedState = state;
    m_currentState = state;
    emit currentStateChanged(state);
}

bool DeviceStateController::acceptsDuringReset(PCRConst::DeviceStatus state)
{
    if (state == PCRConst::DS_START_UP) {
        // It may still be the old run's start-up: show the next one.
        m_requestedState = PCRConst::DS_START_UP;
        return false;
    }
    return state == PCRConst::DS_RUNNING;
}
