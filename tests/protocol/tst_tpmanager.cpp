#include "protocol/ctpmanager.h"
#include "protocol/tpframe.h"

#include "logcapture.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Long enough never to fire during a test: time-outs are driven by calling timeout().
constexpr int NeverMs = 600000;

QByteArray payloadWithEscapesAt(int size, const QList<int> &positions)
{
    QByteArray payload(size, '\x11');
    for (int pos : positions)
        payload[pos] = '\x7e';
    return payload;
}

QByteArray numbered(int size, int seed)
{
    QByteArray payload(size, '\0');
    for (int i = 0; i < size; ++i)
        payload[i] = char(seed + i * 7);
    return payload;
}

QByteArray ack(quint8 id)
{
    return TPFrame::shortFrame(id, TPFrame::Ack);
}

QByteArray nack(quint8 id)
{
    return TPFrame::shortFrame(id, TPFrame::Nack);
}

QByteArray complete(quint8 id)
{
    return TPFrame::shortFrame(id, TPFrame::PayloadComplete);
}

// The frames a peer sends for one payload: its announcement, then its chunks.
QList<QByteArray> peerFrames(const QByteArray &payload, int frameSize, quint8 firstId)
{
    QList<QByteArray> frames{TPFrame::announcement(firstId, payload)};
    quint8 id = firstId;
    const auto chunks = TPFrame::splitIntoChunks(payload, frameSize - TPFrame::ChunkOverhead);
    for (const QByteArray &chunk : chunks) {
        id = TPFrame::nextId(id);
        frames.append(TPFrame::dataChunk(id, chunk));
    }
    return frames;
}

QByteArray withBadCheck(QByteArray frame)
{
    frame[frame.size() - 2] = char(frame.at(frame.size() - 2) ^ 0x01);
    if (quint8(frame.at(frame.size() - 2)) == TPFrame::EscapeByte)
        frame[frame.size() - 2] = char(frame.at(frame.size() - 2) ^ 0x02);
    return frame;
}

// One manager and everything it emits.
class Probe
{
public:
    explicit Probe(int frameSize)
        : manager(frameSize, nullptr, NeverMs)
        , sent(&manager, &TPManager::sendTPData)
        , received(&manager, &TPManager::payload)
        , finished(&manager, &TPManager::transferSessionFinished)
        , busy(&manager, &TPManager::deviceBusy)
    {}

    QList<QByteArray> takeSent()
    {
        QList<QByteArray> frames;
        while (!sent.isEmpty())
            frames.append(sent.takeFirst().at(0).toByteArray());
        return frames;
    }

    // Plays the peer for the payload whose announcement was just sent:
    // acknowledges every frame, confirms the payload, and returns the
    // manager's frames in order.
    QList<QByteArray> acceptPayload()
    {
        QList<QByteArray> frames = takeSent();
        if (frames.size() != 1 || TPFrame::kindOf(frames.first()) != TPFrame::Announcement)
            return frames;
        int remaining = TPFrame::parseAnnouncement(frames.first())->size;
        quint8 id = TPFrame::idOf(frames.first());
        while (remaining > 0) {
            manager.receiveTPData(ack(id));
            const QList<QByteArray> answer = takeSent();
            frames += answer;
            if (answer.size() != 1 || !TPFrame::isDataChunk(answer.first()))
                return frames;
            id = TPFrame::idOf(answer.first());
            remaining -= TPFrame::parseDataChunk(answer.first())->length;
        }
        manager.receiveTPData(complete(id));
        return frames;
    }

    TPManager manager;
    QSignalSpy sent;
    QSignalSpy received;
    QSignalSpy finished;
    QSignalSpy busy;
};

QByteArray payloadOf(const QSignalSpy &spy, int index)
{
    return spy.at(index).at(0).toByteArray();
}

} // namespace

