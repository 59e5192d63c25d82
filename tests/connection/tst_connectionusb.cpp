#include "scriptedhid.h"

#include "connection/connectionv1usb.h"
#include "connection/connectionv3usb.h"
#include "protocol/pcrprotocolv1.h"
#include "protocol/pcrprotocolv3.h"
#include "protocol/tpframe.h"

#include <QAbstractEventDispatcher>
#include <QLoggingCategory>
#include <QtTest>

#include <memory>

namespace {

const QByteArray DevicePath = "/dev/scripted-hidraw0";
const QString SerialNumber = QStringLiteral("SCRIPTED-0042");
const QString DeviceErrorText = QStringLiteral("Scripted device error");

enum Firmware { V1 = 1, V3 = 3 };

enum class Fault { OpenFails, SerialNumberFails, NonBlockingFails, WriteFails };

QByteArray bytes(const char *spacedHex)
{
    return QByteArray::fromHex(QByteArray(spacedHex).replace(' ', ""));
}

QByteArray outputReport(const QByteArray &frame)
{
    return QByteArray(1, '\0') + frame + QByteArray(HidHandle::ReportSize - frame.size(), '\0');
}

const QByteArray SoftwareIdentityV32 = bytes("06 0a0a 546865726d6f785f5633 1003 1802 00000000");

// The first report each firmware writes once its handle is open.
QByteArray firstReport(Firmware firmware)
{
    if (firmware == V1)
        return outputReport(bytes("02 04 0803 1001")); // GET_MACHINE_SETTINGS
    return outputReport(TPFrame::announcement(TPFrame::nextId(0), SoftwareIdentityV32));
}

std::unique_ptr<Connection> makeConnection(Firmware firmware, ScriptedHid::Device &device)
{
    if (firmware == V1)
        return std::make_unique<ConnectionV1USB>(device.description());
    return std::make_unique<ConnectionV3USB>(device.description());
}

QList<QAbstractEventDispatcher::TimerInfo> timersOf(QObject *object)
{
    return QAbstractEventDispatcher::instance()->registeredTimers(object);
}

// Marks each poll (a timer event of the connection) in the scripted log.
class PollMarker : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            ScriptedHid::mark(QStringLiteral("poll"));
        return false;
    }
};

// Every message logged while it exists, for the checks of what was not logged.
class MessageLog
{
public:
    MessageLog() { s_previous = qInstallMessageHandler(&MessageLog::handler); }
    ~MessageLog() { qInstallMessageHandler(s_previous); }
    static QStringList messages() { return s_messages; }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        s_messages.append(text);
        if (s_previous)
            s_previous(type, context, text);
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline QStringList s_messages;
};

} // namespace

Q_DECLARE_METATYPE(Firmware)
Q_DECLARE_METATYPE(Fault)

class TestConnectionUsb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void opening_data();
    void opening();
    void faultsWhileOpening_data();
    void faultsWhileOpening();
    void readErrorDisconnects_data();
    void readErrorDisconnects();
    void destruction_data();
    void destruction();
    void firmware3ShortReportReachesTransferProtocolWhole();
    void firmware3ReportsWaitingAtOnePollAreReadInThatPoll();
    void firmware3PollReadsNoMoreThanTheDriverKeeps();
    void firmware3FrameTooLongForAReportIsDropped();
    void firmware1PollJoinsTheReportsOfAMessage();
};

void TestConnectionUsb::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestConnectionUsb::cleanup()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    ScriptedHid::removeAll();
}

void TestConnectionUsb::opening_data()
{
    QTest::addColumn<Firmware>("firmware");
    QTest::addColumn<int>("pollIntervalMs");
    QTest::newRow("firmware 1") << V1 << 900;
    QTest::newRow("firmware 3") << V3 << 100;
}

void TestConnectionUsb::opening()
{
    QFETCH(Firmware, firmware);
    QFETCH(int, pollIntervalMs);
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    const auto connection = makeConnection(firmware, device);
    QSignalSpy connected(connection.get(), &Connection::isHandleConnectedChanged);

    connection->connectionInit();

    QVERIFY(device.open);
    QVERIFY(device.nonBlocking);
    QVERIFY(connection->isTransportOpen());
    QCOMPARE(connected.count(), 1);
    QCOMPARE(connected.first().first().toBool(), true);
    QCOMPARE(connection->hardwareId(), SerialNumber);
    const auto timers = timersOf(connection.get());
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers.first().interval, pollIntervalMs);
    QCOMPARE(timers.first().timerType, Qt::CoarseTimer);
    QCOMPARE(device.written, QByteArrayList{firstReport(firmware)});
}

