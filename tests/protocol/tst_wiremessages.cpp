#include "protocol/pcrprotocolv1.h"
#include "protocol/pcrprotocolv3.h"

#include "logcapture.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// A firmware-1 MachineSettings whose encoding is exactly `size` bytes (2..129).
ProtocolV1::MachineSettings settingsOfSize(int size)
{
    ProtocolV1::MachineSettings settings;
    settings.set_machinename(std::string(size_t(size - 2), 'n'));
    return settings;
}

QByteArray joinedReports(const QList<QByteArray> &reports)
{
    QByteArray joined;
    for (const QByteArray &report : reports)
        joined += report.mid(1);
    return joined;
}

ProtocolV1::PCRState sampleState(quint32 timeInSec)
{
    ProtocolV1::PCRState state;
    state.set_step(2);
    state.set_cycle(7);
    state.set_timeinsec(timeInSec);
    state.set_blocktemp(94.5f);
    state.set_lidtemp(105.0f);
    state.set_status(ProtocolV1::RUNNING);
    return state;
}

} // namespace

class TestWireMessages : public QObject
{
    Q_OBJECT

private slots:
    void extractMessageType_data();
    void extractMessageType();
    void schemasRegisterUnderTheirFileNames();
    void payloadV3();
    void framingV1_data();
    void framingV1();
    void framingV1RefusesWhatTheLengthByteCannotHold();
    void splittingV1_data();
    void splittingV1();
    void splittingV1RoundTrip();
    void splittingV1SurvivesRandomData();
};

void TestWireMessages::extractMessageType_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("typeV3");
    QTest::addColumn<int>("typeV1");
    QTest::addColumn<QString>("warningV3");
    QTest::addColumn<QString>("warningV1");

    const QString small = "Message Type Error: buffer is too small.";
    const QString tooLarge = "Message type value too large. Did you just add a new message type?";
    QTest::newRow("empty") << QByteArray() << 0 << 0 << small << small;
    QTest::newRow("zero") << QByteArray::fromHex("00aa") << 0 << 0
                          << "Message Type Error: invalid type. 0"
                          << "Message Type Error: invalid type. 0";
    QTest::newRow("0x85 is negative")
        << QByteArray::fromHex("85aa") << 0 << 0 << "Message Type Error: invalid type. -123"
        << "Message Type Error: invalid type. -123";
    QTest::newRow("0x80") << QByteArray::fromHex("80") << 0 << 0
                          << "Message Type Error: invalid type. -128"
                          << "Message Type Error: invalid type. -128";
    QTest::newRow("state") << QByteArray::fromHex("01aa") << 1 << 1 << QString() << QString();
    QTest::newRow("software settings")
        << QByteArray::fromHex("06aa") << 6 << 6 << QString() << QString();
    QTest::newRow("device busy, firmware 3 only")
        << QByteArray::fromHex("07aa") << 7 << 0 << QString() << tooLarge;
    QTest::newRow("eeprom busy, firmware 3 only")
        << QByteArray::fromHex("09") << 9 << 0 << QString() << tooLarge;
    QTest::newRow("beyond both") << QByteArray::fromHex("0aaa") << 0 << 0 << tooLarge << tooLarge;
    QTest::newRow("0x7f") << QByteArray::fromHex("7f") << 0 << 0 << tooLarge << tooLarge;
}

void TestWireMessages::extractMessageType()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, typeV3);
    QFETCH(int, typeV1);
    QFETCH(QString, warningV3);
    QFETCH(QString, warningV1);
    const QByteArray body = buffer.mid(1);

    QByteArray v3 = buffer;
    if (!warningV3.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warningV3));
    QCOMPARE(extractMessageTypeV3(v3), typeV3);
    QCOMPARE(v3, body);

    QByteArray v1 = buffer;
    if (!warningV1.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warningV1));
    QCOMPARE(int(extractMessageTypeV1(v1)), typeV1);
    QCOMPARE(v1, body);
}

void TestWireMessages::schemasRegisterUnderTheirFileNames()
{
    QCOMPARE(QString::fromStdString(ProtocolV1::PCRState::descriptor()->file()->name()),
             QStringLiteral("Pcr.proto"));
    QCOMPARE(QString::fromStdString(ProtocolV3::PCRState::descriptor()->file()->name()),
             QStringLiteral("Thermox_v3.8_03.02.2018.proto"));
}

