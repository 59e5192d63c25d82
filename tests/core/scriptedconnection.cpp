#include "scriptedconnection.h"

void ScriptedConnection::report(PCRConst::DeviceStatus status)
{
    checkStartTime();
    emit chartDataReceived(ChartData{double(machine.timeInSec), double(machine.blockTemp)});
    setCurrentState(status);
}