class TestTPManager : public QObject
{
    Q_OBJECT

private slots:
    void sendsAPayloadInChunks_data();
    void sendsAPayloadInChunks();
    void idsSkipEscapeBytesAndWrap();
    void queuedPayloadsFollowInOrder();
    void receivesAPayload_data();
    void receivesAPayload();
    void repeatedChunkIsAnsweredAgainNotCounted();
    void badFramesAreDropped_data();
    void badFramesAreDropped();
    void damagedFramesAreRefused_data();
    void damagedFramesAreRefused();
    void refusalsStopAfterThreeAndKeepTheQueue();
    void refusalRepeatsTheLastFrame();
    void deviceBusyDropsEverything();
    void chunkIsResentThreeTimesThenPayloadStartsAgain();
    void unansweredAnnouncementIsRepeatedWithFreshIds();
    void payloadOfferedWhileAChunkIsRetriedWaits();
    void transfersCrossingEachOther();
    void lateAcknowledgementSendsNothing();
    void acknowledgedLastChunkStartsThePayloadAgain();
    void confirmationBeforeTheLastChunkIsIgnored();
    void payloadFailingItsChecksumIsNotConfirmed();
    void chunksOutsideAnAnnouncedPayloadAreDropped();
    void newAnnouncementDiscardsAPartialPayload();
    void unsendablePayloadsAreRefused();
    void randomInputNeverBreaksTheManager();
};

void TestTPManager::sendsAPayloadInChunks_data()
{
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QList<int>>("chunkSizes");

    QTest::newRow("10 bytes over USB") << 64 << numbered(10, 1) << QList<int>{10};
    QTest::newRow("70 bytes over USB") << 64 << numbered(70, 1) << QList<int>{58, 12};
    QTest::newRow("70 bytes over BLE") << 20 << numbered(70, 1) << QList<int>{14, 14, 14, 14, 14};
    QTest::newRow("100 bytes, two escapes early, over USB")
        << 64 << payloadWithEscapesAt(100, {0, 55}) << QList<int>{56, 44};
    QTest::newRow("only escapes over BLE")
        << 20 << QByteArray(30, '\x7d') << QList<int>{7, 7, 7, 7, 2};
    QTest::newRow("action of five bytes")
        << 20 << QByteArray::fromHex("0200000000") << QList<int>{5};
}

void TestTPManager::sendsAPayloadInChunks()
{
    QFETCH(int, frameSize);
    QFETCH(QByteArray, payload);
    QFETCH(QList<int>, chunkSizes);
    Probe probe(frameSize);

    probe.manager.sendPayload(payload);
    const QList<QByteArray> frames = probe.acceptPayload();
    QCOMPARE(frames.size(), 1 + chunkSizes.size());

    const auto announced = TPFrame::parseAnnouncement(frames.first());
    QVERIFY(announced);
    QCOMPARE(int(announced->size), payload.size());
    QCOMPARE(announced->crc32, TPFrame::crc32(payload));
    QCOMPARE(int(TPFrame::idOf(frames.first())), 1);
    QByteArray joined;
    for (int i = 0; i < chunkSizes.size(); ++i) {
        const QByteArray &frame = frames.at(i + 1);
        QVERIFY(frame.size() <= frameSize);
        QCOMPARE(TPFrame::idOf(frame), TPFrame::nextId(TPFrame::idOf(frames.at(i))));
        const auto chunk = TPFrame::parseDataChunk(frame);
        QVERIFY(chunk);
        QCOMPARE(int(chunk->length), chunkSizes.at(i));
        joined += TPFrame::unescape(chunk->escaped);
    }
    QCOMPARE(joined, payload);
    QCOMPARE(probe.finished.count(), 1);
    QCOMPARE(payloadOf(probe.finished, 0), payload);
    QVERIFY(probe.takeSent().isEmpty());
}

void TestTPManager::idsSkipEscapeBytesAndWrap()
{
    Probe probe(TPManager::BleFrameSize);
    probe.manager.sendPayload(QByteArray(14 * 300, 'a')); // 300 chunks over BLE
    const QList<QByteArray> frames = probe.acceptPayload();
    QCOMPARE(frames.size(), 301);

    QList<int> ids;
    for (const QByteArray &frame : frames)
        ids.append(TPFrame::idOf(frame));
    QVERIFY(!ids.contains(0x7D));
    QVERIFY(!ids.contains(0x7E));
    const int at7c = ids.indexOf(0x7C);
    QCOMPARE(ids.mid(at7c - 1, 4), (QList<int>{0x7B, 0x7C, 0x7F, 0x80}));
    const int atFf = ids.indexOf(0xFF);
    QCOMPARE(ids.mid(atFf, 3), (QList<int>{0xFF, 0x00, 0x01}));
    QCOMPARE(probe.finished.count(), 1);
}

