// Replays the ".plf" fuzzer's seeds, so that every run of the suite reads
// the shapes of file the fuzzer starts from, without clang or libFuzzer.
#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

class TestPlfSeeds : public QObject
{
    Q_OBJECT

private slots:
    void seedReadsBack_data();
    void seedReadsBack();
};

void TestPlfSeeds::seedReadsBack_data()
{
    QTest::addColumn<QString>("path");
    const QDir seeds(QStringLiteral(PLF_SEEDS_DIR));
    const QStringList names = seeds.entryList(QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << seeds.filePath(name);
}

void TestPlfSeeds::seedReadsBack()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray seed = file.readAll();
    QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(seed.constData()),
                                    size_t(seed.size())),
             0);
}

QTEST_GUILESS_MAIN(TestPlfSeeds)
#include "tst_plfseeds.moc"
