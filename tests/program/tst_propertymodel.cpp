#include "program/programv1.h"
#include "program/programv3.h"
#include "program/propertymodel.h"

#include "programfixtures.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

using namespace Fixtures;

namespace {

// Each row as "name|value|time|temp|isHeader".
QStringList rowsOf(const PropertyModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList entries;
        for (int role = PropertyModel::PropertyNameRole;
             role <= PropertyModel::PropertyIsHeaderRole; ++role)
            entries.append(model.data(model.index(row, 0), role).toString());
        rows.append(entries.join(QLatin1Char('|')));
    }
    return rows;
}

const QStringList pcrRows{QStringLiteral("Initial denaturation||120 s|94.0\u00B0C|"),
                          QStringLiteral("Denaturation||30 s|94.0\u00B0C|"),
                          QStringLiteral("Annealing||30 s|60.0\u00B0C|"),
                          QStringLiteral("Extension||30 s|72.0\u00B0C|"),
                          QStringLiteral("Number of cycles|30|||"),
                          QStringLiteral("Final extension||60 s|72.0\u00B0C|")};

const QStringList touchdownRows{QStringLiteral("Denaturation||30 s|95.0\u00B0C|"),
                                QStringLiteral("Annealing||30 s|60.0\u00B0C|"),
                                QStringLiteral("Annealing end| ||50.0\u00B0C|"),
                                QStringLiteral("Extension||30 s|72.0\u00B0C|"),
                                QStringLiteral("Extension end|60 s|||"),
                                QStringLiteral("Number of cycles|11|||")};

} // namespace

class TestPropertyModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void rowsOfPrograms_data();
    void rowsOfPrograms();
    void durationText_data();
    void durationText();
    void rolesAndRows();
    void unknownTypeAddsNoRows();
};

void TestPropertyModel::rowsOfPrograms_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonArray>("steps");
    QTest::addColumn<bool>("finalCooling");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("firmware 3 PCR") << 3 << 1 << QJsonArray{pcrStep()} << true
                                    << pcrRows + QStringList{QStringLiteral("Heated lid|On|||")};
    QTest::newRow("firmware 1 PCR, lid off")
        << 1 << 1 << QJsonArray{pcrStep(false)} << true
        << pcrRows + QStringList{QStringLiteral("Heated lid|Off|||")};
    QTest::newRow("heat block") << 3 << 2 << QJsonArray{heatBlockStep(50, 1800)} << true
                                << QStringList{QStringLiteral("Time|30m |||"),
                                               QStringLiteral("Temperature|50.0\u00B0C|||"),
                                               QStringLiteral("Heated lid|On|||")};
    QTest::newRow("linear ramp heats its lid anyway")
        << 1 << 3 << QJsonArray{linearRampStep(40, 60, 3725, false)} << false
        << QStringList{QStringLiteral("Time|1h 2m 5s|||"),
                       QStringLiteral("Start temperature|40.0\u00B0C|||"),
                       QStringLiteral("Final temperature|60.0\u00B0C|||"),
                       QStringLiteral("Heated lid|On|||")};
    QTest::newRow("touchdown") << 3 << 5 << QJsonArray{touchdownStep()} << true << touchdownRows;
    QTest::newRow("flex") << 3 << 4
                          << QJsonArray{pcrStep(false), heatBlockStep(50, 600),
                                        touchdownStep(false)}
                          << false
                          << QStringList{QStringLiteral("Final cooling|Off|||"),
                                         QStringLiteral("Heated lid|On|||"),
                                         QStringLiteral("Step 1: PCR||||true")} +
                                 pcrRows.mid(1, 4) +
                                 QStringList{QStringLiteral("Step 2: Heat Block||||true"),
                                             QStringLiteral("Time|10m |||"),
                                             QStringLiteral("Temperature|50.0\u00B0C|||"),
                                             QStringLiteral("Step 3: Touchdown||||true")} +
                                 touchdownRows;
}

