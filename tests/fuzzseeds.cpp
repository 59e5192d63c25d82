// Replays a fuzz target's seed inputs in every run of the suite, without
// clang or libFuzzer: the shapes of input the fuzzer starts from keep being
// checked, and the target keeps compiling as the code under it changes.
#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

class TestFuzzSeeds : public QObject
{
    Q_OBJECT

private slots:
    void seedPasses_data();
    void seedPasses();
};

void TestFuzzSeeds::seedPasses_data()
{
    QTest::addColumn<QString>("path");
    const QDir seeds(QStringLiteral(FUZZ_SEEDS_DIR));
    const QStringList names = seeds.entryList(QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << seeds.filePath(name);
}

void TestFuzzSeeds::seedPasses()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray seed = file.readAll();
    QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(seed.constData()),
                                    size_t(seed.size())),
             0);
}

QTEST_GUILESS_MAIN(TestFuzzSeeds)
#include "fuzzseeds.moc"
