#include "libraryfixtures.h"
#include "models/protocolsmodel.h"
#include "utils/pcrconst.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Library::addAll;
using Library::heatBlock;

namespace {

const QString name24 = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWX");

QJsonObject record(const QString &name, const QString &firmware, const QJsonArray &steps,
                   int type = Program::PT_HEAT_BLOCK)
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("type"), type},
            {QStringLiteral("firmware"), firmware},
            {QStringLiteral("protocol_array"), steps}};
}

QJsonArray heatBlockSteps(double temp = 95.0)
{
    return {Fixtures::heatBlockStep(temp, 60)};
}

} // namespace

class TestProtocolsModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void uniqueName_data();
    void uniqueName();
    void addNewProtocolAppendsUnderAFreeName_data();
    void addNewProtocolAppendsUnderAFreeName();
    void findEqualProtocolMatchesByNameRule_data();
    void findEqualProtocolMatchesByNameRule();
    void findEqualProtocolAnswersTheFirstEqualRow();
    void addProtocolKeepsOneCopyOfAnEqualProgram();
    void recordBuildsProgramWithItsUsageData();
    void recordsThatMakeNoProgramAreDropped_data();
    void recordsThatMakeNoProgramAreDropped();
    void importingTheLibraryAgainAddsNothing();
    void rolesShowTheProgram();
    void rolesOutsideTheModelAreInvalid();
    void favouriteIsTheOnlyWritableRole();
    void editProtocolKeepsNamesUnique_data();
    void editProtocolKeepsNamesUnique();
    void copyProtocolAddsANumberedCopy();
    void deleteProtocolRemovesTheRowAndFreesItsName();
    void upgradeProtocolReplacesTheProgramInPlace();
    void lookupsOfUnknownIds();
    void usageDataReachesViewsAndSorters();
    void createProgramFromMachineBytes();

private:
    std::unique_ptr<ProtocolsModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestProtocolsModel::init()
{
    m_model = std::make_unique<ProtocolsModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
}

void TestProtocolsModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
}

void TestProtocolsModel::uniqueName_data()
{
    QTest::addColumn<QStringList>("library");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("excludedRow");
    QTest::addColumn<QString>("unique");

    const QStringList none;
    QTest::newRow("free name") << QStringList{"PCR"} << "Mix" << -1 << "Mix";
    QTest::newRow("trimmed") << none << "  Mix \t" << -1 << "Mix";
    QTest::newRow("clash") << QStringList{"Mix"} << "Mix" << -1 << "Mix (2)";
    QTest::newRow("case counts") << QStringList{"mix"} << "Mix" << -1 << "Mix";
    QTest::newRow("numbered clash") << QStringList{"Mix (9)"} << "Mix (9)" << -1 << "Mix (10)";
    // X meets row 1, becomes X (2), which row 0 holds: the scan starts over.
    QTest::newRow("rescan") << QStringList{"X (2)", "X"} << "X" << -1 << "X (3)";
    QTest::newRow("chain") << QStringList{"X", "X (2)", "X (3)"} << "X" << -1 << "X (4)";
    QTest::newRow("blanks") << none << "   " << -1 << "New Protocol";
    QTest::newRow("blanks, default taken")
        << QStringList{"New Protocol"} << " " << -1 << "New Protocol (2)";
    QTest::newRow("own name") << QStringList{"Mix", "PCR"} << "Mix" << 0 << "Mix";
    QTest::newRow("other's name") << QStringList{"Mix", "PCR"} << "PCR" << 0 << "PCR (2)";
    QTest::newRow("letters are no number")
        << QStringList{"Temp (abc)"} << "Temp (abc)" << -1 << "Temp (abc) (2)";
    QTest::newRow("24 characters")
        << QStringList{name24} << name24 << -1 << "ABCDEFGHIJKLMNOPQRST (2)";
}

void TestProtocolsModel::uniqueName()
{
    QFETCH(QStringList, library);
    QFETCH(QString, name);
    QFETCH(int, excludedRow);
    QFETCH(QString, unique);

    const QList<int> ids = addAll(*m_model, library);
    QCOMPARE(Library::names(*m_model), library);
    QCOMPARE(m_model->getUniqueProtocolName(name, excludedRow < 0 ? -1 : ids.at(excludedRow)),
             unique);
}

