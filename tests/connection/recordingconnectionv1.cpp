#include "recordingconnectionv1.h"

#include "protocol/pcrprotocolv1.h"

namespace {

QByteArray withoutReportIds(const QList<QByteArray> &reports)
{
    QByteArray joined;
    for (const QByteArray &report : reports)
        joined += report.mid(1);
    return joined;
}

} // namespace

void RecordingConnectionV1::connectDevice()
{
    m_open = true;
    ConnectionV1::connectDevice();
}

void RecordingConnectionV1::disconnectHandle()
{
    m_open = false;
    ConnectionV1::disconnectHandle();
}

void RecordingConnectionV1::sendMessage(ProtocolV1::MessageType type,
                                        const google::protobuf::Message &message)
{
    if (!m_open)
        return;
    // Decoded from the reports, so that the framing is checked as well.
    const QByteArray framed = withoutReportIds(frameMessageV1(type, message));
    if (framed.isEmpty()) {
        m_written.append(QByteArray::number(int(type)) + ":unframed");
        return;
    }
    const int size = quint8(framed.at(1));
    m_written.append(QByteArray::number(int(framed.at(0))) + ':' + framed.mid(2, size).toHex());
}

void RecordingConnectionV1::receive(
    const QList<QPair<ProtocolV1::MessageType, const google::protobuf::Message *>> &messages)
{
    QByteArray poll;
    for (const auto &message : messages)
        poll += withoutReportIds(frameMessageV1(message.first, *message.second));
    handleProtobufMessage(poll);
}

void RecordingConnectionV1::receive(ProtocolV1::MessageType type,
                                    const google::protobuf::Message &message)
{
    receive({{type, &message}});
}