void TestConnectionUsb::faultsWhileOpening_data()
{
    QTest::addColumn<Firmware>("firmware");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<bool>("transportOpen");

    const QString openWarningV3 =
        QStringLiteral("Connect device error: check if device is connected. %1")
            .arg(QString::fromLatin1(DevicePath));
    const QString nonBlockingWarning = QStringLiteral("Problem while hid_set_nonblocking");
    const QString writeWarning = QStringLiteral("HID write error ") + DeviceErrorText;

    QTest::newRow("firmware 1, open fails")
        << V1 << Fault::OpenFails << QStringLiteral("Connect device error") << false << false;
    QTest::newRow("firmware 3, open fails")
        << V3 << Fault::OpenFails << openWarningV3 << false << false;
    // Never polled and never asked for its settings; the handle is closed
    // again, so the next detection pass can try anew.
    QTest::newRow("firmware 1, serial number unreadable")
        << V1 << Fault::SerialNumberFails
        << QStringLiteral("hid_get_serial_number_string failed. Can't connect to device") << false
        << false;
    QTest::newRow("firmware 1, blocking reads")
        << V1 << Fault::NonBlockingFails << nonBlockingWarning << true << true;
    QTest::newRow("firmware 3, blocking reads")
        << V3 << Fault::NonBlockingFails << nonBlockingWarning << true << true;
    QTest::newRow("firmware 1, write fails")
        << V1 << Fault::WriteFails << writeWarning << true << true;
    QTest::newRow("firmware 3, write fails")
        << V3 << Fault::WriteFails << writeWarning << true << true;
}

void TestConnectionUsb::faultsWhileOpening()
{
    QFETCH(Firmware, firmware);
    QFETCH(Fault, fault);
    QFETCH(QString, warning);
    QFETCH(bool, connects);
    QFETCH(bool, transportOpen);
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    device.openFails = fault == Fault::OpenFails;
    device.serialNumberFails = fault == Fault::SerialNumberFails;
    device.nonBlockingFails = fault == Fault::NonBlockingFails;
    device.writeFails = fault == Fault::WriteFails;
    const auto connection = makeConnection(firmware, device);

    QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    connection->connectionInit();

    QCOMPARE(connection->isHandleConnected(), connects);
    QCOMPARE(connection->isTransportOpen(), transportOpen);
    QCOMPARE(timersOf(connection.get()).size(), connects ? 1 : 0);
    QCOMPARE(device.written.size(), connects && fault != Fault::WriteFails ? 1 : 0);
}

void TestConnectionUsb::readErrorDisconnects_data()
{
    QTest::addColumn<Firmware>("firmware");
    QTest::newRow("firmware 1") << V1;
    QTest::newRow("firmware 3") << V3;
}

void TestConnectionUsb::readErrorDisconnects()
{
    QFETCH(Firmware, firmware);
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    const auto connection = makeConnection(firmware, device);
    connection->connectionInit();
    QSignalSpy connected(connection.get(), &Connection::isHandleConnectedChanged);
    QSignalSpy updated(connection.get(), &Connection::dataUpdated);

    // Unplugged: the next poll's read fails.
    device.readFails = true;
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("HID read error ") + DeviceErrorText));
    QVERIFY(connected.wait(5000));

    QCOMPARE(connected.first().first().toBool(), false);
    QVERIFY(!device.open);
    QVERIFY(!connection->isTransportOpen());
    QVERIFY(!connection->isDeviceInitialized());
    QVERIFY(timersOf(connection.get()).isEmpty());
    QCOMPARE(updated.count(), 1);
}

void TestConnectionUsb::destruction_data()
{
    QTest::addColumn<Firmware>("firmware");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("disconnects");

    // A firmware-3 connection that never sent its identity has nothing to undo.
    QTest::newRow("firmware 3, never opened") << V3 << false << false;
    QTest::newRow("firmware 3, open") << V3 << true << true;
    QTest::newRow("firmware 1, never opened") << V1 << false << true;
    QTest::newRow("firmware 1, open") << V1 << true << true;
}

void TestConnectionUsb::destruction()
{
    QFETCH(Firmware, firmware);
    QFETCH(bool, opens);
    QFETCH(bool, disconnects);
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    device.openFails = !opens;
    auto connection = makeConnection(firmware, device);
    if (!opens)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^Connect device error")));
    connection->connectionInit();
    QCOMPARE(device.open, opens);

    MessageLog log;
    connection.reset();

    const bool disconnected =
        log.messages().indexOf(QRegularExpression(QStringLiteral("disconnectHandle: .*"))) >= 0;
    QCOMPARE(disconnected, disconnects);
    QVERIFY(!device.open);
}