void TestWireMessages::payloadV3()
{
    ProtocolV3::Action pause;
    pause.set_type(ProtocolV3::SET_STATE);
    pause.set_status(ProtocolV3::PAUSED);
    QCOMPARE(buildPayloadV3(ProtocolV3::ACTION, pause), QByteArray::fromHex("0200000000"));

    ProtocolV3::Action run;
    run.set_status(ProtocolV3::RUNNING);
    QByteArray payload = buildPayloadV3(ProtocolV3::ACTION, run);
    QCOMPARE(payload, QByteArray::fromHex("02100100000000"));

    // The host parses its own payloads back: the trailing zeros end the message.
    QCOMPARE(extractMessageTypeV3(payload), int(ProtocolV3::ACTION));
    ProtocolV3::Action parsed;
    QVERIFY(parseMessageV3(payload, parsed));
    QCOMPARE(parsed.status(), ProtocolV3::RUNNING);
    QVERIFY(parseMessageV3(QByteArray::fromHex("1001"), parsed));
    QVERIFY(!parseMessageV3(QByteArray::fromHex("10"), parsed)); // value cut off
}

void TestWireMessages::framingV1_data()
{
    QTest::addColumn<int>("messageSize");
    QTest::addColumn<int>("reportCount");

    QTest::newRow("empty message") << 0 << 1;
    QTest::newRow("62 bytes fill one piece exactly") << 62 << 1;
    QTest::newRow("63 bytes need a second report") << 63 << 2;
    QTest::newRow("126 bytes fill two pieces") << 126 << 2;
    QTest::newRow("127 bytes need a third report") << 127 << 3;
}

void TestWireMessages::framingV1()
{
    QFETCH(int, messageSize);
    QFETCH(int, reportCount);
    const ProtocolV1::MachineSettings settings =
        messageSize == 0 ? ProtocolV1::MachineSettings() : settingsOfSize(messageSize);
    QCOMPARE(int(settings.ByteSizeLong()), messageSize);

    const QList<QByteArray> reports = frameMessageV1(ProtocolV1::MACHINE_SETTINGS, settings);
    QCOMPARE(reports.size(), reportCount);
    for (const QByteArray &report : reports) {
        QCOMPARE(report.size(), ReportSizeV1);
        QCOMPARE(report.at(0), '\0');
    }
    const QByteArray joined = joinedReports(reports);
    QCOMPARE(quint8(joined.at(0)), quint8(ProtocolV1::MACHINE_SETTINGS));
    QCOMPARE(quint8(joined.at(1)), quint8(messageSize));
    QCOMPARE(joined.mid(2, messageSize), QByteArray::fromStdString(settings.SerializeAsString()));
    QCOMPARE(joined.mid(2 + messageSize), QByteArray(joined.size() - 2 - messageSize, '\0'));
}

void TestWireMessages::framingV1RefusesWhatTheLengthByteCannotHold()
{
    ProtocolV1::Action action;
    action.set_type(ProtocolV1::GET_MACHINE_SETTINGS);
    action.set_status(ProtocolV1::RUNNING);
    const QList<QByteArray> reports = frameMessageV1(ProtocolV1::ACTION, action);
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.first(), QByteArray::fromHex("00020408031001") + QByteArray(58, '\0'));

    ProtocolV1::MachineSettings longest;
    longest.set_machinename(std::string(252, 'n')); // 2-byte length: 255 bytes in all
    QCOMPARE(frameMessageV1(ProtocolV1::MACHINE_SETTINGS, longest).size(), 5);

    ProtocolV1::MachineSettings tooLong;
    tooLong.set_machinename(std::string(253, 'n'));
    QTest::ignoreMessage(QtWarningMsg, "Message too long for firmware 1, not sent: 256 bytes");
    QVERIFY(frameMessageV1(ProtocolV1::MACHINE_SETTINGS, tooLong).isEmpty());
}

