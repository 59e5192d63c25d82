#include "pcrprotocolv1.h"

#include "messagetype.h"

#include <QDebug>

namespace {

constexpr int MaxLengthByte = 0xFF;
constexpr int MaxVarintSize = 5;
constexpr int MinBodyAfterPrefix = 3;

struct LengthPrefix
{
    quint64 value = 0;
    int size = 0;
};

// The length in front of a message body: a protobuf base-128 varint.
bool readLengthPrefix(const QByteArray &data, LengthPrefix *prefix)
{
    for (int pos = 0; pos < qMin(int(data.size()), MaxVarintSize); ++pos) {
        const auto byte = quint8(data.at(pos));
        prefix->value |= quint64(byte & 0x7F) << (7 * pos);
        if (!(byte & 0x80)) {
            prefix->size = pos + 1;
            return true;
        }
    }
    return false;
}

int firstNonZeroFrom(const QByteArray &data, int from)
{
    int pos = from;
    while (pos < data.size() && data.at(pos) == '\0')
        ++pos;
    return pos;
}

} // namespace

ProtocolV1::MessageType extractMessageTypeV1(QByteArray &buffer)
{
    return ProtocolV1::MessageType(extractMessageType(buffer, ProtocolV1::MessageType_MAX));
}

QList<QByteArray> frameMessageV1(ProtocolV1::MessageType type,
                                 const google::protobuf::Message &message)
{
    const int size = int(message.ByteSizeLong());
    if (size > MaxLengthByte) {
        // The length byte would be truncated and the machine would misread the report.
        qWarning() << "Message too long for firmware 1, not sent:" << size << "bytes";
        return {};
    }
    const int framed = size + 2;
    const int padded =
        (framed + ReportPayloadSizeV1 - 1) / ReportPayloadSizeV1 * ReportPayloadSizeV1;
    QByteArray buffer(padded, '\0');
    buffer[0] = char(type);
    buffer[1] = char(size);
    message.SerializeWithCachedSizesToArray(reinterpret_cast<quint8 *>(buffer.data() + 2));

    QList<QByteArray> reports;
    for (int offset = 0; offset < padded; offset += ReportPayloadSizeV1)
        reports.append(QByteArray(1, '\0') + buffer.mid(offset, ReportPayloadSizeV1));
    return reports;
}

QList<MessageV1> splitMessagesV1(QByteArray data)
{
    QList<MessageV1> messages;
    while (data.size() > 3) {
        MessageV1 message;
        message.type = extractMessageTypeV1(data);
        qDebug() << "MSG TYPE:" << message.type;
        LengthPrefix prefix;
        if (!readLengthPrefix(data, &prefix) ||
            qint64(prefix.value) - prefix.size < MinBodyAfterPrefix ||
            qint64(prefix.value) > data.size() - prefix.size) {
            qWarning() << "Message too short!";
            break;
        }
        data.remove(0, prefix.size);
        const int bodyEnd = int(prefix.value);
        message.body = data.left(bodyEnd);
        messages.append(message);
        if (bodyEnd >= data.size())
            break;
        data.remove(0, firstNonZeroFrom(data, bodyEnd));
    }
    return messages;
}
