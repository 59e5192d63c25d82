#ifndef FAKEMACHINEV3_H
#define FAKEMACHINEV3_H

#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"

#include <QByteArrayList>
#include <QObject>

// The machine's end of a firmware-3 link: a transfer-protocol manager of its
// own, the payloads the host has sent it, and messages a test sends back.
class FakeMachineV3 : public QObject
{
public:
    explicit FakeMachineV3(QObject *parent = nullptr);

    TPManager *tpManager() const { return m_tpManager; }

    // Payloads received from the host, in hexadecimal, oldest first.
    QByteArrayList received() const { return m_received; }
    int receivedCount(const QByteArray &payloadHex) const { return m_received.count(payloadHex); }
    void clearReceived() { m_received.clear(); }

    // The type byte and the message, as the machine serialises it.
    void send(ProtocolV3::MessageType type, const google::protobuf::Message &message);
    // A message type without a body (busy and EEPROM conditions).
    void send(ProtocolV3::MessageType type);

private:
    TPManager *const m_tpManager;
    QByteArrayList m_received;
};

#endif // FAKEMACHINEV3_H
