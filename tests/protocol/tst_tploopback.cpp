#include "protocol/ctpmanager.h"
#include "protocol/tpframe.h"

#include "logcapture.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <deque>

namespace {

constexpr int NeverMs = 600000;

enum class Fault { None, Drop, Corrupt };
enum Side { Host = 0, Device = 1 };
enum Traffic { HostToDevice = 1, DeviceToHost = 2, BothWays = 3 };

// Payloads of many sizes, several of them made mostly or only of the start
// and escape bytes.
QList<QByteArray> samplePayloads(QRandomGenerator &random, int count)
{
    QList<QByteArray> payloads;
    for (int i = 0; i < count; ++i) {
        const int size = i < 6 ? 1 + i * 59 : int(random.bounded(1, 260));
        QByteArray payload(size, '\0');
        for (int pos = 0; pos < size; ++pos) {
            switch (i % 4) {
            case 0:
                payload[pos] = char(random.bounded(256));
                break;
            case 1:
                payload[pos] = random.bounded(2) ? '\x7d' : '\x7e';
                break;
            case 2:
                payload[pos] = char(0x7C + random.bounded(4)); // 7c..7f
                break;
            default:
                payload[pos] = char(pos + i);
            }
        }
        payload[0] = char(i); // every payload differs, so repeats can be told apart
        payloads.append(payload);
    }
    return payloads;
}

// Two managers back to back over an in-order wire that may lose or damage
// frames. Time runs only when the wire falls silent: then one side's
// time-out fires, chosen by the seeded generator, so every run is repeatable.
class Loopback
{
public:
    Loopback(int frameSize, quint32 seed)
        : m_random(seed)
        , m_frameSize(frameSize)
        , m_managers{new TPManager(frameSize, nullptr, NeverMs),
                     new TPManager(frameSize, nullptr, NeverMs)}
    {
        for (int side : {Host, Device}) {
            TPManager *manager = m_managers[side];
            QObject::connect(manager, &TPManager::sendTPData,
                             [this, side](const QByteArray &frame) { transmit(side, frame); });
            QObject::connect(manager, &TPManager::payload, [this, side](const QByteArray &payload) {
                received[side].append(payload);
            });
            QObject::connect(
                manager, &TPManager::transferSessionFinished,
                [this, side](const QByteArray &payload) { finished[side].append(payload); });
        }
    }
    ~Loopback()
    {
        delete m_managers[Host];
        delete m_managers[Device];
    }

    void setFault(int fromSide, Fault fault, int oneIn)
    {
        m_fault[fromSide] = fault;
        m_oneIn[fromSide] = oneIn;
    }

    // Offers every payload at a random moment of the exchange; returns false
    // when the exchange does not settle within a generous number of steps.
    bool run(const QList<QByteArray> &fromHost, const QList<QByteArray> &fromDevice)
    {
        offered[Host] = fromHost;
        offered[Device] = fromDevice;
        QList<QPair<int, int>> pending; // side, index: offered in this order
        for (int i = 0; i < fromHost.size(); ++i)
            pending.append({Host, i});
        for (int i = 0; i < fromDevice.size(); ++i)
            pending.insert(int(m_random.bounded(pending.size() + 1)), {Device, i});
        // Keep each side's own order while interleaving the two.
        QList<int> next{0, 0};
        for (auto &entry : pending)
            entry.second = next[entry.first]++;

        for (int step = 0; step < 200000; ++step) {
            if (!pending.isEmpty() && m_random.bounded(4) == 0) {
                const auto entry = pending.takeFirst();
                m_managers[entry.first]->sendPayload(offered[entry.first].at(entry.second));
            } else if (!m_wire.empty()) {
                const auto [to, frame] = m_wire.front();
                m_wire.pop_front();
                ++delivered;
                note(QStringLiteral("%1 %2").arg(to == Host ? "->H" : "->D",
                                                 QString::fromLatin1(frame.toHex())));
                m_managers[to]->receiveTPData(frame);
            } else if (pending.isEmpty() && settled()) {
                return true;
            } else if (pending.isEmpty() || m_random.bounded(2)) {
                fireOneTimeout();
            }
        }
        return false;
    }

    // The last events on the wire, to tell what went wrong when a run fails.
    QString recentEvents() const
    {
        return QStringLiteral("finished %1/%2 and %3/%4 after %5 frames, last events:\n%6")
            .arg(finished[Host].size())
            .arg(offered[Host].size())
            .arg(finished[Device].size())
            .arg(offered[Device].size())
            .arg(delivered)
            .arg(m_trace.join(QLatin1Char('\n')));
    }