void TestWireMessages::splittingV1_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QList<QByteArray>>("bodies");
    QTest::addColumn<QStringList>("warnings");

    const QByteArray a = QByteArray::fromHex("0801100a18");
    const QByteArray b = QByteArray::fromHex("0a0376656c61");
    QTest::newRow("two messages split by padding")
        << (QByteArray::fromHex("0105") + a + QByteArray(57, '\0') + QByteArray::fromHex("0506") +
            b + QByteArray(56, '\0'))
        << QList<int>{1, 5} << QList<QByteArray>{a, b} << QStringList();
    QTest::newRow("back to back without padding")
        << (QByteArray::fromHex("0105") + a + QByteArray::fromHex("0506") + b) << QList<int>{1, 5}
        << QList<QByteArray>{a, b} << QStringList();
    QTest::newRow("three bytes are not examined")
        << QByteArray::fromHex("010408") << QList<int>() << QList<QByteArray>() << QStringList();
    QTest::newRow("body of three bytes is too short")
        << QByteArray::fromHex("0103080110") << QList<int>() << QList<QByteArray>()
        << QStringList{"Message too short!"};
    QTest::newRow("body running past the data")
        << QByteArray::fromHex("0109080110") << QList<int>() << QList<QByteArray>()
        << QStringList{"Message too short!"};
    QTest::newRow("length prefix never ends")
        << QByteArray::fromHex("01ffffffffff01") << QList<int>() << QList<QByteArray>()
        << QStringList{"Message too short!"};
    QTest::newRow("invalid type still yields its body")
        << (QByteArray::fromHex("8505") + a + QByteArray(3, '\0')) << QList<int>{0}
        << QList<QByteArray>{a} << QStringList{"Message Type Error: invalid type. -123"};
    QTest::newRow("two-byte length prefix")
        << (QByteArray::fromHex("038001") + QByteArray(128, 'x')) << QList<int>{3}
        << QList<QByteArray>{QByteArray(128, 'x')} << QStringList();
    QTest::newRow("good message then a short one")
        << (QByteArray::fromHex("0105") + a + QByteArray::fromHex("01020801")) << QList<int>{1}
        << QList<QByteArray>{a} << QStringList{"Message too short!"};
}

void TestWireMessages::splittingV1()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<int>, types);
    QFETCH(QList<QByteArray>, bodies);
    QFETCH(QStringList, warnings);
    for (const QString &warning : warnings)
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));

    const QList<MessageV1> messages = splitMessagesV1(data);
    QList<int> gotTypes;
    QList<QByteArray> gotBodies;
    for (const MessageV1 &message : messages) {
        gotTypes.append(message.type);
        gotBodies.append(message.body);
    }
    QCOMPARE(gotTypes, types);
    QCOMPARE(gotBodies, bodies);
}

void TestWireMessages::splittingV1RoundTrip()
{
    // What the machine sends is framed the way the host frames: the reports of
    // two states read at one poll come out as the two states.
    const QByteArray data =
        joinedReports(frameMessageV1(ProtocolV1::CURRENT_STATE, sampleState(10)) +
                      frameMessageV1(ProtocolV1::CURRENT_STATE, sampleState(11)));
    const QList<MessageV1> messages = splitMessagesV1(data);
    QCOMPARE(messages.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(messages.at(i).type, ProtocolV1::CURRENT_STATE);
        ProtocolV1::PCRState state;
        QVERIFY(state.ParseFromArray(messages.at(i).body.constData(), messages.at(i).body.size()));
        QCOMPARE(state.timeinsec(), quint32(10 + i));
        QCOMPARE(state.blocktemp(), 94.5f);
    }
}

void TestWireMessages::splittingV1SurvivesRandomData()
{
    // Whatever arrives, the splitter ends and hands out only bytes it was given.
    QRandomGenerator random(20240611);
    int delivered = 0;
    LogCapture log;
    for (int round = 0; round < 3000; ++round) {
        QByteArray data(int(random.bounded(200)), '\0');
        for (char &byte : data)
            byte = char(random.bounded(round % 2 ? 8 : 256)); // small values form messages
        const QList<MessageV1> messages = splitMessagesV1(data);
        for (const MessageV1 &message : messages) {
            QVERIFY(data.contains(message.body));
            QVERIFY(message.body.size() >= 3);
        }
        delivered += messages.size();
    }
    QVERIFY(delivered > 0);
    QCOMPARE(log.unexpected({QRegularExpression("^Message too short!$"),
                             QRegularExpression("^Message Type Error: "),
                             QRegularExpression("^Message type value too large")}),
             QStringList());
}

QTEST_GUILESS_MAIN(TestWireMessages)
#include "tst_wiremessages.moc"