void TestProtocolsModel::addNewProtocolAppendsUnderAFreeName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");

    QTest::newRow("free") << "Mix"
                          << "Mix";
    QTest::newRow("taken") << "PCR"
                           << "PCR (2)";
    QTest::newRow("empty") << ""
                           << "New Protocol";
}

void TestProtocolsModel::addNewProtocolAppendsUnderAFreeName()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);

    addAll(*m_model, {"PCR"});
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy counted(m_model.get(), &ProtocolsModel::countChanged);
    QSignalSpy sortRoles(m_model.get(), &ProtocolsModel::sortRoleChanged);

    const ProgramPtr program = heatBlock(name);
    QCOMPARE(m_model->addNewProtocol(program), program->programId());

    QCOMPARE(program->name(), stored);
    QCOMPARE(Library::names(*m_model), QStringList({"PCR", stored}));
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 1);
    QCOMPARE(inserted.first().at(2).toInt(), 1);
    QCOMPARE(counted, QList<QVariantList>{{2}});
    QCOMPARE(sortRoles, QList<QVariantList>{{QString()}});
    QCOMPARE(m_model->getProgramObjectByRow(1), program);
    QCOMPARE(m_model->count(), 2);
}

void TestProtocolsModel::findEqualProtocolMatchesByNameRule_data()
{
    QTest::addColumn<QString>("libraryName");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("temp");
    QTest::addColumn<bool>("strictMatch");
    QTest::addColumn<bool>("looseMatch");

    QTest::newRow("same") << "Mix"
                          << "Mix" << 95.0 << true << true;
    QTest::newRow("other content") << "Mix"
                                   << "Mix" << 94.0 << false << false;
    QTest::newRow("numbered copy") << "Mix (2)"
                                   << "Mix" << 95.0 << false << true;
    QTest::newRow("both numbered") << "Mix (2)"
                                   << "Mix (7)" << 95.0 << false << true;
    QTest::newRow("longer name") << "Mix"
                                 << "Mixture" << 95.0 << false << true;
    QTest::newRow("shorter name") << "Mixture"
                                  << "Mix" << 95.0 << false << true;
    QTest::newRow("same length") << "Mix"
                                 << "Max" << 95.0 << false << false;
    QTest::newRow("no prefix") << "Mix"
                               << "A Mix" << 95.0 << false << false;
    QTest::newRow("case") << "Mix"
                          << "mix" << 95.0 << false << false;
}

void TestProtocolsModel::findEqualProtocolMatchesByNameRule()
{
    QFETCH(QString, libraryName);
    QFETCH(QString, name);
    QFETCH(double, temp);
    QFETCH(bool, strictMatch);
    QFETCH(bool, looseMatch);

    const int id = addAll(*m_model, {"Other", libraryName}).last();
    const ProgramPtr program = heatBlock(name, temp);
    QCOMPARE(m_model->findEqualProtocol(program, true), strictMatch ? id : -1);
    QCOMPARE(m_model->findEqualProtocol(program, false), looseMatch ? id : -1);
    QCOMPARE(m_model->count(), 2);
}

void TestProtocolsModel::findEqualProtocolAnswersTheFirstEqualRow()
{
    const QList<int> ids = addAll(*m_model, {"Mix (3)", "Mix", "Mix (2)"});
    QCOMPARE(m_model->findEqualProtocol(heatBlock("Mix (2)"), true), ids.at(2));
    QCOMPARE(m_model->findEqualProtocol(heatBlock("Mix (2)"), false), ids.at(0));
    QCOMPARE(m_model->findEqualProtocol(ProgramPtr(), false), -1);
}

void TestProtocolsModel::addProtocolKeepsOneCopyOfAnEqualProgram()
{
    const int id = addAll(*m_model, {"Mix"}).first();
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);

    QCOMPARE(m_model->addProtocol(heatBlock("Mix (2)"), false), id);
    QCOMPARE(m_model->addProtocol(heatBlock("Mix"), true), id);
    QCOMPARE(m_model->addProtocol(ProgramPtr(), true), -1);
    QCOMPARE(inserted.size(), 0);

    const ProgramPtr different = heatBlock("Mix", 60.0);
    QCOMPARE(m_model->addProtocol(different, true), different->programId());
    QCOMPARE(Library::names(*m_model), QStringList({"Mix", "Mix (2)"}));
}

