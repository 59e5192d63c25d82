#ifndef USBFIXTURES_H
#define USBFIXTURES_H

// Shared by the end-to-end tests of the USB transports and the USB benchmark.

#include "../program/programfixtures.h"
#include "connection/connectionv1usb.h"
#include "connection/connectionv3usb.h"
#include "containers/shortprotocolcontainer.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTimer>

namespace UsbFixtures {

// A USB connection kept as the device object keeps one: created from the
// description the checker reports, moved to a worker thread of its own,
// initialised there through a zero-delay timer, commanded through queued
// calls and deleted on its own thread.
class WorkerConnection
{
public:
    WorkerConnection(const HidDeviceDescription &description, PCRConst::ConnectionType type)
        : m_connection(type == PCRConst::CT_USB_Firmware_V1
                           ? static_cast<Connection *>(new ConnectionV1USB(description))
                           : new ConnectionV3USB(description))
    {
        m_thread.setObjectName(QStringLiteral("USB connection"));
        m_connection->moveToThread(&m_thread);
    }

    ~WorkerConnection()
    {
        m_connection->deleteLater();
        m_thread.quit();
        m_thread.wait(2000);
    }

    WorkerConnection(const WorkerConnection &) = delete;
    WorkerConnection &operator=(const WorkerConnection &) = delete;

    // Connect to the connection's signals first; they are emitted from here on.
    void start()
    {
        m_thread.start();
        QTimer::singleShot(0, m_connection, &Connection::connectionInit);
    }

    Connection *connection() const { return m_connection; }

    // Runs the command on the connection's thread.
    template <typename Command>
    void post(Command command)
    {
        Connection *connection = m_connection;
        QMetaObject::invokeMethod(
            connection, [connection, command] { command(*connection); }, Qt::QueuedConnection);
    }

private:
    QThread m_thread;
    Connection *const m_connection;
};

// A flex program of the most device steps a machine takes (40): three
// rounds of heat block, PCR, touchdown and ramp, then one more heat block.
inline ProgramPtr longestFlexProgram()
{
    const QJsonObject pcr = Container::Protocol::defaultStepArray().first().toObject();
    QJsonArray steps;
    for (int round = 0; round < 3; ++round) {
        steps.append(Fixtures::heatBlockStep(37.0 + round, 60, false));
        steps.append(pcr);
        steps.append(Fixtures::touchdownStep(false));
        steps.append(Fixtures::linearRampStep(72.0, 40.0 + round, 120, false));
    }
    steps.append(Fixtures::heatBlockStep(4.0, 600, false));
    return ProgramPtr(new ProgramV3(QStringLiteral("Longest flex"), Fixtures::bytes(steps), true,
                                    Program::PT_FLEX));
}

// One heat block without the heated lid, in the machine's firmware.
inline ProgramPtr heatBlockProgram(PCRConst::ConnectionType type, double temp, int seconds)
{
    const QByteArray steps = Fixtures::bytes({Fixtures::heatBlockStep(temp, seconds, false)});
    const QString name = QStringLiteral("Heat block");
    if (type == PCRConst::CT_USB_Firmware_V1)
        return ProgramPtr(new ProgramV1(name, steps, Program::PT_HEAT_BLOCK));
    return ProgramPtr(new ProgramV3(name, steps, false, Program::PT_HEAT_BLOCK));
}

// The wire message a program is uploaded as, to compare with what the machine stored.
inline QByteArray wireMessage(const ProgramPtr &program)
{
    if (const auto v1 = qSharedPointerObjectCast<ProgramV1>(program))
        return QByteArray::fromStdString(v1->pcrProtocol().SerializeAsString());
    return QByteArray::fromStdString(
        qSharedPointerObjectCast<ProgramV3>(program)->pcrProtocol().SerializeAsString());
}

} // namespace UsbFixtures

#endif // USBFIXTURES_H