void TestTPManager::queuedPayloadsFollowInOrder()
{
    Probe probe(TPManager::UsbFrameSize);
    const QList<QByteArray> payloads{numbered(10, 1), numbered(70, 2), numbered(3, 3)};
    for (const QByteArray &payload : payloads)
        probe.manager.sendPayload(payload);
    QCOMPARE(probe.sent.count(), 1); // the others wait

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Timeout: queued:  1 dequeued message:"));
    probe.acceptPayload();
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Timeout: queued:  0 dequeued message:"));
    probe.acceptPayload();
    probe.acceptPayload();
    QCOMPARE(probe.finished.count(), 3);
    for (int i = 0; i < payloads.size(); ++i)
        QCOMPARE(payloadOf(probe.finished, i), payloads.at(i));
    QVERIFY(probe.takeSent().isEmpty());
}

void TestTPManager::receivesAPayload_data()
{
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("10 bytes over USB") << 64 << numbered(10, 5);
    QTest::newRow("70 bytes over USB") << 64 << numbered(70, 5);
    QTest::newRow("70 bytes over BLE") << 20 << numbered(70, 5);
    QTest::newRow("escapes over BLE") << 20 << payloadWithEscapesAt(40, {0, 1, 13, 14, 39});
}

void TestTPManager::receivesAPayload()
{
    QFETCH(int, frameSize);
    QFETCH(QByteArray, payload);
    Probe probe(frameSize);
    const QList<QByteArray> frames = peerFrames(payload, frameSize, 0x40);

    for (int i = 0; i < frames.size(); ++i) {
        // BLE notifications arrive padded with zeros.
        probe.manager.receiveTPData(frames.at(i) +
                                    QByteArray(frameSize - frames.at(i).size(), '\0'));
        const bool last = i == frames.size() - 1;
        const QByteArray answer = TPFrame::shortFrame(
            TPFrame::idOf(frames.at(i)), last ? TPFrame::PayloadComplete : TPFrame::Ack);
        QCOMPARE(probe.takeSent(), QList<QByteArray>{answer});
    }
    QCOMPARE(probe.received.count(), 1);
    QCOMPARE(payloadOf(probe.received, 0), payload);
}

void TestTPManager::repeatedChunkIsAnsweredAgainNotCounted()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray payload = numbered(70, 9);
    const QList<QByteArray> frames = peerFrames(payload, TPManager::UsbFrameSize, 0x10);
    QCOMPARE(frames.size(), 3);
    probe.manager.receiveTPData(frames.at(0));
    probe.manager.receiveTPData(frames.at(1));
    probe.takeSent();

    // Our acknowledgement was lost: the peer repeats its chunk.
    probe.manager.receiveTPData(frames.at(1));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{ack(TPFrame::idOf(frames.at(1)))});
    probe.manager.receiveTPData(frames.at(2));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{complete(TPFrame::idOf(frames.at(2)))});
    QCOMPARE(probe.received.count(), 1);
    QCOMPARE(payloadOf(probe.received, 0), payload);

    // Our confirmation was lost: the peer repeats its last chunk and gets it again.
    probe.manager.receiveTPData(frames.at(2));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{complete(TPFrame::idOf(frames.at(2)))});
    QCOMPARE(probe.received.count(), 1);
}

void TestTPManager::badFramesAreDropped_data()
{
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("two bytes") << QByteArray::fromHex("7e01");
    QTest::newRow("no start byte") << QByteArray::fromHex("7f0171d400");
    QTest::newRow("kind below the range") << QByteArray::fromHex("7e016f0000");
    QTest::newRow("kind above the range") << QByteArray::fromHex("7e01760000");
    QTest::newRow("report of zeros") << QByteArray(64, '\0');
}

void TestTPManager::badFramesAreDropped()
{
    QFETCH(QByteArray, frame);
    Probe probe(TPManager::UsbFrameSize);
    probe.manager.sendPayload(numbered(10, 1));
    const QByteArray announcement = probe.takeSent().first();

    QTest::ignoreMessage(QtWarningMsg, "Bad frame received!");
    probe.manager.receiveTPData(frame);
    QVERIFY(probe.takeSent().isEmpty());
    // Nothing was disturbed: the transfer goes on.
    probe.manager.receiveTPData(ack(TPFrame::idOf(announcement)));
    QCOMPARE(probe.takeSent().size(), 1);
}

