// libFuzzer target for what a machine says once its reports are split and its
// frames put together: state, settings, action, program and condition
// messages of both firmwares, handed to the connections' message entry
// points, with the host's own commands in between. Built with
// -DTHERMOX_FUZZ=ON by clang; run as:
// fuzz_machinemessages -max_total_time=600 <corpus folder> fuzz_machinemessages_seeds
//
// Input: records of [operation][length][bytes]. Bit 0 of the operation keeps
// the bytes from the firmware-3 connection (type byte and message), bit 1
// from the firmware-1 one (the data of one poll); the higher bits pick a
// host command run before the bytes arrive. The seeds are a session with each
// firmware: settings, states, a program and the busy conditions.
#include "../fuzzprocess.h"
#include "loopbackconnectionv3.h"
#include "recordingconnectionv1.h"

#include "program/programv1.h"
#include "program/programv3.h"

#include <cstdint>
#include <functional>

namespace {

using HostCommand = std::function<void(Connection &)>;

const HostCommand &hostCommand(int operation)
{
    static const HostCommand commands[] = {
        [](Connection &) {},
        [](Connection &c) { c.initStartProgram(); },
        [](Connection &c) { c.setState(PCRConst::DS_RESET); },
        [](Connection &c) { c.sendCurrentProgram(); },
        [](Connection &c) { c.setMachineName(QStringLiteral("Bench \u00e9")); },
        [](Connection &c) { c.setAutoStartOn(true); },
        [](Connection &c) { c.getProgramFromDevice(); },
        [](Connection &c) {
            c.disconnectHandle();
            c.connectionInit();
        },
    };
    return commands[(operation >> 2) % int(std::size(commands))];
}

// What the application reads back after every message; the serial number is
// shown as at most 11 bytes in hexadecimal.
void readBack(const Connection &connection)
{
    const QString identity = connection.machineName() + connection.firmwareVersion();
    fuzzCheck(connection.serialNumber().size() <= 22 && !identity.isNull());
    volatile double sum = connection.step() + connection.cycle() + connection.timeInSec() +
                          connection.stepTimeInSec() + connection.blockTemp() +
                          connection.lidTemp() + connection.probeTemp() +
                          connection.powerVoltage() + connection.status() + connection.error() +
                          connection.remainingTimeInSec() + connection.isPowered() +
                          connection.isAutoStartOn();
    (void)sum;
    (void)connection.startTime();
}

// The core builds a program from what the connection reports and asks it
// again when it is invalid.
void buildReportedProgram(const QByteArray &data, int protocolVersion)
{
    const ProgramPtr program(protocolVersion == 1 ? static_cast<Program *>(new ProgramV1(data))
                                                  : new ProgramV3(data));
    fuzzCheck(!program->isValid() || program->stepsCount() > 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    prepareFuzzProcess();
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));

    LoopbackConnectionV3 v3;
    RecordingConnectionV1 v1;
    for (Connection *connection :
         {static_cast<Connection *>(&v3), static_cast<Connection *>(&v1)}) {
        QObject::connect(connection, &Connection::programReceived, &buildReportedProgram);
        connection->connectionInit();
    }
    v3.pump();

    int pos = 0;
    while (pos + 2 <= input.size()) {
        const int operation = quint8(input.at(pos));
        const int length = quint8(input.at(pos + 1));
        const QByteArray bytes = input.mid(pos + 2, length);
        pos += 2 + length;
        if (!(operation & 1)) {
            hostCommand(operation)(v3);
            v3.handleProtobufMessage(bytes);
            fuzzCheck(v3.pump());
            readBack(v3);
        }
        if (!(operation & 2)) {
            hostCommand(operation)(v1);
            v1.handleProtobufMessage(bytes);
            v1.clearWritten();
            readBack(v1);
        }
    }
    return 0;
}
