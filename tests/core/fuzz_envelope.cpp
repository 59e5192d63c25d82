// libFuzzer target for the readers of the data file envelopes ("protocols0",
// "devices0" and ".plfx" files, and imported JSON text). Built with
// -DTHERMOX_FUZZ=ON by clang; run as:
// fuzz_envelope -max_total_time=600 <corpus folder> fuzz_envelope_seeds
//
// Input: one byte whose bit 0 picks the devices file's limits (chart arrays
// skipped), then the file. Besides crashes, hangs and memory, it checks the
// reader against a whole-document parse: what QJsonDocument reads as an
// envelope within the reader's limits, the reader reads too, with the same
// version and the same records (chart arrays emptied).
#include "../fuzzprocess.h"
#include "core/jsonenvelopereader.h"
#include "core/pcrdevice.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdint>

namespace {

JsonEnvelopeReader::Limits limits(bool devices)
{
    if (devices)
        return {1 << 20,
                4096,
                50,
                {QStringLiteral("ProtocolTempChartData"), QStringLiteral("ProtocolDnaChartData")}};
    return {1 << 20, 4096, 50, {}};
}

int depth(const QJsonValue &value)
{
    int deepest = 0;
    if (value.isArray()) {
        for (const QJsonValue &element : value.toArray())
            deepest = std::max(deepest, depth(element));
    } else if (value.isObject()) {
        for (const QJsonValue &element : value.toObject())
            deepest = std::max(deepest, depth(element));
    } else {
        return 0;
    }
    return deepest + 1;
}

// The records a whole-document parse gives, as the reader should hand them
// out; false when the document is beyond the reader's limits.
bool expectedRecords(const QJsonObject &envelope, const JsonEnvelopeReader::Limits &limits,
                     QList<QJsonObject> &records)
{
    const QJsonArray data = envelope.value(QStringLiteral("data")).toArray();
    if (depth(envelope) > 150 || data.size() > limits.maxRecords)
        return false;
    for (const QJsonValue &element : data) {
        if (!element.isObject())
            continue;
        QJsonObject record = element.toObject();
        for (const QString &key : limits.skippedKeys) {
            if (record.contains(key))
                record.insert(key, QJsonArray());
        }
        if (QJsonDocument(record).toJson(QJsonDocument::Compact).size() > limits.maxRecordBytes / 2)
            return false;
        records.append(record);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    prepareFuzzProcess();
    if (size < 1)
        return 0;
    const bool devices = data[0] & 1;
    QByteArray file = QByteArray(reinterpret_cast<const char *>(data + 1), int(size - 1));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    const JsonEnvelopeReader::Limits readerLimits = limits(devices);
    JsonEnvelopeReader reader(&buffer, readerLimits);
    const bool read = reader.read();
    for (const QJsonObject &record : reader.records())
        (void)PCRDevice::validateDeviceJson(record);

    // Left out of the comparison: a key written with a byte order mark in it,
    // which QJsonObject shows without the mark but cannot look up, and a
    // repeated "data" or "version", of which QJsonDocument keeps an arbitrary
    // one (it sorts the members unstably).
    const QJsonDocument whole = QJsonDocument::fromJson(file);
    QList<QJsonObject> records;
    if (!whole.isObject() || file.indexOf("\xEF\xBB\xBF", 1) >= 0 || file.count("\"data\"") > 1 ||
        file.count("\"version\"") > 1 || !expectedRecords(whole.object(), readerLimits, records))
        return 0;
    fuzzCheck(read);
    const QJsonValue version = whole.object().value(QStringLiteral("version"));
    fuzzCheck(reader.version() == (version.isString() ? version.toString() : QString()));
    fuzzCheck(reader.records() == records);
    return 0;
}