void TestTPManager::damagedFramesAreRefused_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("refusedId");
    QTest::addColumn<QString>("warning");

    const QList<QByteArray> peer = peerFrames(numbered(30, 2), 64, 0x20);
    QTest::newRow("announcement") << withBadCheck(peer.at(0)) << 0x20 << "Wrong [AckMes] frame CRC";
    QTest::newRow("truncated announcement")
        << peer.at(0).left(6) << 0x20 << "Wrong [AckMes] frame CRC";
    QTest::newRow("acknowledgement") << withBadCheck(ack(0x01)) << 0x01 << "Wrong [ACK] frame CRC";
    QTest::newRow("acknowledgement of another frame")
        << ack(0x09) << 0x01 << "Wrong ID in [ACK] frame";
    QTest::newRow("data chunk") << withBadCheck(peer.at(1)) << 0x21 << "Wrong [DATA_N] frame CRC";
    QTest::newRow("data chunk claiming more bytes than it has")
        << QByteArray::fromHex("7e21733a01020304") << 0x21 << "Wrong [DATA_N] frame CRC";
}

void TestTPManager::damagedFramesAreRefused()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, refusedId);
    QFETCH(QString, warning);
    Probe probe(TPManager::UsbFrameSize);
    probe.manager.sendPayload(numbered(10, 1)); // awaits the acknowledgement of id 1
    probe.takeSent();

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^" + QRegularExpression::escape(warning)));
    probe.manager.receiveTPData(frame);
    QCOMPARE(probe.takeSent(), QList<QByteArray>{nack(quint8(refusedId))});
}

void TestTPManager::refusalsStopAfterThreeAndKeepTheQueue()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray first = numbered(10, 1);
    const QByteArray queued = numbered(12, 2);
    probe.manager.sendPayload(first);
    probe.manager.sendPayload(queued);
    const quint8 announcementId = TPFrame::idOf(probe.takeSent().first());

    const QRegularExpression wrongCrc("^Wrong \\[ACK\\] frame CRC");
    for (int i = 0; i < 5; ++i)
        QTest::ignoreMessage(QtWarningMsg, wrongCrc);
    for (int i = 0; i < 3; ++i)
        probe.manager.receiveTPData(withBadCheck(ack(announcementId)));
    QCOMPARE(probe.takeSent(),
             (QList<QByteArray>{nack(announcementId), nack(announcementId), nack(announcementId)}));
    probe.manager.receiveTPData(withBadCheck(ack(announcementId)));
    QVERIFY(probe.takeSent().isEmpty()); // the fourth goes unanswered
    probe.manager.receiveTPData(withBadCheck(ack(announcementId)));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{nack(announcementId)}); // counting again

    // Both payloads still go out, in order.
    probe.sent.append(QVariantList{TPFrame::announcement(announcementId, first)});
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Timeout: queued:  0 dequeued message:"));
    probe.acceptPayload();
    probe.acceptPayload();
    QCOMPARE(probe.finished.count(), 2);
    QCOMPARE(payloadOf(probe.finished, 0), first);
    QCOMPARE(payloadOf(probe.finished, 1), queued);
}

void TestTPManager::refusalRepeatsTheLastFrame()
{
    Probe probe(TPManager::UsbFrameSize);
    probe.manager.sendPayload(numbered(70, 1));
    const QByteArray announcement = probe.takeSent().first();
    probe.manager.receiveTPData(nack(TPFrame::idOf(announcement)));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{announcement});

    probe.manager.receiveTPData(ack(TPFrame::idOf(announcement)));
    const QByteArray chunk = probe.takeSent().first();
    probe.manager.receiveTPData(nack(0x55)); // whatever it names
    QCOMPARE(probe.takeSent(), QList<QByteArray>{chunk});

    // A refusal is never answered with a refusal: both sides would bounce them for ever.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Wrong \\[ACK\\] frame CRC"));
    probe.manager.receiveTPData(withBadCheck(ack(TPFrame::idOf(chunk))));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{nack(TPFrame::idOf(chunk))});
    probe.manager.receiveTPData(nack(TPFrame::idOf(chunk)));
    QVERIFY(probe.takeSent().isEmpty());
}

