// libFuzzer target for programs read back from a machine: ProgramV3 and
// ProgramV1 built from the bytes of a reported program, with their block
// reading and shape checks, and what the application then does with a valid
// one. Built with -DTHERMOX_FUZZ=ON by clang; run as:
// fuzz_programreadback -max_total_time=600 <corpus folder> fuzz_programreadback_seeds
//
// Input: one byte whose bit 0 picks firmware 1, then the message. The seeds
// are program shapes as this program uploads them.
#include "../fuzzprocess.h"
#include "program/programdurationestimator.h"
#include "program/programv1.h"
#include "program/programv3.h"
#include "program/propertymodel.h"

#include <cstdint>

namespace {

// Everything the running view and the library read from a program.
void readEverything(const Program &program)
{
    volatile double sum = program.initTemp() + program.initLidTemp() + program.lidTemp() +
                          program.totalCycles() + program.finalCooling() +
                          program.isSupportedByV1();
    for (int index = 0; index < program.stepsCount(); ++index) {
        sum = sum + program.stepTime(index) + program.stepTarget(index) + program.stepType(index) +
              program.isCycleStep(index) + program.stepProgramType(index) +
              program.stepName(index).size();
    }
    for (int index = -1; index <= program.stepsCount(); ++index)
        sum = sum + program.blockCycles(index) + program.cyclesBefore(index);
    const PropertyModel *model = program.propertyModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (const int role : model->roleNames().keys())
            (void)model->data(model->index(row, 0), role);
    }
    (void)program.toJson();
    (void)program.protocolStepsVariant();
}

// Names follow the library's rules (trimmed, unique), so only the content
// is compared.
bool sameContent(const Program &a, const Program &b)
{
    return a.programType() == b.programType() && a.stepsCount() == b.stepsCount() &&
           Program::fuzzyEqual(a.lidTemp(), b.lidTemp()) && a.hasSameSteps(b);
}

// The same program as the machine would report it after an upload.
ProgramPtr sentAndReadBack(const Program &program)
{
    if (const auto *v3 = qobject_cast<const ProgramV3 *>(&program))
        return ProgramPtr(
            new ProgramV3(QByteArray::fromStdString(v3->pcrProtocol().SerializeAsString())));
    const auto *v1 = qobject_cast<const ProgramV1 *>(&program);
    return ProgramPtr(
        new ProgramV1(QByteArray::fromStdString(v1->pcrProtocol().SerializeAsString())));
}

// A firmware-1 block keeps its lid 10 degrees above the block and reads a
// lid at or below 0 as unheated, so a block far below freezing (which no
// machine reports or could hold) cannot carry its heated lid through.
bool lidSurvivesFirmware1(const Program &program)
{
    for (int index = 0; index < program.stepsCount(); ++index) {
        if (program.stepTarget(index) < 0.0f)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    prepareFuzzProcess();
    if (size == 0)
        return 0;
    const bool firmwareV1 = data[0] & 1;
    const QByteArray message =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), int(size - 1));
    const ProgramPtr received(firmwareV1 ? static_cast<Program *>(new ProgramV1(message))
                                         : new ProgramV3(message));
    if (!received->isValid()) {
        fuzzCheck(received->protocolSteps().array().isEmpty() || firmwareV1);
        return 0;
    }
    readEverything(*received);

    // The library keeps it as a record and builds it again at each start. A
    // program another tool wrote may read back in our normal form; from
    // there on the record must give the same program every time.
    const ProgramPtr stored = received->clone(false);
    fuzzCheck(stored->isValid());
    fuzzCheck(sameContent(*stored, *stored->clone(false)));
    readEverything(*stored);

    // Run on a machine of either firmware (firmware 1 only when it can take
    // it), and read back from it.
    ProgramList runs{stored->toV3(true)};
    if (stored->isSupportedByV1())
        runs.append(stored->toV1(true));
    for (const ProgramPtr &converted : runs) {
        fuzzCheck(converted->isValid());
        readEverything(*converted);
        // Read back and stored again, it must send the same steps.
        const ProgramPtr readBack = sentAndReadBack(*converted);
        fuzzCheck(readBack->isValid());
        if (lidSurvivesFirmware1(*converted))
            fuzzCheck(sameContent(*readBack->clone(false), *converted));
    }

    ProgramDurationEstimator estimator;
    estimator.setProgram(stored);
    estimator.estimate(25.0, 25.0);
    fuzzCheck(estimator.duration() >= 0);
    return 0;
}
