#ifndef PCRPROTOCOLV3_H
#define PCRPROTOCOLV3_H

#include "Thermox_v3.8_03.02.2018.pb.h"

#include <QByteArray>

// Firmware-3 messages travel as payloads of the transfer protocol
// (TPManager): the type byte, then the message.

// Removes the type byte from a received payload; 0 when it is not a valid type.
int extractMessageTypeV3(QByteArray &buffer);

// The type byte, the serialised message and four zero bytes. The device
// expects the trailing zeros; a protobuf parser reads them as the end of the
// message.
QByteArray buildPayloadV3(ProtocolV3::MessageType type, const google::protobuf::Message &message);

// Parses a message body the way the payload was built: a zero tag byte ends
// the message, so the four trailing zeros of a host-built payload are accepted.
bool parseMessageV3(const QByteArray &body, google::protobuf::Message &message);

#endif // PCRPROTOCOLV3_H