void TestTPManager::deviceBusyDropsEverything()
{
    Probe probe(TPManager::UsbFrameSize);
    probe.manager.sendPayload(numbered(70, 1));
    probe.manager.sendPayload(numbered(10, 2));
    probe.manager.sendPayload(numbered(10, 3));
    probe.takeSent();

    probe.manager.receiveTPData(QByteArray::fromHex("7e0075"));
    QCOMPARE(probe.busy.count(), 1);
    probe.manager.timeout();
    QVERIFY(probe.takeSent().isEmpty());

    // A fresh start: ids from the beginning, nothing of the old payloads.
    const QByteArray next = numbered(5, 4);
    probe.manager.sendPayload(next);
    QCOMPARE(probe.acceptPayload().first(), TPFrame::announcement(1, next));
    QCOMPARE(probe.finished.count(), 1);
    QCOMPARE(payloadOf(probe.finished, 0), next);
    QCOMPARE(probe.busy.count(), 1);
}

void TestTPManager::chunkIsResentThreeTimesThenPayloadStartsAgain()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray payload = numbered(70, 1);
    probe.manager.sendPayload(payload);
    const QByteArray announcement = probe.takeSent().first();
    probe.manager.receiveTPData(ack(TPFrame::idOf(announcement)));
    const QByteArray chunk = probe.takeSent().first();

    for (int i = 0; i < 3; ++i) {
        probe.manager.timeout();
        QCOMPARE(probe.takeSent(), QList<QByteArray>{chunk});
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Timeout: resend last message: "));
    probe.manager.timeout();
    const QList<QByteArray> again = probe.takeSent();
    QCOMPARE(again.size(), 1);
    QCOMPARE(again.first(), TPFrame::announcement(
                                TPFrame::nextId(TPFrame::nextId(TPFrame::idOf(chunk))), payload));

    probe.sent.append(QVariantList{again.first()});
    probe.acceptPayload();
    QCOMPARE(probe.finished.count(), 1);
}

void TestTPManager::unansweredAnnouncementIsRepeatedWithFreshIds()
{
    Probe probe(TPManager::BleFrameSize);
    const QByteArray payload = numbered(10, 1);
    probe.manager.sendPayload(payload);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Timeout: resend last message: "));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Timeout: resend last message: "));
    probe.manager.timeout();
    probe.manager.timeout();
    QCOMPARE(probe.takeSent(), (QList<QByteArray>{TPFrame::announcement(1, payload),
                                                  TPFrame::announcement(2, payload),
                                                  TPFrame::announcement(3, payload)}));
}

void TestTPManager::payloadOfferedWhileAChunkIsRetriedWaits()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray first = numbered(70, 1);
    const QByteArray second = numbered(10, 2);
    probe.manager.sendPayload(first);
    probe.manager.receiveTPData(ack(TPFrame::idOf(probe.takeSent().first())));
    const QByteArray chunk = probe.takeSent().first();
    probe.manager.timeout(); // resends the chunk

    probe.manager.sendPayload(second);
    QCOMPARE(probe.takeSent(), QList<QByteArray>{chunk}); // only the resent chunk
    probe.manager.receiveTPData(ack(TPFrame::idOf(chunk)));
    const QByteArray lastChunk = probe.takeSent().first();
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Timeout: queued:  0 dequeued message:"));
    probe.manager.receiveTPData(complete(TPFrame::idOf(lastChunk)));
    probe.acceptPayload();
    QCOMPARE(probe.finished.count(), 2);
    QCOMPARE(payloadOf(probe.finished, 0), first);
    QCOMPARE(payloadOf(probe.finished, 1), second);
}

void TestTPManager::transfersCrossingEachOther()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray ours = numbered(70, 1);
    const QByteArray theirs = numbered(20, 2);
    probe.manager.sendPayload(ours);
    probe.manager.receiveTPData(ack(TPFrame::idOf(probe.takeSent().first())));
    const QByteArray firstChunk = probe.takeSent().first();
    probe.manager.receiveTPData(ack(TPFrame::idOf(firstChunk)));
    const QByteArray lastChunk = probe.takeSent().first();

    // The peer starts its own payload meanwhile; our acknowledgements of it
    // must not cost the progress of ours when a frame goes missing.
    const QList<QByteArray> frames = peerFrames(theirs, TPManager::UsbFrameSize, 0x60);
    probe.manager.receiveTPData(frames.at(0));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{ack(0x60)});
    probe.manager.timeout();
    QCOMPARE(probe.takeSent(), QList<QByteArray>{lastChunk});

    // Once their payload is complete, ours starts again from an announcement.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Timeout: resend last message: "));
    probe.manager.receiveTPData(frames.at(1));
    const QList<QByteArray> answer = probe.takeSent();
    QCOMPARE(answer.size(), 2);
    QCOMPARE(answer.at(0), complete(TPFrame::idOf(frames.at(1))));
    QCOMPARE(TPFrame::kindOf(answer.at(1)), TPFrame::Announcement);
    QCOMPARE(probe.received.count(), 1);

    // The peer had everything already: its confirmation of the first attempt
    // finishes ours, and the acknowledgement of the new announcement changes nothing.
    probe.manager.receiveTPData(complete(TPFrame::idOf(lastChunk)));
    probe.manager.receiveTPData(ack(TPFrame::idOf(answer.at(1))));
    QVERIFY(probe.takeSent().isEmpty());
    QCOMPARE(probe.finished.count(), 1);
    QCOMPARE(payloadOf(probe.finished, 0), ours);
}

