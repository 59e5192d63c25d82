#include "connection/connectionv3emul.h"
#include "containers/shortprotocolcontainer.h"
#include "program/programv3.h"
#include "protocol/pcrprotocolv3.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Short enough for a test to see many ticks, long enough to tell two apart.
constexpr int TickMs = 10;

ProgramPtr pcrProgram(const QString &name)
{
    const QByteArray steps = QJsonDocument(Container::Protocol::defaultStepArray()).toJson();
    return ProgramPtr(new ProgramV3(name, steps, false, Program::PT_PCR));
}

} // namespace

class TestConnectionV3Emul : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void powersOnRunningItsDefaultProgram();
    void evenIndexIsUnreachable();
    void reachableMachinesShareOneStepCounter();
    void uploadedProgramIsReadBack();
    void uploadsAndStateChangesAreConfirmed();
    void powerOnAgainKeepsOneTick();
    void disconnectStopsTheTick();
};

void TestConnectionV3Emul::powersOnRunningItsDefaultProgram()
{
    ConnectionV3Emul connection(1);
    QSignalSpy received(&connection, &Connection::programReceived);

    QVERIFY(connection.isDeviceInitialized());
    QVERIFY(connection.isTransportOpen());
    QVERIFY(connection.isAutoStartOn());
    QCOMPARE(connection.machineName(), QStringLiteral("Thermox16 emul 1"));
    QCOMPARE(connection.firmwareVersion(), QStringLiteral("3.500"));
    QVERIFY(QRegularExpression(QStringLiteral("^[A-Z0-9]{11}$"))
                .match(connection.hardwareId())
                .hasMatch());
    QCOMPARE(connection.serialNumber(),
             QString::fromLatin1(connection.hardwareId().toLatin1().toHex().toUpper()));
    QCOMPARE(connection.status(), int(ProtocolV3::RUNNING));
    QCOMPARE(connection.cycle(), 1);
    QCOMPARE(connection.step(), 2u);
    QCOMPARE(connection.powerVoltage(), 19.0f);

    // Auto-start set: the machine's program is asked for right after power-on.
    QVERIFY(received.wait());
    QCOMPARE(received.first().at(1).toInt(), 3);
    const ProgramV3 program(received.first().at(0).toByteArray());
    QCOMPARE(program.name(), QStringLiteral("Default protocol"));
    QCOMPARE(program.programType(), Program::PT_PCR);
}

void TestConnectionV3Emul::evenIndexIsUnreachable()
{
    ConnectionV3Emul reachable(1, nullptr, TickMs);
    ConnectionV3Emul unreachable(2, nullptr, TickMs);
    QSignalSpy reachableTicks(&reachable, &Connection::chartDataReceived);
    QSignalSpy unreachableTicks(&unreachable, &Connection::chartDataReceived);

    QTRY_VERIFY(reachableTicks.count() >= 3);

    QVERIFY(unreachableTicks.isEmpty());
    QVERIFY(unreachable.isDeviceInitialized());
    QVERIFY(!unreachable.isTransportOpen());
    QCOMPARE(unreachable.machineName(), QStringLiteral("Thermox16 emul 2"));
}

void TestConnectionV3Emul::reachableMachinesShareOneStepCounter()
{
    ConnectionV3Emul first(1, nullptr, TickMs);
    ConnectionV3Emul second(3, nullptr, TickMs);
    QVector<quint32> counter;
    int firstTicks = 0;
    int secondTicks = 0;
    connect(&first, &Connection::chartDataReceived, this, [&] {
        ++firstTicks;
        counter.append(first.stepTimeInSec());
    });
    connect(&second, &Connection::chartDataReceived, this, [&] {
        ++secondTicks;
        counter.append(second.stepTimeInSec());
    });

    QTRY_VERIFY_WITH_TIMEOUT(first.cycle() == 2 || second.cycle() == 2, 10000);

    // Every tick of either machine advances the one counter by one.
    for (int i = 1; i < counter.size(); ++i)
        QCOMPARE(counter.at(i), counter.at(i - 1) % ConnectionV3Emul::StepsPerCycle + 1);
    // Both tick; how evenly depends on the load of the machine running the test.
    QVERIFY(firstTicks > 10 || secondTicks > 10);
    QVERIFY(qMin(firstTicks, secondTicks) >= qMax(firstTicks, secondTicks) / 2);
    // Only the machine whose tick found the counter at its end counts a cycle.
    ConnectionV3Emul &wrapped = first.cycle() == 2 ? first : second;
    ConnectionV3Emul &other = first.cycle() == 2 ? second : first;
    QCOMPARE(wrapped.step(), 1u);
    QCOMPARE(other.cycle(), 1);
    QCOMPARE(other.step(), 2u);
}