void TestProtocolsModel::recordBuildsProgramWithItsUsageData()
{
    const QDateTime lastUsed(QDate(2018, 10, 2), QTime(13, 49, 34));
    QJsonObject firmware3 = record("Three", firmwareVersionV3, heatBlockSteps());
    firmware3.insert(QStringLiteral("isFavorite"), true);
    firmware3.insert(QStringLiteral("lastUsed"), QStringLiteral("2018-10-02T13:49:34"));
    firmware3.insert(QStringLiteral("usedCount"), 7);
    firmware3.insert(QStringLiteral("finalCooling"), true);
    const QJsonObject firmware1 = record("One", firmwareVersionV1, heatBlockSteps());

    const ProgramPtr three = m_model->getProgramObjectById(m_model->addProtocolFromJson(firmware3));
    const ProgramPtr one = m_model->getProgramObjectById(m_model->addProtocolFromJson(firmware1));

    QVERIFY(three && one);
    QCOMPARE(three->firmware(), firmwareVersionV3);
    QCOMPARE(three->programType(), Program::PT_HEAT_BLOCK);
    QVERIFY(three->isFavorite());
    QCOMPARE(three->lastUsed(), lastUsed);
    QCOMPARE(three->usedCount(), 7);
    QVERIFY(three->finalCooling());
    QCOMPARE(three->protocolSteps().array(), heatBlockSteps());

    QCOMPARE(one->firmware(), firmwareVersionV1);
    QCOMPARE(one->name(), QStringLiteral("One"));
    QVERIFY(!one->isFavorite());
    QVERIFY(!one->lastUsed().isValid());
    QCOMPARE(one->usedCount(), 0);
    QCOMPARE(m_model->programs(), ProgramList({three, one}));
}

void TestProtocolsModel::recordsThatMakeNoProgramAreDropped_data()
{
    QTest::addColumn<QJsonObject>("record");

    QTest::newRow("empty") << QJsonObject();
    QTest::newRow("unknown firmware") << record("Mix", "2.0", heatBlockSteps());
    QTest::newRow("no firmware") << record("Mix", "", heatBlockSteps());
    QTest::newRow("no steps") << record("Mix", firmwareVersionV3, {});
    QTest::newRow("invalid type") << record("Mix", firmwareVersionV3, heatBlockSteps(), 0);
}

void TestProtocolsModel::recordsThatMakeNoProgramAreDropped()
{
    QFETCH(QJsonObject, record);

    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QCOMPARE(m_model->addProtocolFromJson(record), -1);
    QCOMPARE(inserted.size(), 0);
}

void TestProtocolsModel::importingTheLibraryAgainAddsNothing()
{
    const ProgramPtr mix = heatBlock("Mix");
    const int mixId = m_model->addNewProtocol(mix);
    const int rampId = m_model->addNewProtocol(
        ProgramPtr(new ProgramV1("Ramp", Fixtures::bytes({Fixtures::linearRampStep(40, 90, 600)}),
                                 Program::PT_LINEAR_RAMP)));
    const ProgramList before = m_model->programs();

    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QCOMPARE(m_model->addProtocolFromJson(mix->toJson()), mixId);
    QCOMPARE(m_model->addProtocolFromJson(before.at(1)->toJson()), rampId);
    QCOMPARE(inserted.size(), 0);

    // Same name, other content: a program of its own under the next name.
    QJsonObject changed = mix->toJson();
    changed.insert(QStringLiteral("protocol_array"), heatBlockSteps(50.0));
    const int changedId = m_model->addProtocolFromJson(changed);
    QVERIFY(changedId != mixId && changedId >= 0);
    QCOMPARE(m_model->getProgramNameById(changedId), QStringLiteral("Mix (2)"));
}