void TestTPManager::lateAcknowledgementSendsNothing()
{
    Probe probe(TPManager::UsbFrameSize);
    probe.manager.sendPayload(numbered(10, 1));
    const QList<QByteArray> frames = probe.acceptPayload();
    QCOMPARE(probe.finished.count(), 1);

    // Without a payload there is nothing to chunk: no empty chunks bouncing for ever.
    probe.manager.receiveTPData(ack(TPFrame::idOf(frames.last())));
    QVERIFY(probe.takeSent().isEmpty());
}

void TestTPManager::acknowledgedLastChunkStartsThePayloadAgain()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray payload = numbered(10, 1);
    probe.manager.sendPayload(payload);
    probe.manager.receiveTPData(ack(TPFrame::idOf(probe.takeSent().first())));
    const QByteArray chunk = probe.takeSent().first();

    // The peer lost count of the bytes: chunks alone would never set it straight.
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^\\[ACK\\] after the last \\[Data\\] frame"));
    probe.manager.receiveTPData(ack(TPFrame::idOf(chunk)));
    QCOMPARE(probe.takeSent(), QList<QByteArray>{TPFrame::announcement(
                                   TPFrame::nextId(TPFrame::idOf(chunk)), payload)});
}

void TestTPManager::confirmationBeforeTheLastChunkIsIgnored()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray payload = numbered(70, 1);
    probe.manager.sendPayload(payload);
    const quint8 announcementId = TPFrame::idOf(probe.takeSent().first());
    probe.manager.receiveTPData(complete(announcementId)); // left over from an earlier payload
    probe.manager.receiveTPData(ack(announcementId));
    const QByteArray firstChunk = probe.takeSent().first();
    probe.manager.receiveTPData(complete(TPFrame::idOf(firstChunk)));
    QCOMPARE(probe.finished.count(), 0);

    probe.manager.receiveTPData(ack(TPFrame::idOf(firstChunk)));
    const QByteArray lastChunk = probe.takeSent().first();
    probe.manager.receiveTPData(complete(TPFrame::idOf(lastChunk)));
    QCOMPARE(probe.finished.count(), 1);
}

void TestTPManager::payloadFailingItsChecksumIsNotConfirmed()
{
    Probe probe(TPManager::UsbFrameSize);
    const QByteArray payload = numbered(20, 1);
    QList<QByteArray> frames = peerFrames(payload, TPManager::UsbFrameSize, 0x30);
    QByteArray other = payload;
    other[7] = char(other.at(7) ^ 0x40);
    frames[1] = peerFrames(other, TPManager::UsbFrameSize, 0x30).at(1); // same size, other bytes

    probe.manager.receiveTPData(frames.at(0));
    probe.takeSent();
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Received data CRC-32 doesn't equal value defined"));
    probe.manager.receiveTPData(frames.at(1));
    QVERIFY(probe.takeSent().isEmpty()); // the peer will send it again
    QCOMPARE(probe.received.count(), 0);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^\\[DATA_N\\] frame without \\[AckMes\\]"));
    probe.manager.receiveTPData(frames.at(1)); // a repeat is not confirmed either
    QVERIFY(probe.takeSent().isEmpty());

    const QList<QByteArray> again = peerFrames(payload, TPManager::UsbFrameSize, 0x40);
    for (const QByteArray &frame : again)
        probe.manager.receiveTPData(frame);
    QCOMPARE(probe.received.count(), 1);
    QCOMPARE(payloadOf(probe.received, 0), payload);
}

