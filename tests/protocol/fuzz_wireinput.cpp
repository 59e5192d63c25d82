// libFuzzer target for everything the program parses from a machine: the
// firmware-1 report splitter and the transfer-protocol receiver. Built with
// -DTHERMOX_FUZZ=ON by clang; run as: fuzz_wireinput -max_total_time=60
#include "../fuzzprocess.h"
#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv1.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The manager starts timers, which need an application object.
    prepareFuzzProcess();
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    splitMessagesV1(input);

    // First byte: frame size; then frames, each behind a one-byte length.
    const int frameSize =
        !input.isEmpty() && (input.at(0) & 1) ? TPManager::BleFrameSize : TPManager::UsbFrameSize;
    TPManager manager(frameSize, nullptr, 600000);
    QObject::connect(&manager, &TPManager::sendTPData, [frameSize](const QByteArray &frame) {
        fuzzCheck(frame.size() <= frameSize);
    });
    int pos = 1;
    while (pos < input.size()) {
        const int length = quint8(input.at(pos++));
        manager.receiveTPData(input.mid(pos, length));
        pos += length;
        if (length % 7 == 0)
            manager.timeout();
        if (length % 11 == 0)
            manager.sendPayload(input.mid(pos, length * 3));
    }
    return 0;
}
