#include "fakemachinev3.h"

FakeMachineV3::FakeMachineV3(QObject *parent)
    : QObject(parent)
    , m_tpManager(new TPManager(TPManager::UsbFrameSize, this))
{
    connect(m_tpManager, &TPManager::payload, this,
            [this](const QByteArray &payload) { m_received.append(payload.toHex()); });
}

void FakeMachineV3::send(ProtocolV3::MessageType type, const google::protobuf::Message &message)
{
    m_tpManager->sendPayload(char(type) + QByteArray::fromStdString(message.SerializeAsString()));
}

void FakeMachineV3::send(ProtocolV3::MessageType type)
{
    m_tpManager->sendPayload(QByteArray(1, char(type)));
}
