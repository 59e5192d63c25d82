#include "connectionv1usb.h"

#include "protocol/pcrprotocolv1.h"

#include <QDebug>

namespace {
// A first report shorter than a type byte, a length byte and one message
// byte carries no message.
constexpr int MinFirstReportSize = 3;
} // namespace

ConnectionV1USB::ConnectionV1USB(const HidDeviceDescription &description)
    : m_devicePath(description.path())
{}

ConnectionV1USB::~ConnectionV1USB()
{
    qInfo() << "ConnectionV1USB::~ConnectionV1USB()";
    disconnectHandle();
}

bool ConnectionV1USB::isTransportOpen() const
{
    return m_hid.isOpen();
}

void ConnectionV1USB::sendMessage(ProtocolV1::MessageType type,
                                  const google::protobuf::Message &message)
{
    if (!m_hid.isOpen())
        return;
    for (const QByteArray &report : frameMessageV1(type, message)) {
        // The rest of a message whose start was lost would only confuse the machine.
        if (!m_hid.writeReport(report))
            return;
    }
}

void ConnectionV1USB::connectionInit()
{
    HidHandle::initializeLibrary();
    ConnectionV1::connectionInit();
}

void ConnectionV1USB::connectDevice()
{
    if (m_hid.isOpen())
        return;
    if (!m_hid.open(m_devicePath)) {
        qWarning() << "Connect device error";
        return;
    }
    // A handle that is never polled would never notice an unplug; closed,
    // the next detection pass tries again.
    if (hardwareId().isEmpty() && !readSerialNumber()) {
        m_hid.close();
        return;
    }
    if (!m_hid.setNonBlocking())
        qWarning() << "Problem while hid_set_nonblocking";
    setPollingTimerId(startTimer(PollIntervalMs, Qt::CoarseTimer));
    ConnectionV1::connectDevice();
}

void ConnectionV1USB::disconnectHandle()
{
    qInfo() << "disconnectHandle: " << pollingTimerId();
    setFirstStateReceived(false);
    if (!m_hid.isOpen()) {
        setIsHandleConnected(false);
        return;
    }
    m_hid.close();
    stopPollingTimer();
    ConnectionV1::disconnectHandle();
}

void ConnectionV1USB::poll()
{
    if (!m_hid.isOpen())
        return;
    std::optional<QByteArray> report = m_hid.readReport();
    if (!report) {
        qWarning().noquote() << "HID read error" << m_hid.errorText();
        disconnectHandle();
        return;
    }
    if (report->size() < MinFirstReportSize)
        return;
    QByteArray received;
    // A message may span several reports; the machine sends them back to back.
    for (int reads = 1; report && !report->isEmpty(); ++reads) {
        received += *report;
        report = reads < HidHandle::MaxReportsPerPoll ? m_hid.readReport() : QByteArray();
    }
    handleProtobufMessage(received);
}

bool ConnectionV1USB::readSerialNumber()
{
    const std::optional<QString> serialNumber = m_hid.serialNumber();
    if (!serialNumber) {
        qWarning() << "hid_get_serial_number_string failed. Can't connect to device";
        return false;
    }
    setHardwareId(*serialNumber);
    return true;
}