    QList<QByteArray> offered[2];
    QList<QByteArray> received[2];
    QList<QByteArray> finished[2];
    int delivered = 0;
    int dropped = 0;
    int corrupted = 0;

private:
    bool settled() const
    {
        return finished[Host].size() >= offered[Host].size() &&
               finished[Device].size() >= offered[Device].size();
    }

    void fireOneTimeout()
    {
        const int first = int(m_random.bounded(2));
        note(first == Host ? "timeout H" : "timeout D");
        m_managers[first]->timeout();
        if (m_wire.empty()) {
            note(first == Host ? "timeout D" : "timeout H");
            m_managers[1 - first]->timeout();
        }
    }

    void transmit(int from, QByteArray frame)
    {
        QVERIFY(frame.size() <= m_frameSize);
        if (m_fault[from] != Fault::None && m_random.bounded(m_oneIn[from]) == 0) {
            if (m_fault[from] == Fault::Drop) {
                ++dropped;
                return;
            }
            damage(frame);
            ++corrupted;
        }
        m_wire.push_back({1 - from, frame});
    }

    // Changes one byte. A kind byte turned into a payload-complete or
    // device-busy frame is left out: those frames carry no checked field a
    // receiver could use, so no damage to them can be detected.
    void damage(QByteArray &frame)
    {
        const QByteArray original = frame;
        do {
            frame = original;
            const int pos = int(m_random.bounded(frame.size()));
            frame[pos] = char(frame.at(pos) ^ char(m_random.bounded(1, 256)));
        } while (becomesUncheckedKind(original, frame));
    }

    static bool becomesUncheckedKind(const QByteArray &original, const QByteArray &damaged)
    {
        if (!TPFrame::hasValidHeader(damaged) || original.at(2) == damaged.at(2))
            return false;
        const auto kind = TPFrame::kindOf(damaged);
        return kind == TPFrame::PayloadComplete || kind == TPFrame::DeviceBusy;
    }

    void note(const QString &event)
    {
        m_trace.append(event);
        if (m_trace.size() > 60)
            m_trace.removeFirst();
    }

    QRandomGenerator m_random;
    const int m_frameSize;
    QStringList m_trace;
    TPManager *m_managers[2];
    std::deque<std::pair<int, QByteArray>> m_wire;
    Fault m_fault[2] = {Fault::None, Fault::None};
    int m_oneIn[2] = {1, 1};
};

// Payloads repeated back to back collapse to one: what a lost confirmation
// can cost is a second delivery, never a gap or a reordering.
QList<QByteArray> withoutRepeats(const QList<QByteArray> &payloads)
{
    QList<QByteArray> result;
    for (const QByteArray &payload : payloads) {
        if (result.isEmpty() || result.last() != payload)
            result.append(payload);
    }
    return result;
}

} // namespace

class TestTPLoopback : public QObject
{
    Q_OBJECT

private slots:
    void cleanWireDeliversEverythingOnce_data();
    void cleanWireDeliversEverythingOnce();
    void lossyWireRecovers_data();
    void lossyWireRecovers();
    void runsOnTheEventLoop();
};

void TestTPLoopback::cleanWireDeliversEverythingOnce_data()
{
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<int>("traffic");

    for (int frameSize : {TPManager::UsbFrameSize, TPManager::BleFrameSize}) {
        const QByteArray wire = frameSize == TPManager::UsbFrameSize ? "USB" : "BLE";
        QTest::newRow(wire + ", host to device") << frameSize << int(HostToDevice);
        QTest::newRow(wire + ", device to host") << frameSize << int(DeviceToHost);
        QTest::newRow(wire + ", both ways at once") << frameSize << int(BothWays);
    }
}

void TestTPLoopback::cleanWireDeliversEverythingOnce()
{
    QFETCH(int, frameSize);
    QFETCH(int, traffic);
    LogCapture log;
    for (quint32 seed = 1; seed <= 10; ++seed) {
        QRandomGenerator random(seed);
        const QList<QByteArray> fromHost =
            traffic & HostToDevice ? samplePayloads(random, 30) : QList<QByteArray>();
        const QList<QByteArray> fromDevice =
            traffic & DeviceToHost ? samplePayloads(random, 30) : QList<QByteArray>();
        Loopback loop(frameSize, seed);
        QVERIFY2(loop.run(fromHost, fromDevice), qPrintable(QStringLiteral("seed %1").arg(seed)));
        QCOMPARE(loop.received[Device], fromHost);
        QCOMPARE(loop.received[Host], fromDevice);
        QCOMPARE(loop.finished[Host], fromHost);
        QCOMPARE(loop.finished[Device], fromDevice);
    }
    QCOMPARE(log.unexpected(LogCapture::transferWarnings()), QStringList());
}