void TestProtocolsModel::rolesShowTheProgram()
{
    const ProgramPtr program = heatBlock("Mix");
    program->setFavorite(true);
    program->setUsedCount(4);
    const QDateTime lastUsed(QDate(2024, 3, 1), QTime(8, 30));
    program->setLastUsed(lastUsed);
    const ProgramPtr longHold(new ProgramV3("Long",
                                            Fixtures::bytes({Fixtures::heatBlockStep(95, 40000)}),
                                            true, Program::PT_HEAT_BLOCK));
    addAll(*m_model, {"First"});
    m_model->addNewProtocol(program);
    m_model->addNewProtocol(longHold);

    const QModelIndex row = m_model->index(1, 0);
    const QHash<int, QByteArray> names = m_model->roleNames();
    const QHash<QByteArray, QVariant> expected{{"programId", program->programId()},
                                               {"programType", int(Program::PT_HEAT_BLOCK)},
                                               {"protocolName", QStringLiteral("Mix")},
                                               {"isFavorite", true},
                                               {"velaFirmware", QStringLiteral("3.0")},
                                               {"lastUsed", lastUsed},
                                               {"usedCount", 4},
                                               {"supportedByV1Device", true}};
    QCOMPARE(names.size(), expected.size());
    for (int role = 257; role <= 264; ++role) {
        QVERIFY2(expected.contains(names.value(role)), names.value(role));
        QCOMPARE(row.data(role), expected.value(names.value(role)));
    }
    QCOMPARE(m_model->index(2, 0).data(ProtocolsModel::SupportedByV1DeviceRole), QVariant(false));
}

void TestProtocolsModel::rolesOutsideTheModelAreInvalid()
{
    addAll(*m_model, {"Mix"});
    QVERIFY(!m_model->data(m_model->index(0, 0), Qt::DisplayRole).isValid());
    QVERIFY(!m_model->data(m_model->index(0, 0), 265).isValid());
    QVERIFY(!m_model->data(QModelIndex(), ProtocolsModel::ProgramIdRole).isValid());
    for (const auto &[row, column] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        QVERIFY2(!m_model->index(row, column).isValid(), qPrintable(QString::number(row)));
    QVERIFY(!m_model->index(0, 0, m_model->index(0, 0)).isValid());
    QCOMPARE(m_model->rowCount(m_model->index(0, 0)), 0);
    QVERIFY(!m_model->parent(m_model->index(0, 0)).isValid());
}

void TestProtocolsModel::favouriteIsTheOnlyWritableRole()
{
    const ProgramPtr program = m_model->getProgramObjectById(addAll(*m_model, {"A", "B"}).last());
    const QModelIndex row = m_model->index(1, 0);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy sortRoles(m_model.get(), &ProtocolsModel::sortRoleChanged);

    QVERIFY(m_model->setData(row, true, ProtocolsModel::IsFavoriteRole));
    QVERIFY(program->isFavorite());
    QCOMPARE(sortRoles, QList<QVariantList>{{QStringLiteral("isFavorite")}});
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), row);
    QCOMPARE(changed.first().at(1).toModelIndex(), row);
    QCOMPARE(changed.first().at(2).value<QVector<int>>(), QVector<int>{260});

    // Nothing changes: accepted, and nobody is told.
    QVERIFY(m_model->setData(row, true, ProtocolsModel::IsFavoriteRole));
    QVERIFY(m_model->setData(row, "Other", ProtocolsModel::ProtocolNameRole));
    QVERIFY(m_model->setData(row, 99, ProtocolsModel::UsedCountRole));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(sortRoles.size(), 1);
    QCOMPARE(program->name(), QStringLiteral("B"));
    QCOMPARE(program->usedCount(), 0);

    QVERIFY(!m_model->setData(QModelIndex(), false, ProtocolsModel::IsFavoriteRole));
    QVERIFY(program->isFavorite());
}

void TestProtocolsModel::editProtocolKeepsNamesUnique_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("nameSignal");

    QTest::newRow("own name") << "Mix"
                              << "Mix" << false;
    QTest::newRow("own name, blanks around") << " Mix  "
                                             << "Mix" << false;
    QTest::newRow("other's name") << "PCR"
                                  << "PCR (2)" << true;
    QTest::newRow("new name") << "Ramp"
                              << "Ramp" << true;
    QTest::newRow("blank") << "  "
                           << "New Protocol" << true;
}

