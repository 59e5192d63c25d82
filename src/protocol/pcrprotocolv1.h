#ifndef PCRPROTOCOLV1_H
#define PCRPROTOCOLV1_H

#include "Pcr.pb.h"

#include <QByteArray>
#include <QList>

// Firmware-1 messages travel straight in USB HID reports: type byte, length
// byte, message, zero padding up to a multiple of 64 bytes.

struct MessageV1
{
    ProtocolV1::MessageType type = ProtocolV1::INVALID_MESSAGE_TYPE;
    QByteArray body;
};

constexpr int ReportPayloadSizeV1 = 64;
constexpr int ReportSizeV1 = ReportPayloadSizeV1 + 1; // report id 0 in front

// Removes the type byte from a received message; 0 when it is not a valid type.
ProtocolV1::MessageType extractMessageTypeV1(QByteArray &buffer);

// The 65-byte output reports that carry one message, in order. Empty (with a
// warning) for a message whose size does not fit the single length byte.
QList<QByteArray> frameMessageV1(ProtocolV1::MessageType type,
                                 const google::protobuf::Message &message);

// Splits the input reports read at one poll, joined, into their messages.
// Stops at the first message that is too short or runs past the data.
QList<MessageV1> splitMessagesV1(QByteArray data);

#endif // PCRPROTOCOLV1_H