void TestConnectionUsb::firmware3ShortReportReachesTransferProtocolWhole()
{
    // A 20-byte report, as a device with BLE-sized frames would send: an
    // announcement of EEPROM_READY padded with zeros.
    QByteArray report = TPFrame::announcement(TPFrame::nextId(0), QByteArray(1, char(8)));
    report.append(QByteArray(20 - report.size(), '\0'));
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    ConnectionV3USB connection(device.description());
    connection.connectionInit();
    device.written.clear();
    device.input.append(report);

    // The transport's log of what it read, and the transfer protocol's of what it got.
    const QString hex = QString::fromLatin1(report.toHex());
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("RECEIVED: ") + hex));
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("R: [AckMes] ") + hex));
    // Answered with an acknowledgement, so the transfer protocol took it.
    QTRY_COMPARE_WITH_TIMEOUT(
        device.written,
        QByteArrayList{outputReport(TPFrame::shortFrame(TPFrame::nextId(0), TPFrame::Ack))}, 5000);
}

void TestConnectionUsb::firmware3ReportsWaitingAtOnePollAreReadInThatPoll()
{
    const quint8 first = TPFrame::nextId(0);
    const quint8 second = TPFrame::nextId(first);
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    ConnectionV3USB connection(device.description());
    PollMarker marker;
    connection.installEventFilter(&marker);
    connection.connectionInit();
    device.written.clear();
    device.input = {TPFrame::announcement(first, QByteArray(1, char(9))),
                    TPFrame::announcement(second, QByteArray(1, char(8)))};
    const QString firstSize = QString::number(device.input.first().size());
    const QString secondSize = QString::number(device.input.last().size());

    QTRY_VERIFY_WITH_TIMEOUT(device.input.isEmpty(), 5000);

    const QStringList firstPoll =
        ScriptedHid::events().mid(ScriptedHid::events().indexOf(QStringLiteral("poll")), 4);
    QCOMPARE(firstPoll,
             (QStringList{QStringLiteral("poll"), QStringLiteral("read ") + firstSize,
                          QStringLiteral("read ") + secondSize, QStringLiteral("read 0")}));
    QCOMPARE(device.written,
             (QByteArrayList{outputReport(TPFrame::shortFrame(first, TPFrame::Ack)),
                             outputReport(TPFrame::shortFrame(second, TPFrame::Ack))}));
}

void TestConnectionUsb::firmware3PollReadsNoMoreThanTheDriverKeeps()
{
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    ConnectionV3USB connection(device.description());
    PollMarker marker;
    connection.installEventFilter(&marker);
    connection.connectionInit();
    // A machine that keeps sending: stale confirmations, which the transfer
    // protocol passes over.
    const QByteArray stale = TPFrame::shortFrame(TPFrame::nextId(0), TPFrame::PayloadComplete);
    for (int i = 0; i <= HidHandle::MaxReportsPerPoll; ++i)
        device.input.append(stale);

    QTRY_VERIFY_WITH_TIMEOUT(device.input.isEmpty(), 5000);

    const QStringList events = ScriptedHid::events();
    const int firstPoll = events.indexOf(QStringLiteral("poll"));
    const int secondPoll = events.indexOf(QStringLiteral("poll"), firstPoll + 1);
    QCOMPARE(secondPoll - firstPoll - 1, HidHandle::MaxReportsPerPoll);
    QCOMPARE(events.at(secondPoll + 1), QStringLiteral("read %1").arg(stale.size()));
}

void TestConnectionUsb::firmware3FrameTooLongForAReportIsDropped()
{
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    ConnectionV3USB connection(device.description());
    connection.connectionInit();
    device.written.clear();

    QTest::ignoreMessage(QtWarningMsg, "Frame does not fit one HID report, dropped: 65 bytes");
    connection.onSendTpData(QByteArray(HidHandle::ReportSize + 1, '\x55'));
    connection.onSendTpData(QByteArray(HidHandle::ReportSize, '\x55'));

    QCOMPARE(device.written, QByteArrayList{QByteArray(1, '\0') + QByteArray(64, '\x55')});
}

void TestConnectionUsb::firmware1PollJoinsTheReportsOfAMessage()
{
    // A name long enough to spread the settings over two reports.
    const QString name = QStringLiteral("Bench vela8 ") + QString(60, QLatin1Char('x'));
    ProtocolV1::MachineSettings settings;
    settings.set_machinename(name.toStdString());
    const QList<QByteArray> reports = frameMessageV1(ProtocolV1::MACHINE_SETTINGS, settings);
    QCOMPARE(reports.size(), 2);
    ScriptedHid::Device &device = ScriptedHid::addDevice(DevicePath, SerialNumber);
    ConnectionV1USB connection(device.description());
    connection.connectionInit();
    QSignalSpy updated(&connection, &Connection::dataUpdated);
    for (const QByteArray &report : reports)
        device.input.append(report.mid(1)); // input reports carry no report id

    QVERIFY(updated.wait(5000));
    QCOMPARE(connection.machineName(), name);
}

QTEST_GUILESS_MAIN(TestConnectionUsb)
#include "tst_connectionusb.moc"
