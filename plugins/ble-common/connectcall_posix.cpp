#include "connectcall.h"

#include <QLowEnergyController>

ConnectCall::ConnectCall(QObject *parent)
    : QObject(parent)
{}

void ConnectCall::start(QLowEnergyController *controller)
{
    controller->connectToDevice();
}

bool ConnectCall::isRunning() const
{
    // The call has returned by the time start() does.
    return false;
}