void TestPropertyModel::rowsOfPrograms()
{
    QFETCH(int, firmware);
    QFETCH(int, type);
    QFETCH(QJsonArray, steps);
    QFETCH(bool, finalCooling);
    QFETCH(QStringList, rows);
    const auto programType = Program::ProgramType(type);
    const QScopedPointer<Program> program(
        firmware == 1
            ? static_cast<Program *>(
                  new ProgramV1(QStringLiteral("Mix"), bytes(steps), programType))
            : new ProgramV3(QStringLiteral("Mix"), bytes(steps), finalCooling, programType));

    QCOMPARE(rowsOf(*program->propertyModel()), rows);
    QCOMPARE(program->propertyModel()->QObject::parent(), program.data());
}

void TestPropertyModel::durationText_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("all parts") << qint64(3725) << "1h 2m 5s";
    QTest::newRow("minutes only") << qint64(1800) << "30m ";
    QTest::newRow("hours and seconds") << qint64(3601) << "1h 1s";
    QTest::newRow("seconds only") << qint64(59) << "59s";
    QTest::newRow("many hours") << qint64(100 * 3600) << "100h ";
    QTest::newRow("zero") << qint64(0) << "";
    QTest::newRow("negative") << qint64(-5) << "";
}

void TestPropertyModel::durationText()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);

    QCOMPARE(PropertyModel::durationText(seconds), text);
}

void TestPropertyModel::rolesAndRows()
{
    PropertyModel model;
    QSignalSpy countChanged(&model, &PropertyModel::countChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.addHeader(QStringLiteral("Step 1:"));
    model.addTimeTemp(QStringLiteral("Annealing"), 29.6, 59.95);
    model.addValues(QStringLiteral("Both"),
                    {{PropertyModel::ValueKind::Value, 1},
                     {PropertyModel::ValueKind::Temp, QStringLiteral("t")}});

    QCOMPARE(model.count(), 3);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(countChanged.count(), 3);
    QCOMPARE(inserted.count(), 3);
    QCOMPARE(rowsOf(model), (QStringList{QStringLiteral("Step 1:||||true"),
                                         QStringLiteral("Annealing||30 s|60.0\u00B0C|"),
                                         QStringLiteral("Both|1||t|")}));
    const QVariant missing = model.data(model.index(1, 0), PropertyModel::PropertyValueRole);
    QVERIFY(missing.isValid());
    QCOMPARE(missing.toString(), QString());
    QVERIFY(!model.data(model.index(1, 0), Qt::DisplayRole).isValid());
    QVERIFY(!model.index(3, 0).isValid());
    QVERIFY(!model.index(0, 1).isValid());
    const QHash<int, QByteArray> roles = model.roleNames();
    QCOMPARE(roles.value(257), QByteArray("propertyName"));
    QCOMPARE(roles.value(258), QByteArray("propertyValue"));
    QCOMPARE(roles.value(259), QByteArray("propertyTime"));
    QCOMPARE(roles.value(260), QByteArray("propertyTemp"));
    QCOMPARE(roles.value(261), QByteArray("propertyIsHeader"));

    model.clear();
    QCOMPARE(model.count(), 0);
    QCOMPARE(countChanged.count(), 4);
}

void TestPropertyModel::unknownTypeAddsNoRows()
{
    ProgramV3 program(QStringLiteral("Mix"), bytes({heatBlockStep(50, 60)}), true,
                      Program::PT_HEAT_BLOCK);
    const int rows = program.propertyModel()->count();

    QTest::ignoreMessage(QtWarningMsg, "Invalid protocol.");
    program.createPropertyModel(pcrStep(), Program::PT_FLEX, false);

    QCOMPARE(program.propertyModel()->count(), rows);
}

QTEST_GUILESS_MAIN(TestPropertyModel)
#include "tst_propertymodel.moc"
