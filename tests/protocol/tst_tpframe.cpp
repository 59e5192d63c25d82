#include "protocol/tpframe.h"

#include <QtTest>

namespace {

QByteArray payloadWithEscapesAt(int size, const QList<int> &positions)
{
    QByteArray payload(size, '\x11');
    for (int pos : positions)
        payload[pos] = '\x7e';
    return payload;
}

QList<int> sizesOf(const QList<QByteArray> &chunks)
{
    QList<int> sizes;
    for (const QByteArray &chunk : chunks)
        sizes.append(chunk.size());
    return sizes;
}

} // namespace

class TestTPFrame : public QObject
{
    Q_OBJECT

private slots:
    void checksums_data();
    void checksums();
    void checkField_data();
    void checkField();
    void ids_data();
    void ids();
    void escaping();
    void chunking_data();
    void chunking();
    void frameLayouts();
    void announcementRoundTrip_data();
    void announcementRoundTrip();
    void checkValueReading();
    void truncatedFramesAreRejected();
};

void TestTPFrame::checksums_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc8");
    QTest::addColumn<quint32>("crc32");

    QTest::newRow("check string") << QByteArray("123456789") << 0xF4 << quint32(0xCBF43926);
    QTest::newRow("empty") << QByteArray() << 0x00 << quint32(0);
    QTest::newRow("one zero byte") << QByteArray(1, '\0') << 0x00 << quint32(0xD202EF8D);
    QTest::newRow("frame header") << QByteArray::fromHex("7e0171") << 0x0E << quint32(0x9F37ECA3);
}

void TestTPFrame::checksums()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc8);
    QFETCH(quint32, crc32);
    QCOMPARE(int(TPFrame::crc8(bytes)), crc8);
    QCOMPARE(TPFrame::crc32(bytes), crc32);
}

void TestTPFrame::checkField_data()
{
    QTest::addColumn<int>("crc");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("start byte") << 0x7E << QByteArray::fromHex("7d5e");
    QTest::newRow("escape byte") << 0x7D << QByteArray::fromHex("7d5d");
    QTest::newRow("plain") << 0x10 << QByteArray::fromHex("1000");
    QTest::newRow("zero") << 0x00 << QByteArray::fromHex("0000");
}

void TestTPFrame::checkField()
{
    QFETCH(int, crc);
    QFETCH(QByteArray, field);
    QCOMPARE(TPFrame::checkField(quint8(crc)), field);
}

void TestTPFrame::ids_data()
{
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("next");

    QTest::newRow("first") << 0x00 << 0x01;
    QTest::newRow("0x7B") << 0x7B << 0x7C;
    QTest::newRow("0x7C skips the escape and start bytes") << 0x7C << 0x7F;
    QTest::newRow("0x7F") << 0x7F << 0x80;
    QTest::newRow("wrap") << 0xFF << 0x00;
}

void TestTPFrame::ids()
{
    QFETCH(int, previous);
    QFETCH(int, next);
    QCOMPARE(int(TPFrame::nextId(quint8(previous))), next);
}

void TestTPFrame::escaping()
{
    const QByteArray raw = QByteArray::fromHex("017e7d7e027d");
    const QByteArray escaped = QByteArray::fromHex("017d5e7d5d7d5e027d5d");
    QCOMPARE(TPFrame::escape(raw), escaped);
    QCOMPARE(TPFrame::unescape(escaped), raw);
    QCOMPARE(TPFrame::countEscapedBytes(raw), 4);

    QByteArray every(256, '\0');
    for (int i = 0; i < every.size(); ++i)
        every[i] = char(i);
    QCOMPARE(TPFrame::unescape(TPFrame::escape(every)), every);
    QCOMPARE(TPFrame::escape(every).size(), 258);
}

void TestTPFrame::chunking_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QList<int>>("sizes");

    QTest::newRow("10 bytes over USB") << QByteArray(10, 'a') << 58 << QList<int>{10};
    QTest::newRow("58 bytes over USB") << QByteArray(58, 'a') << 58 << QList<int>{58};
    QTest::newRow("70 bytes over USB") << QByteArray(70, 'a') << 58 << QList<int>{58, 12};
    QTest::newRow("70 bytes over BLE")
        << QByteArray(70, 'a') << 14 << QList<int>{14, 14, 14, 14, 14};
    QTest::newRow("100 bytes, two escapes early, over USB")
        << payloadWithEscapesAt(100, {3, 40}) << 58 << QList<int>{56, 44};
    QTest::newRow("escapes push a small payload into two chunks")
        << payloadWithEscapesAt(57, {0, 1}) << 58 << QList<int>{55, 2};
    QTest::newRow("nothing but escapes over USB")
        << QByteArray(100, '\x7d') << 58 << QList<int>{29, 29, 29, 13};
    QTest::newRow("nothing but escapes over BLE")
        << QByteArray(20, '\x7e') << 14 << QList<int>{7, 7, 6};
    QTest::newRow("escapes at the end of the window")
        << payloadWithEscapesAt(30, {12, 13}) << 14 << QList<int>{12, 12, 6};
}