void TestConnectionV3Emul::uploadedProgramIsReadBack()
{
    ConnectionV3Emul connection(1);
    QSignalSpy received(&connection, &Connection::programReceived);
    QVERIFY(received.wait());
    received.clear();
    const ProgramPtr program = pcrProgram(QStringLiteral("Colony PCR"));

    connection.setProgram(program);
    connection.sendCurrentProgram();
    connection.getProgramFromDevice();

    QVERIFY(received.wait());
    const auto programV3 = qSharedPointerObjectCast<ProgramV3>(program);
    const QByteArray message =
        QByteArray::fromStdString(programV3->pcrProtocol().SerializeAsString());
    QCOMPARE(received.first().at(0).toByteArray(), message + QByteArray(4, '\0'));
    QCOMPARE(received.first().at(1).toInt(), 3);
}

void TestConnectionV3Emul::uploadsAndStateChangesAreConfirmed()
{
    ConnectionV3Emul connection(1);
    QSignalSpy programSent(&connection, &Connection::newProgramSent);
    QSignalSpy stateSent(&connection, &Connection::newStateSent);
    QTRY_VERIFY(programSent.count() >= 1); // the default program uploaded at power-on
    programSent.clear();

    connection.setProgram(pcrProgram(QStringLiteral("Colony PCR")));
    connection.sendCurrentProgram();
    connection.setState(PCRConst::DS_PAUSED);

    QTRY_COMPARE(programSent.count(), 1);
    QTRY_COMPARE(stateSent.count(), 1);
    QCOMPARE(stateSent.first().first().toInt(), int(PCRConst::DS_PAUSED));
}

void TestConnectionV3Emul::powerOnAgainKeepsOneTick()
{
    ConnectionV3Emul connection(1, nullptr, TickMs);
    ConnectionV3Emul reference(3, nullptr, TickMs);
    // The device object initialises every connection it makes once more.
    connection.connectionInit();
    QSignalSpy ticks(&connection, &Connection::chartDataReceived);
    QSignalSpy referenceTicks(&reference, &Connection::chartDataReceived);

    QTRY_VERIFY(referenceTicks.count() >= 20);

    QVERIFY(qAbs(ticks.count() - referenceTicks.count()) <= 3);
}

void TestConnectionV3Emul::disconnectStopsTheTick()
{
    ConnectionV3Emul connection(1, nullptr, TickMs);
    ConnectionV3Emul reference(3, nullptr, TickMs);
    QSignalSpy ticks(&connection, &Connection::chartDataReceived);
    QSignalSpy updated(&connection, &Connection::dataUpdated);
    QTRY_VERIFY(!ticks.isEmpty());
    updated.clear();

    connection.disconnectHandle();
    QCOMPARE(updated.count(), 1);
    ticks.clear();
    updated.clear();
    QSignalSpy referenceTicks(&reference, &Connection::chartDataReceived);
    QTRY_VERIFY(referenceTicks.count() >= 5);

    QVERIFY(ticks.isEmpty());
    QVERIFY(updated.isEmpty());
    QVERIFY(!connection.isDeviceInitialized());
    QVERIFY(!connection.isTransportOpen());
}

QTEST_GUILESS_MAIN(TestConnectionV3Emul)
#include "tst_connectionv3emul.moc"
