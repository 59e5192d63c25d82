#include "bleframeassembler.h"

#include <QtTest>

namespace {
// A frame of the BLE size: the start byte and a distinct filler.
QByteArray frame(char fill)
{
    return QByteArray(1, BleFrameAssembler::FrameStart) +
           QByteArray(BleFrameAssembler::FrameSize - 1, fill);
}
} // namespace

class TestBleFrameAssembler : public QObject
{
    Q_OBJECT

private slots:
    void reassembly_data();
    void reassembly();
    void untrustedStreamStaysBounded_data();
    void untrustedStreamStaysBounded();
};

void TestBleFrameAssembler::reassembly_data()
{
    QTest::addColumn<QList<QByteArray>>("notifications");
    // One entry per notification: the frame it completes, or empty.
    QTest::addColumn<QList<QByteArray>>("frames");

    const QByteArray a = frame('a');
    const QByteArray b = frame('b');
    QTest::newRow("one whole frame") << QList<QByteArray>{a} << QList<QByteArray>{a};
    QTest::newRow("two halves") << QList<QByteArray>{a.left(10), a.mid(10)}
                                << QList<QByteArray>{{}, a};
    QTest::newRow("bytes before the start are dropped")
        << QList<QByteArray>{QByteArray("xyz") + a.left(5), a.mid(5)} << QList<QByteArray>{{}, a};
    QTest::newRow("two frames in one notification: one per notification")
        << QList<QByteArray>{a + b, QByteArray()} << QList<QByteArray>{a, b};
    QTest::newRow("a frame's tail starts the next one")
        << QList<QByteArray>{a + b.left(7), b.mid(7)} << QList<QByteArray>{a, b};
    QTest::newRow("19 bytes without a start byte never make a frame")
        << QList<QByteArray>{QByteArray(19, 'q'), QByteArray(1, 'q'), a}
        << QList<QByteArray>{{}, {}, a};
    QTest::newRow("stray bytes after an incomplete frame wait for it")
        << QList<QByteArray>{a.left(3), a.mid(3, 10), a.mid(13)} << QList<QByteArray>{{}, {}, a};
}

void TestBleFrameAssembler::reassembly()
{
    QFETCH(QList<QByteArray>, notifications);
    QFETCH(QList<QByteArray>, frames);
    BleFrameAssembler assembler;

    for (int i = 0; i < notifications.size(); ++i)
        QCOMPARE(assembler.append(notifications.at(i)), frames.at(i));
}

void TestBleFrameAssembler::untrustedStreamStaysBounded_data()
{
    QTest::addColumn<QByteArray>("notification");
    // Backlogs dropped over ten such notifications.
    QTest::addColumn<int>("drops");

    QTest::newRow("no start byte at all") << QByteArray(64, 'x') << 0;
    QTest::newRow("a start byte and endless data") << QByteArray(64, '~') << 2;
    QTest::newRow("more whole frames than are taken") << frame('a') + frame('b') + frame('c') << 1;
}

void TestBleFrameAssembler::untrustedStreamStaysBounded()
{
    QFETCH(QByteArray, notification);
    QFETCH(int, drops);
    BleFrameAssembler assembler;
    for (int i = 0; i < drops; ++i)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("receive backlog")));

    for (int i = 0; i < 10; ++i) {
        assembler.append(notification);
        QVERIFY2(assembler.buffer().size() <= BleFrameAssembler::MaxBufferedBytes,
                 qPrintable(QString::number(assembler.buffer().size())));
    }

    // The stream goes on after a dropped backlog: a whole frame still arrives.
    assembler.clear();
    QCOMPARE(assembler.append(frame('z')), frame('z'));
}

QTEST_GUILESS_MAIN(TestBleFrameAssembler)
#include "tst_bleframeassembler.moc"