void TestTPFrame::chunking()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, capacity);
    QFETCH(QList<int>, sizes);

    const QList<QByteArray> chunks = TPFrame::splitIntoChunks(payload, capacity);
    QCOMPARE(sizesOf(chunks), sizes);
    QByteArray joined;
    for (const QByteArray &chunk : chunks) {
        QVERIFY(TPFrame::escape(chunk).size() <= capacity);
        joined += chunk;
    }
    QCOMPARE(joined, payload);
}

void TestTPFrame::frameLayouts()
{
    const QByteArray ack = TPFrame::shortFrame(0x05, TPFrame::Ack);
    QCOMPARE(ack.left(3), QByteArray::fromHex("7e0571"));
    QCOMPARE(ack.mid(3), TPFrame::checkField(TPFrame::crc8(ack.left(3))));
    QCOMPARE(ack.size(), 5);

    const QByteArray payload = QByteArray::fromHex("0200000000");
    const QByteArray announcement = TPFrame::announcement(0x01, payload);
    QCOMPARE(TPFrame::crc32(payload), quint32(0xBCE2A47D));
    // Size 5 and the checksum little-endian, its 0x7D byte escaped.
    QByteArray expected = QByteArray::fromHex("7e017005007d5da4e2bc");
    expected += TPFrame::checkField(TPFrame::crc8(expected));
    QCOMPARE(announcement, expected);

    const QByteArray chunk = TPFrame::dataChunk(0x7F, QByteArray::fromHex("7e01"));
    QByteArray expectedChunk = QByteArray::fromHex("7e7f73027d5e01");
    expectedChunk += TPFrame::checkField(TPFrame::crc8(expectedChunk));
    QCOMPARE(chunk, expectedChunk);
    const auto parsed = TPFrame::parseDataChunk(chunk + QByteArray(20, '\0')); // BLE padding
    QVERIFY(parsed);
    QCOMPARE(int(parsed->length), 2);
    QCOMPARE(TPFrame::unescape(parsed->escaped), QByteArray::fromHex("7e01"));
}

void TestTPFrame::announcementRoundTrip_data()
{
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("action") << QByteArray::fromHex("0200000000");
    QTest::newRow("size with an escape byte") << QByteArray(0x7E, 'x');
    QTest::newRow("size 0x7d7e") << QByteArray(0x7E7D, 'y');
}

void TestTPFrame::announcementRoundTrip()
{
    QFETCH(QByteArray, payload);
    const QByteArray frame = TPFrame::announcement(0x33, payload);
    QVERIFY(frame.size() <= 20);
    const auto announced = TPFrame::parseAnnouncement(frame);
    QVERIFY(announced);
    QCOMPARE(int(announced->size), payload.size());
    QCOMPARE(announced->crc32, TPFrame::crc32(payload));
}

void TestTPFrame::checkValueReading()
{
    QByteArray header = QByteArray::fromHex("7e0974");
    const quint8 crc = TPFrame::crc8(header);
    QVERIFY(TPFrame::hasValidShortCheck(header + char(crc)));          // one byte is enough
    QVERIFY(TPFrame::hasValidShortCheck(header + char(crc) + '\x55')); // anything may follow
    QVERIFY(!TPFrame::hasValidShortCheck(header + char(crc ^ 1) + '\0'));
    QVERIFY(!TPFrame::hasValidShortCheck(header + QByteArray::fromHex("7d"))); // field cut off

    // A check value of 0x7E travels escaped.
    QByteArray frame;
    for (int id = 0; id < 256; ++id) {
        frame = QByteArray::fromHex("7e0071");
        frame[1] = char(id);
        if (TPFrame::crc8(frame) == 0x7E)
            break;
    }
    QCOMPARE(TPFrame::crc8(frame), quint8(0x7E));
    QVERIFY(TPFrame::hasValidShortCheck(frame + QByteArray::fromHex("7d5e")));
    QVERIFY(!TPFrame::hasValidShortCheck(frame + QByteArray::fromHex("7d5f")));
}

void TestTPFrame::truncatedFramesAreRejected()
{
    const QByteArray announcement =
        TPFrame::announcement(0x10, QByteArray(0x7E, '\x7d')); // escaped size field
    const QByteArray chunk = TPFrame::dataChunk(0x11, QByteArray::fromHex("7d7e7d7e0102"));
    for (int size = 0; size < announcement.size() - 1; ++size)
        QVERIFY2(!TPFrame::parseAnnouncement(announcement.left(size)),
                 qPrintable(QString::number(size)));
    for (int size = 0; size < chunk.size() - 1; ++size)
        QVERIFY2(!TPFrame::parseDataChunk(chunk.left(size)), qPrintable(QString::number(size)));
    QVERIFY(TPFrame::parseAnnouncement(announcement.left(announcement.size() - 1)));
    QVERIFY(TPFrame::parseDataChunk(chunk.left(chunk.size() - 1)));
}

QTEST_GUILESS_MAIN(TestTPFrame)
#include "tst_tpframe.moc"