void TestTPManager::chunksOutsideAnAnnouncedPayloadAreDropped()
{
    Probe probe(TPManager::BleFrameSize);
    const QList<QByteArray> frames = peerFrames(numbered(20, 1), TPManager::BleFrameSize, 0x30);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^\\[DATA_N\\] frame without \\[AckMes\\]"));
    probe.manager.receiveTPData(frames.at(1));
    QVERIFY(probe.takeSent().isEmpty());

    // More bytes than announced: the payload is abandoned instead of never completing.
    probe.manager.receiveTPData(peerFrames(numbered(10, 1), TPManager::BleFrameSize, 0x30).at(0));
    probe.takeSent();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^\\[DATA_N\\] frame beyond the size"));
    probe.manager.receiveTPData(frames.at(1)); // 14 bytes
    QVERIFY(probe.takeSent().isEmpty());
    QCOMPARE(probe.received.count(), 0);
}

void TestTPManager::newAnnouncementDiscardsAPartialPayload()
{
    Probe probe(TPManager::BleFrameSize);
    const QByteArray payload = numbered(40, 1);
    const QList<QByteArray> abandoned = peerFrames(payload, TPManager::BleFrameSize, 0x10);
    probe.manager.receiveTPData(abandoned.at(0));
    probe.manager.receiveTPData(abandoned.at(1));

    // The peer starts the payload again from a new announcement.
    for (const QByteArray &frame : peerFrames(payload, TPManager::BleFrameSize, 0x20))
        probe.manager.receiveTPData(frame);
    QCOMPARE(probe.received.count(), 1);
    QCOMPARE(payloadOf(probe.received, 0), payload);
}

void TestTPManager::unsendablePayloadsAreRefused()
{
    Probe probe(TPManager::UsbFrameSize);
    probe.manager.sendPayload(QByteArray());
    QTest::ignoreMessage(QtWarningMsg,
                         "Message too long for the transfer protocol, dropped: 65536 bytes");
    probe.manager.sendPayload(QByteArray(0x10000, 'x'));
    QVERIFY(probe.takeSent().isEmpty());

    probe.manager.sendPayload(QByteArray(0xFFFF, 'x'));
    QCOMPARE(probe.acceptPayload().size(), 1 + (0xFFFF + 57) / 58);
    QCOMPARE(probe.finished.count(), 1);
}

void TestTPManager::randomInputNeverBreaksTheManager()
{
    // Streams of random bytes and of damaged genuine frames, with time-outs and
    // new payloads in between: the manager must neither crash nor emit an
    // oversized frame nor deliver anything but the genuine payload.
    QRandomGenerator random(77031);
    const QByteArray genuine = numbered(90, 4);
    LogCapture log;
    for (int round = 0; round < 400; ++round) {
        const int frameSize = round % 2 ? TPManager::UsbFrameSize : TPManager::BleFrameSize;
        Probe probe(frameSize);
        const QList<QByteArray> frames =
            peerFrames(genuine, frameSize, quint8(random.bounded(256)));
        for (int step = 0; step < 60; ++step) {
            QByteArray input;
            switch (random.bounded(4)) {
            case 0:
                input.resize(int(random.bounded(70)));
                for (char &byte : input)
                    byte = char(random.bounded(256));
                break;
            case 1:
                input = frames.at(int(random.bounded(frames.size())));
                input[int(random.bounded(input.size()))] = char(random.bounded(256));
                break;
            case 2:
                input = frames.at(int(random.bounded(frames.size())));
                input.truncate(int(random.bounded(input.size())));
                break;
            default:
                input = QByteArray::fromHex("7e");
                input.append(char(random.bounded(256))).append(char(0x70 + random.bounded(6)));
                input.append(char(random.bounded(256))).append(char(random.bounded(256)));
            }
            probe.manager.receiveTPData(input);
            if (random.bounded(10) == 0)
                probe.manager.timeout();
            if (random.bounded(20) == 0)
                probe.manager.sendPayload(numbered(int(random.bounded(1, 200)), step));
        }
        for (const QByteArray &frame : probe.takeSent())
            QVERIFY(frame.size() <= frameSize);
        for (int i = 0; i < probe.received.count(); ++i)
            QCOMPARE(payloadOf(probe.received, i), genuine);
    }
    QCOMPARE(log.unexpected(LogCapture::transferWarnings()), QStringList());
}

QTEST_GUILESS_MAIN(TestTPManager)
#include "tst_tpmanager.moc"