void TestTPLoopback::lossyWireRecovers_data()
{
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("oneIn");
    QTest::addColumn<int>("faultyFrom"); // Traffic bits: which directions lose frames

    for (int frameSize : {TPManager::UsbFrameSize, TPManager::BleFrameSize}) {
        const QByteArray wire = frameSize == TPManager::UsbFrameSize ? "USB" : "BLE";
        for (int oneIn : {3, 8}) {
            const QByteArray rate = " one in " + QByteArray::number(oneIn);
            QTest::newRow(wire + ", drop" + rate + " to the device")
                << frameSize << int(Fault::Drop) << oneIn << int(HostToDevice);
            QTest::newRow(wire + ", drop" + rate + " to the host")
                << frameSize << int(Fault::Drop) << oneIn << int(DeviceToHost);
            QTest::newRow(wire + ", drop" + rate + " both ways")
                << frameSize << int(Fault::Drop) << oneIn << int(BothWays);
            QTest::newRow(wire + ", corrupt" + rate + " to the device")
                << frameSize << int(Fault::Corrupt) << oneIn << int(HostToDevice);
            QTest::newRow(wire + ", corrupt" + rate + " to the host")
                << frameSize << int(Fault::Corrupt) << oneIn << int(DeviceToHost);
            QTest::newRow(wire + ", corrupt" + rate + " both ways")
                << frameSize << int(Fault::Corrupt) << oneIn << int(BothWays);
        }
    }
}

void TestTPLoopback::lossyWireRecovers()
{
    QFETCH(int, frameSize);
    QFETCH(int, fault);
    QFETCH(int, oneIn);
    QFETCH(int, faultyFrom);
    int repeats = 0;
    int faults = 0;
    int frames = 0;
    {
        LogCapture log;
        for (quint32 seed = 1; seed <= 6; ++seed) {
            QRandomGenerator random(seed * 7919);
            const QList<QByteArray> fromHost = samplePayloads(random, 15);
            const QList<QByteArray> fromDevice = samplePayloads(random, 15);
            Loopback loop(frameSize, seed);
            if (faultyFrom & HostToDevice)
                loop.setFault(Host, Fault(fault), oneIn);
            if (faultyFrom & DeviceToHost)
                loop.setFault(Device, Fault(fault), oneIn);

            QVERIFY2(loop.run(fromHost, fromDevice),
                     qPrintable(QStringLiteral("seed %1\n%2").arg(seed).arg(loop.recentEvents())));
            // Everything arrives, whole and in order; nothing damaged is taken as good.
            QCOMPARE(withoutRepeats(loop.received[Device]), fromHost);
            QCOMPARE(withoutRepeats(loop.received[Host]), fromDevice);
            QCOMPARE(loop.finished[Host], fromHost);
            QCOMPARE(loop.finished[Device], fromDevice);
            repeats += loop.received[Device].size() - fromHost.size() + loop.received[Host].size() -
                       fromDevice.size();
            faults += loop.dropped + loop.corrupted;
            frames += loop.delivered;
        }
        QCOMPARE(log.unexpected(LogCapture::transferWarnings()), QStringList());
    }
    qInfo() << frames << "frames delivered," << faults << "lost or damaged," << repeats
            << "payloads delivered twice";
}

void TestTPLoopback::runsOnTheEventLoop()
{
    // The way connections use the manager: queued signals, its own timer.
    TPManager host(TPManager::BleFrameSize, nullptr, 40);
    TPManager device(TPManager::BleFrameSize, nullptr, 40);
    int sentFrames = 0;
    connect(&host, &TPManager::sendTPData, &device, [&](const QByteArray &frame) {
        // Every fifth frame of the host is lost: the device's time-outs must not matter.
        if (++sentFrames % 5 != 0)
            QMetaObject::invokeMethod(&device, "receiveTPData", Qt::QueuedConnection,
                                      Q_ARG(QByteArray, frame));
    });
    connect(&device, &TPManager::sendTPData, &host, &TPManager::receiveTPData,
            Qt::QueuedConnection);
    QSignalSpy received(&device, &TPManager::payload);
    QSignalSpy finished(&host, &TPManager::transferSessionFinished);

    QRandomGenerator random(5);
    const QList<QByteArray> payloads = samplePayloads(random, 8);
    LogCapture log;
    for (const QByteArray &payload : payloads)
        host.sendPayload(payload);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), payloads.size(), 20000);
    QList<QByteArray> got;
    for (const QList<QVariant> &arguments : qAsConst(received))
        got.append(arguments.at(0).toByteArray());
    QCOMPARE(withoutRepeats(got), payloads);
    QCOMPARE(log.unexpected(LogCapture::transferWarnings()), QStringList());
}

QTEST_GUILESS_MAIN(TestTPLoopback)
#include "tst_tploopback.moc"
