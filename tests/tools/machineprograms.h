#ifndef MACHINEPROGRAMS_H
#define MACHINEPROGRAMS_H

#include <QByteArray>
#include <QJsonObject>

// Wire messages of small programs, built by the program model exactly as the
// application sends them to a machine.
namespace MachinePrograms {

// A plain PCR block: initial denaturation 95 °C 10 s, then 3 cycles of
// 95 °C 5 s, 55 °C 5 s, 72 °C 5 s, final extension 72 °C 10 s.
QJsonObject shortPcr(bool heatedLid);
// 4 cycles: 95 °C 5 s, annealing 60 °C falling to 57 °C (5 s), extension
// 72 °C for 5 s growing to 8 s.
QJsonObject shortTouchdown();
QJsonObject heatBlock(double temp, int seconds);
QJsonObject linearRamp(double startTemp, double finalTemp, int seconds);

// The PCRProtocol message of a firmware-3 program of one block.
QByteArray messageV3(const QJsonObject &block, bool finalCooling);
// The PCRProtocol message of a firmware-1 program.
QByteArray messageV1(const QJsonObject &block);

} // namespace MachinePrograms

#endif // MACHINEPROGRAMS_H
