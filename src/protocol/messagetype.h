#ifndef MESSAGETYPE_H
#define MESSAGETYPE_H

#include <QByteArray>

// Takes the one-byte message type off the front of a received message. Both
// firmware generations use the same rule; only their highest type differs.
// Returns 0 (INVALID_MESSAGE_TYPE) for an empty buffer or a type outside
// 1..highestType.
int extractMessageType(QByteArray &buffer, int highestType);

#endif // MESSAGETYPE_H