void TestProtocolsModel::editProtocolKeepsNamesUnique()
{
    QFETCH(QString, newName);
    QFETCH(QString, stored);
    QFETCH(bool, nameSignal);

    const int id = addAll(*m_model, {"PCR", "Mix"}).last();
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy sortRoles(m_model.get(), &ProtocolsModel::sortRoleChanged);

    m_model->editProtocol(id, newName, Fixtures::bytes(heatBlockSteps(50.0)), false);

    const ProgramPtr program = m_model->getProgramObjectById(id);
    QCOMPARE(program->name(), stored);
    QCOMPARE(program->protocolSteps().array(), heatBlockSteps(50.0));
    QVERIFY(!program->finalCooling());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), m_model->index(1, 0));
    QCOMPARE(changed.first().at(2).value<QVector<int>>(), QVector<int>());
    QCOMPARE(sortRoles.size(), nameSignal ? 1 : 0);
    if (nameSignal)
        QCOMPARE(sortRoles.first().first().toString(), QStringLiteral("protocolName"));
    // The name the edit gave up is free again; the new one is taken.
    QCOMPARE(m_model->getProgramObjectByName(stored), program);
    QCOMPARE(m_model->getUniqueProtocolName(stored), Program::nextNumberedName(stored));
    if (stored != QStringLiteral("Mix"))
        QCOMPARE(m_model->getUniqueProtocolName("Mix"), QStringLiteral("Mix"));
}

void TestProtocolsModel::copyProtocolAddsANumberedCopy()
{
    const int id = addAll(*m_model, {"Mix", "Mix (2)"}).first();
    m_model->setData(m_model->index(0, 0), true, ProtocolsModel::IsFavoriteRole);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);

    const int copyId = m_model->copyProtocol(id);

    QCOMPARE(inserted.size(), 1);
    const ProgramPtr copy = m_model->getProgramObjectByRow(2);
    QCOMPARE(copy->programId(), copyId);
    QVERIFY(copyId != id);
    QCOMPARE(copy->name(), QStringLiteral("Mix (3)"));
    QCOMPARE(copy->protocolSteps(), m_model->getProgramObjectById(id)->protocolSteps());
    QCOMPARE(m_model->copyProtocol(-1), -1);
    QCOMPARE(m_model->count(), 3);
}

void TestProtocolsModel::deleteProtocolRemovesTheRowAndFreesItsName()
{
    const QList<int> ids = addAll(*m_model, {"A", "Mix", "C"});
    const ProgramPtr deleted = m_model->getProgramObjectById(ids.at(1));
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy counted(m_model.get(), &ProtocolsModel::countChanged);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    m_model->deleteProtocol(ids.at(1));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.first().at(1).toInt(), 1);
    QCOMPARE(removed.first().at(2).toInt(), 1);
    QCOMPARE(Library::names(*m_model), QStringList({"A", "C"}));
    QCOMPARE(m_model->getUniqueProtocolName("Mix"), QStringLiteral("Mix"));
    QVERIFY(!m_model->getProgramObjectByName("Mix"));

    // A device may still hold the program; its use is no longer ours.
    deleted->markUsed();
    QCOMPARE(changed.size(), 0);

    m_model->deleteProtocol(ids.at(1));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(counted, QList<QVariantList>({{2}, {2}}));
}

void TestProtocolsModel::upgradeProtocolReplacesTheProgramInPlace()
{
    const QList<int> ids = addAll(*m_model, {"A", "Mix", "C"});
    const ProgramPtr old = m_model->getProgramObjectById(ids.at(1));
    const ProgramPtr upgrade = old->toV1(false);
    upgrade->setName("Mix v1");
    QSignalSpy anything(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);

    m_model->upgradeProtocol(ids.at(1), upgrade);
    m_model->upgradeProtocol(-1, heatBlock("Stray"));
    m_model->upgradeProtocol(ids.at(0), ProgramPtr());

    QCOMPARE(m_model->getProgramObjectByRow(1), upgrade);
    QCOMPARE(m_model->getProgramNameById(ids.at(0)), QStringLiteral("A"));
    QCOMPARE(m_model->count(), 3);
    QCOMPARE(anything.size(), 0);
    QCOMPARE(inserted.size(), 0);
    QCOMPARE(m_model->getProgramObjectByName("Mix v1"), upgrade);
    QCOMPARE(m_model->getUniqueProtocolName("Mix"), QStringLiteral("Mix"));

    old->markUsed();
    QCOMPARE(anything.size(), 0);
    upgrade->markUsed();
    QCOMPARE(anything.size(), 1);
}

