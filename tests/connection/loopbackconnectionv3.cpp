#include "loopbackconnectionv3.h"

namespace {
// Far more frames than any exchange of a test needs.
constexpr int MaxFramesPerPump = 2000;
} // namespace

LoopbackConnectionV3::LoopbackConnectionV3(int eepromBusyTimeoutMs)
    : ConnectionV3(nullptr, eepromBusyTimeoutMs)
{
    TPManager *host = createTPManager(TPManager::UsbFrameSize, TPManager::UsbTimeoutMs);
    connect(host, &TPManager::sendTPData, this, [this](const QByteArray &frame) {
        m_wire.append({true, frame});
    });
    connect(m_machine.tpManager(), &TPManager::sendTPData, this, [this](const QByteArray &frame) {
        m_wire.append({false, frame});
    });
}

void LoopbackConnectionV3::connectionInit()
{
    clearStartTime();
    connectDevice();
}

void LoopbackConnectionV3::connectDevice()
{
    m_open = true;
    setIsHandleConnected(true);
    sendSoftwareSettings(false);
}

void LoopbackConnectionV3::disconnectHandle()
{
    setIsDeviceInitialized(false);
    setSoftwareSettingsSent(false);
    setFirstStateReceived(false);
    m_open = false;
    setIsHandleConnected(false);
    tpManager()->reset();
    m_machine.tpManager()->reset();
    m_wire.clear();
}

bool LoopbackConnectionV3::pump()
{
    for (int delivered = 0; delivered < MaxFramesPerPump; ++delivered) {
        if (m_wire.isEmpty())
            return true;
        const Frame frame = m_wire.takeFirst();
        TPManager *receiver = frame.toMachine ? m_machine.tpManager() : tpManager();
        receiver->receiveTPData(frame.bytes);
    }
    return false;
}

void LoopbackConnectionV3::injectToHost(const QByteArray &frame)
{
    m_wire.append({false, frame});
}
