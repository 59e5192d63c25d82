#include "pcrprotocolv3.h"

#include "messagetype.h"

#include <google/protobuf/io/coded_stream.h>

namespace {
constexpr int TrailingZeros = 4;
}

int extractMessageTypeV3(QByteArray &buffer)
{
    return extractMessageType(buffer, ProtocolV3::MessageType_MAX);
}

QByteArray buildPayloadV3(ProtocolV3::MessageType type, const google::protobuf::Message &message)
{
    const int size = int(message.ByteSizeLong());
    QByteArray payload(1 + size + TrailingZeros, '\0');
    payload[0] = char(type);
    message.SerializeWithCachedSizesToArray(reinterpret_cast<quint8 *>(payload.data() + 1));
    return payload;
}

bool parseMessageV3(const QByteArray &body, google::protobuf::Message &message)
{
    google::protobuf::io::CodedInputStream input(reinterpret_cast<const quint8 *>(body.constData()),
                                                 body.size());
    return message.ParseFromCodedStream(&input);
}
