#ifndef RECORDINGCONNECTIONV1_H
#define RECORDINGCONNECTIONV1_H

#include "connection/connectionv1.h"

#include <QByteArrayList>

// A firmware-1 connection whose transport keeps the output reports it is
// given and hands the connection the reports a machine would send.
class RecordingConnectionV1 : public ConnectionV1
{
public:
    bool isTransportOpen() const override { return m_open; }
    void connectDevice() override;
    void disconnectHandle() override;
    void sendMessage(ProtocolV1::MessageType type,
                     const google::protobuf::Message &message) override;

    // The messages written, decoded from their reports as "type:body in hexadecimal".
    QByteArrayList written() const { return m_written; }
    void clearWritten() { m_written.clear(); }

    // The reports the machine sends for these messages, read at one poll.
    void receive(
        const QList<QPair<ProtocolV1::MessageType, const google::protobuf::Message *>> &messages);
    void receive(ProtocolV1::MessageType type, const google::protobuf::Message &message);

    using ConnectionV1::setHardwareId;

private:
    QByteArrayList m_written;
    bool m_open = false;
};

#endif // RECORDINGCONNECTIONV1_H
