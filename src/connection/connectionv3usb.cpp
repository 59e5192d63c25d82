#include "connectionv3usb.h"

#include "protocol/ctpmanager.h"

#include <QDebug>

#include <cstring>

ConnectionV3USB::ConnectionV3USB(const HidDeviceDescription &description)
    : m_devicePath(description.path())
{
    setHardwareId(description.serialNumber());
    connect(createTPManager(TPManager::UsbFrameSize, TPManager::UsbTimeoutMs),
            &TPManager::sendTPData, this, &ConnectionV3USB::onSendTpData);
}

ConnectionV3USB::~ConnectionV3USB()
{
    if (isDeviceInitialized() || isSoftwareSettingsSent())
        disconnectHandle();
}

bool ConnectionV3USB::isTransportOpen() const
{
    return m_hid.isOpen();
}

void ConnectionV3USB::connectionInit()
{
    clearStartTime();
    HidHandle::initializeLibrary();
    connectDevice();
}

void ConnectionV3USB::connectDevice()
{
    if (m_hid.isOpen())
        return;
    if (!m_hid.open(m_devicePath)) {
        qWarning().noquote() << "Connect device error: check if device is connected."
                             << QString::fromLatin1(m_devicePath);
        return;
    }
    if (!m_hid.setNonBlocking())
        qWarning() << "Problem while hid_set_nonblocking";
    setPollingTimerId(startTimer(PollIntervalMs, Qt::CoarseTimer));
    setIsHandleConnected(true);
    sendSoftwareSettings(false);
}

void ConnectionV3USB::disconnectHandle()
{
    qInfo() << "disconnectHandle: " << pollingTimerId();
    setIsDeviceInitialized(false);
    setSoftwareSettingsSent(false);
    setFirstStateReceived(false);
    if (!m_hid.isOpen()) {
        setIsHandleConnected(false);
        return;
    }
    m_hid.close();
    stopPollingTimer();
    setIsHandleConnected(false);
    tpManager()->reset();
    emit dataUpdated();
}

void ConnectionV3USB::onSendTpData(QByteArray frame)
{
    sendMessage(reinterpret_cast<const unsigned char *>(frame.constData()), frame.size());
}

void ConnectionV3USB::sendMessage(const unsigned char *data, int length)
{
    if (!m_hid.isOpen())
        return;
    if (length < 0 || length > HidHandle::ReportSize) {
        qWarning() << "Frame does not fit one HID report, dropped:" << length << "bytes";
        return;
    }
    QByteArray report(HidHandle::OutputReportSize, '\0');
    std::memcpy(report.data() + 1, data, size_t(length));
    m_hid.writeReport(report);
}

void ConnectionV3USB::poll()
{
    for (int reads = 0; reads < HidHandle::MaxReportsPerPoll && m_hid.isOpen(); ++reads) {
        const std::optional<QByteArray> report = m_hid.readReport();
        if (!report) {
            qWarning().noquote() << "HID read error" << m_hid.errorText();
            disconnectHandle();
            return;
        }
        if (report->isEmpty())
            return;
        qDebug().noquote() << "RECEIVED:" << report->toHex();
        tpManager()->receiveTPData(*report);
    }
}
