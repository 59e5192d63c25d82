#include "messagetype.h"

#include <QDebug>

int extractMessageType(QByteArray &buffer, int highestType)
{
    if (buffer.isEmpty()) {
        qWarning() << "Message Type Error: buffer is too small.";
        return 0;
    }
    // Read as a signed byte: 0x80 and above are negative and so invalid.
    const int type = static_cast<signed char>(buffer.at(0));
    buffer.remove(0, 1);
    if (type <= 0) {
        qWarning() << "Message Type Error: invalid type." << type;
        return 0;
    }
    if (type > highestType) {
        qWarning() << "Message type value too large. Did you just add a new message type?";
        return 0;
    }
    return type;
}