void TestProtocolsModel::lookupsOfUnknownIds()
{
    const int id = addAll(*m_model, {"Mix"}).first();
    const int unknown = id + 1000;

    QCOMPARE(m_model->protocolType(id), int(Program::PT_HEAT_BLOCK));
    QCOMPARE(m_model->protocolType(unknown), 0);
    QCOMPARE(m_model->getProgramNameById(id), QStringLiteral("Mix"));
    QCOMPARE(m_model->getProgramNameById(unknown), QStringLiteral("New Protocol"));
    QCOMPARE(m_model->getProgramById(id), QVariant(heatBlockSteps().toVariantList()));
    QVERIFY(!m_model->getProgramById(unknown).isValid());
    QCOMPARE(m_model->getRowByProgramId(id), 0);
    QCOMPARE(m_model->getRowByProgramId(unknown), -1);
    QCOMPARE(m_model->getRowByProgramId(-1), -1);
    QVERIFY(m_model->getProgramObjectByRow(0));
    QVERIFY(!m_model->getProgramObjectByRow(1));
    QVERIFY(!m_model->getProgramObjectByRow(-1));
    QVERIFY(!m_model->getProgramObjectByName("mix"));
    QVERIFY(!m_model->getProgramObjectById(unknown));
    QVERIFY(m_model->getFinalCoolingById(unknown));
    QCOMPARE(m_model->getFixedProtocolName("  \t "), QStringLiteral("New Protocol"));
    QCOMPARE(m_model->getFixedProtocolName(" a b "), QStringLiteral("a b"));
}

void TestProtocolsModel::usageDataReachesViewsAndSorters()
{
    const ProgramPtr program = m_model->getProgramObjectById(addAll(*m_model, {"A", "B"}).last());
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy sortRoles(m_model.get(), &ProtocolsModel::sortRoleChanged);

    program->markUsed();

    QCOMPARE(sortRoles,
             QList<QVariantList>({{QStringLiteral("lastUsed")}, {QStringLiteral("usedCount")}}));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), m_model->index(1, 0));
    QCOMPARE(changed.first().at(2).value<QVector<int>>(), QVector<int>({262, 263}));
    QCOMPARE(m_model->index(1, 0).data(ProtocolsModel::UsedCountRole), QVariant(1));
}

void TestProtocolsModel::createProgramFromMachineBytes()
{
    const ProgramV3 sentV3("Mix", Fixtures::bytes(heatBlockSteps()), true, Program::PT_HEAT_BLOCK);
    const ProgramV1 sentV1("Mix", Fixtures::bytes(heatBlockSteps()), Program::PT_HEAT_BLOCK);
    const QByteArray bytesV3 = Fixtures::paddedMessage(sentV3.pcrProtocol());
    const QByteArray bytesV1 = Fixtures::paddedMessage(sentV1.pcrProtocol());

    const ProgramPtr receivedV3 = ProtocolsModel::createProgram(bytesV3, 3);
    const ProgramPtr receivedV1 = ProtocolsModel::createProgram(bytesV1, 1);
    QVERIFY(receivedV3 && receivedV1);
    QCOMPARE(receivedV3->firmware(), firmwareVersionV3);
    QCOMPARE(receivedV1->firmware(), firmwareVersionV1);
    QVERIFY(receivedV3->isSameProgram(ProgramPtr(sentV3.clone(false)), true));

    QVERIFY(!ProtocolsModel::createProgram(QByteArray(), 3));
    QVERIFY(!ProtocolsModel::createProgram(bytesV3, 1));
}

QTEST_GUILESS_MAIN(TestProtocolsModel)
#include "tst_protocolsmodel.moc"
