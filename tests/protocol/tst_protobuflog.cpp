#include "protocol/pcrprotocolv3.h"
#include "protocol/protobuflog.h"

#include <QtTest>

class TestProtobufLog : public QObject
{
    Q_OBJECT

private slots:
    void complaintsReachTheLog();
};

void TestProtobufLog::complaintsReachTheLog()
{
    routeProtobufLogsToQt();
    ProtocolV3::MachineSettings sent;
    sent.set_machinename(std::string("bad \xc3", 5)); // cut inside a two-byte character
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("invalid UTF-8.*when serializing"));
    std::string bytes;
    sent.SerializeToString(&bytes);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("invalid UTF-8.*when parsing"));
    ProtocolV3::MachineSettings received;
    QVERIFY(!received.ParseFromString(bytes));
}

QTEST_GUILESS_MAIN(TestProtobufLog)
#include "tst_protobuflog.moc"
