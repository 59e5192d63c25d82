#include "libraryfixtures.h"
#include "models/runningprotocolsmodel.h"
#include "runningdevicesdouble.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Library::addAll;

namespace {

// One library entry with the keys the criteria compare.
struct Entry
{
    QString name;
    bool favourite = false;
    int usedCount = 0;
    int daysAgo = -1; // -1: never used
};
using Entries = QList<Entry>;
using Criteria = QList<int>;

constexpr int nowRunningRole = RunningProtocolsModel::NowRunningRole;

} // namespace

Q_DECLARE_METATYPE(Entries)
Q_DECLARE_METATYPE(Criteria)

class TestRunningProtocolsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sortsByCriterion_data();
    void sortsByCriterion();
    void equalKeysKeepLibraryOrderAfterAnyCriteria_data();
    void equalKeysKeepLibraryOrderAfterAnyCriteria();
    void changedKeysMoveTheirRow_data();
    void changedKeysMoveTheirRow();
    void newProtocolsFindTheirPlace();
    void choosingTheSameCriterionAgainDoesNothing();
    void protocolIndexFollowsTheSort();
    void rolesAndWritesGoToTheLibrary();
    void sortRoleChangedIsForwarded();
    void nowRunningFlipsWithFirstStartAndLastStop();
    void nowRunningFollowsAProtocolSwitch();
    void nowRunningWhenTheHoldingDeviceIsDeleted();
    void nowRunningIsNotAnnouncedForUnchangedValues();
    void nowRunningReadsTheFirstHolderOnly();
    void nowRunningOfDevicesPresentAtConstruction();
    void aRunningModelThatCannotAnswerIsReported();

private:
    void fill(const Entries &entries);
    QStringList order() const;
    QList<int> nowRunningChanges(const QSignalSpy &spy) const;
    void makeProxy();

    std::unique_ptr<ProtocolsModel> m_library;
    std::unique_ptr<RunningDevicesDouble> m_devices;
    std::unique_ptr<RunningProtocolsModel> m_proxy;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;
};

void TestRunningProtocolsModel::initTestCase()
{
    // For spies on layoutChanged.
    qRegisterMetaType<QList<QPersistentModelIndex>>();
    qRegisterMetaType<QAbstractItemModel::LayoutChangeHint>();
}

void TestRunningProtocolsModel::init()
{
    m_library = std::make_unique<ProtocolsModel>();
    m_devices = std::make_unique<RunningDevicesDouble>();
    makeProxy();
}

void TestRunningProtocolsModel::makeProxy()
{
    m_proxy = std::make_unique<RunningProtocolsModel>(m_library.get(), m_devices.get());
    for (QAbstractItemModel *model : {static_cast<QAbstractItemModel *>(m_library.get()),
                                      static_cast<QAbstractItemModel *>(m_proxy.get()),
                                      static_cast<QAbstractItemModel *>(m_devices.get())})
        m_testers.push_back(std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Fatal));
}

void TestRunningProtocolsModel::cleanup()
{
    m_testers.clear();
    m_proxy.reset();
    m_devices.reset();
    m_library.reset();
}

void TestRunningProtocolsModel::fill(const Entries &entries)
{
    const QDateTime now = QDateTime::currentDateTime();
    for (const Entry &entry : entries) {
        const ProgramPtr program = Library::heatBlock(entry.name);
        program->setFavorite(entry.favourite);
        program->setUsedCount(entry.usedCount);
        program->setLastUsed(entry.daysAgo < 0 ? QDateTime() : now.addDays(-entry.daysAgo));
        m_library->addNewProtocol(program);
    }
}

QStringList TestRunningProtocolsModel::order() const
{
    return Library::names(*m_proxy);
}

QList<int> TestRunningProtocolsModel::nowRunningChanges(const QSignalSpy &spy) const
{
    QList<int> ids;
    for (const QVariantList &arguments : spy) {
        const QModelIndex first = arguments.at(0).toModelIndex();
        const QModelIndex last = arguments.at(1).toModelIndex();
        const auto roles = arguments.at(2).value<QVector<int>>();
        if (roles != QVector<int>{nowRunningRole} || first != last)
            return {-2}; // a notification this test did not expect
        ids.append(first.data(ProtocolsModel::ProgramIdRole).toInt());
    }
    return ids;
}

void TestRunningProtocolsModel::sortsByCriterion_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<int>("criterion");
    QTest::addColumn<QStringList>("expected");

    const Entries names{{"apple"}, {"Zeta"}, {"Apple"}, {"Banana"}, {"ápple"}};
    QTest::newRow("none") << names << int(RunningProtocolsModel::NoneRole)
                          << QStringList{"apple", "Zeta", "Apple", "Banana", "ápple"};
    QTest::newRow("a-z, case ignored, ties in library order")
        << names << int(RunningProtocolsModel::AZProtocolNameRole)
        << QStringList{"apple", "Apple", "Banana", "Zeta", "ápple"};
    QTest::newRow("now running keeps the library order")
        << names << int(RunningProtocolsModel::NowRunningProtocolRole)
        << QStringList{"apple", "Zeta", "Apple", "Banana", "ápple"};

    const Entries usage{{"a", false, 2, 5},
                        {"b", true, 0, -1},
                        {"c", false, 9, 1},
                        {"d", true, 2, 30},
                        {"e", false, 0, -1}};
    QTest::newRow("favourites first") << usage << int(RunningProtocolsModel::FavoriteRole)
                                      << QStringList{"b", "d", "a", "c", "e"};
    QTest::newRow("most recent first, never used last")
        << usage << int(RunningProtocolsModel::RecentRole) << QStringList{"c", "a", "d", "b", "e"};
    QTest::newRow("most used first") << usage << int(RunningProtocolsModel::MostUsedRole)
                                     << QStringList{"c", "a", "d", "b", "e"};
}

void TestRunningProtocolsModel::sortsByCriterion()
{
    QFETCH(Entries, entries);
    QFETCH(int, criterion);
    QFETCH(QStringList, expected);

    fill(entries);
    m_proxy->setSortRole(criterion);
    QCOMPARE(order(), expected);
    QCOMPARE(m_proxy->sortRole(), criterion);
}

void TestRunningProtocolsModel::equalKeysKeepLibraryOrderAfterAnyCriteria_data()
{
    QTest::addColumn<Criteria>("criteria");
    QTest::addColumn<QStringList>("expected");

    // Every used count and every date is the same; names and favourites
    // differ. A sort that only kept the previous order would show the order
    // the earlier criterion left.
    const QStringList library{"d", "B", "a", "C"};
    QTest::newRow("a-z then most used")
        << Criteria{RunningProtocolsModel::AZProtocolNameRole, RunningProtocolsModel::MostUsedRole}
        << library;
    QTest::newRow("a-z then none")
        << Criteria{RunningProtocolsModel::AZProtocolNameRole, RunningProtocolsModel::NoneRole}
        << library;
    QTest::newRow("a-z then now running") << Criteria{RunningProtocolsModel::AZProtocolNameRole,
                                                      RunningProtocolsModel::NowRunningProtocolRole}
                                          << library;
    QTest::newRow("a-z then favourites")
        << Criteria{RunningProtocolsModel::AZProtocolNameRole, RunningProtocolsModel::FavoriteRole}
        << QStringList{"B", "C", "d", "a"};
    QTest::newRow("favourites then recent")
        << Criteria{RunningProtocolsModel::FavoriteRole, RunningProtocolsModel::RecentRole}
        << library;
}

void TestRunningProtocolsModel::equalKeysKeepLibraryOrderAfterAnyCriteria()
{
    QFETCH(Criteria, criteria);
    QFETCH(QStringList, expected);

    fill({{"d", false, 3, 2}, {"B", true, 3, 2}, {"a", false, 3, 2}, {"C", true, 3, 2}});
    for (const int criterion : criteria)
        m_proxy->setSortRole(criterion);
    QCOMPARE(order(), expected);
}

void TestRunningProtocolsModel::changedKeysMoveTheirRow_data()
{
    QTest::addColumn<int>("criterion");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("favourite") << int(RunningProtocolsModel::FavoriteRole)
                               << QStringList{"c", "a", "b"};
    QTest::newRow("used") << int(RunningProtocolsModel::MostUsedRole) << QStringList{"c", "a", "b"};
    QTest::newRow("recent") << int(RunningProtocolsModel::RecentRole) << QStringList{"c", "a", "b"};
    QTest::newRow("renamed") << int(RunningProtocolsModel::AZProtocolNameRole)
                             << QStringList{"0", "a", "b"};
}

void TestRunningProtocolsModel::changedKeysMoveTheirRow()
{
    QFETCH(int, criterion);
    QFETCH(QStringList, expected);

    const QList<int> ids = addAll(*m_library, {"a", "b", "c"});
    for (const ProgramPtr &program : m_library->programs())
        program->setLastUsed(QDateTime(QDate(2024, 1, 1), QTime(12, 0)));
    m_proxy->setSortRole(criterion);
    QCOMPARE(order(), QStringList({"a", "b", "c"}));

    const ProgramPtr last = m_library->getProgramObjectById(ids.at(2));
    switch (criterion) {
    case RunningProtocolsModel::FavoriteRole:
        QVERIFY(m_proxy->setData(m_proxy->index(2, 0), true, ProtocolsModel::IsFavoriteRole));
        break;
    case RunningProtocolsModel::AZProtocolNameRole:
        m_library->editProtocol(last->programId(), "0", last->protocolSteps().toJson(), true);
        break;
    default:
        last->markUsed();
        break;
    }
    QCOMPARE(order(), expected);
}

void TestRunningProtocolsModel::newProtocolsFindTheirPlace()
{
    addAll(*m_library, {"b", "d"});
    m_proxy->setSortRole(RunningProtocolsModel::AZProtocolNameRole);
    addAll(*m_library, {"c", "a", "B"});
    QCOMPARE(order(), QStringList({"a", "b", "B", "c", "d"}));
    m_library->deleteProtocol(m_library->getProgramObjectByName("b")->programId());
    QCOMPARE(order(), QStringList({"a", "B", "c", "d"}));
}

void TestRunningProtocolsModel::choosingTheSameCriterionAgainDoesNothing()
{
    addAll(*m_library, {"b", "a"});
    QSignalSpy layouts(m_proxy.get(), &QAbstractItemModel::layoutChanged);
    m_proxy->setSortRole(RunningProtocolsModel::NoneRole);
    QCOMPARE(layouts.size(), 0);
    m_proxy->setSortRole(RunningProtocolsModel::AZProtocolNameRole);
    QCOMPARE(layouts.size(), 1);
    m_proxy->setSortRole(RunningProtocolsModel::AZProtocolNameRole);
    QCOMPARE(layouts.size(), 1);
    QCOMPARE(order(), QStringList({"a", "b"}));
}

void TestRunningProtocolsModel::protocolIndexFollowsTheSort()
{
    const QList<int> ids = addAll(*m_library, {"c", "a", "b"});
    QCOMPARE(m_proxy->protocolIndex(ids.at(1)), 1);
    m_proxy->setSortRole(RunningProtocolsModel::AZProtocolNameRole);
    QCOMPARE(m_proxy->protocolIndex(ids.at(0)), 2);
    QCOMPARE(m_proxy->protocolIndex(ids.at(1)), 0);
    const int copy = m_library->copyProtocol(ids.at(1));
    QCOMPARE(m_proxy->protocolIndex(copy), 1);
    QCOMPARE(m_proxy->protocolIndex(-1), -1);
}

void TestRunningProtocolsModel::rolesAndWritesGoToTheLibrary()
{
    const int id = addAll(*m_library, {"Mix"}).first();
    QHash<int, QByteArray> expected = m_library->roleNames();
    expected.insert(265, "nowRunning");
    QCOMPARE(m_proxy->roleNames(), expected);

    const QModelIndex row = m_proxy->index(0, 0);
    QCOMPARE(row.data(ProtocolsModel::ProgramIdRole), QVariant(id));
    QCOMPARE(row.data(nowRunningRole), QVariant(false));
    QVERIFY(!m_proxy->data(QModelIndex(), nowRunningRole).isValid());
    QVERIFY(!m_proxy->setData(row, true, nowRunningRole));
    QCOMPARE(row.data(nowRunningRole), QVariant(false));
    QVERIFY(m_proxy->setData(row, true, ProtocolsModel::IsFavoriteRole));
    QVERIFY(m_library->getProgramObjectById(id)->isFavorite());
}

void TestRunningProtocolsModel::sortRoleChangedIsForwarded()
{
    const int id = addAll(*m_library, {"Mix"}).first();
    QSignalSpy forwarded(m_proxy.get(),
                         qOverload<const QString &>(&RunningProtocolsModel::sortRoleChanged));
    m_library->getProgramObjectById(id)->markUsed();
    m_proxy->setData(m_proxy->index(0, 0), true, ProtocolsModel::IsFavoriteRole);
    QCOMPARE(forwarded, QList<QVariantList>({{QStringLiteral("lastUsed")},
                                             {QStringLiteral("usedCount")},
                                             {QStringLiteral("isFavorite")}}));
}

void TestRunningProtocolsModel::nowRunningFlipsWithFirstStartAndLastStop()
{
    const QList<int> ids = addAll(*m_library, {"Other", "Mix"});
    const int mix = ids.at(1);
    m_proxy->setSortRole(RunningProtocolsModel::AZProtocolNameRole);
    const int first = m_devices->addDevice();
    const int second = m_devices->addDevice();
    QSignalSpy changed(m_proxy.get(), &QAbstractItemModel::dataChanged);
    const QModelIndex mixRow = m_proxy->index(m_proxy->protocolIndex(mix), 0);

    m_devices->setProtocol(first, mix); // loaded, not running yet
    QCOMPARE(nowRunningChanges(changed), QList<int>());
    m_devices->setBusy(first, true);
    QCOMPARE(nowRunningChanges(changed), QList<int>{mix});
    QCOMPARE(mixRow.data(nowRunningRole), QVariant(true));

    m_devices->setProtocol(second, mix);
    m_devices->setBusy(second, true);
    m_devices->setProtocol(second, -1); // one holder leaves, the first runs on
    QVERIFY(!changed.wait(50));
    QCOMPARE(nowRunningChanges(changed), QList<int>{mix});

    // The last holder drops the protocol: its row leaves the running model
    // after the device no longer names it.
    m_devices->setProtocol(first, -1);
    QTRY_COMPARE(nowRunningChanges(changed), QList<int>({mix, mix}));
    QCOMPARE(mixRow.data(nowRunningRole), QVariant(false));
    QCOMPARE(m_proxy->index(m_proxy->protocolIndex(ids.at(0)), 0).data(nowRunningRole),
             QVariant(false));
}

void TestRunningProtocolsModel::nowRunningFollowsAProtocolSwitch()
{
    const QList<int> ids = addAll(*m_library, {"A", "B"});
    const int device = m_devices->addRunningDevice(ids.at(0));
    QSignalSpy changed(m_proxy.get(), &QAbstractItemModel::dataChanged);

    m_devices->setProtocol(device, ids.at(1));

    QList<int> announced = nowRunningChanges(changed);
    std::sort(announced.begin(), announced.end());
    QCOMPARE(announced, ids);
    QCOMPARE(m_proxy->index(0, 0).data(nowRunningRole), QVariant(false));
    QCOMPARE(m_proxy->index(1, 0).data(nowRunningRole), QVariant(true));
}

void TestRunningProtocolsModel::nowRunningWhenTheHoldingDeviceIsDeleted()
{
    const int mix = addAll(*m_library, {"Mix"}).first();
    const int device = m_devices->addRunningDevice(mix);
    QSignalSpy changed(m_proxy.get(), &QAbstractItemModel::dataChanged);

    m_devices->removeDevice(device);

    QTRY_COMPARE(nowRunningChanges(changed), QList<int>{mix});
    QCOMPARE(m_proxy->index(0, 0).data(nowRunningRole), QVariant(false));
}

void TestRunningProtocolsModel::nowRunningIsNotAnnouncedForUnchangedValues()
{
    const int mix = addAll(*m_library, {"Mix"}).first();
    const int device = m_devices->addRunningDevice(mix);
    QSignalSpy changed(m_proxy.get(), &QAbstractItemModel::dataChanged);

    for (double temperature : {30.0, 31.5, 33.0})
        m_devices->setLidTemperature(device, temperature);
    m_devices->setBusy(device, true);

    QVERIFY(!changed.wait(50));
    QCOMPARE(changed.size(), 0);
}

void TestRunningProtocolsModel::nowRunningReadsTheFirstHolderOnly()
{
    const int mix = addAll(*m_library, {"Mix"}).first();
    const int first = m_devices->addRunningDevice(mix);
    m_devices->addRunningDevice(mix);
    QSignalSpy changed(m_proxy.get(), &QAbstractItemModel::dataChanged);

    m_devices->setConnected(first, false);
    QCOMPARE(nowRunningChanges(changed), QList<int>{mix});
    QCOMPARE(m_proxy->index(0, 0).data(nowRunningRole), QVariant(false));

    // The first holder goes away altogether: the second one speaks now.
    m_devices->removeDevice(first);
    QTRY_COMPARE(nowRunningChanges(changed), QList<int>({mix, mix}));
    QCOMPARE(m_proxy->index(0, 0).data(nowRunningRole), QVariant(true));
}

void TestRunningProtocolsModel::nowRunningOfDevicesPresentAtConstruction()
{
    const int mix = addAll(*m_library, {"Mix"}).first();
    const int device = m_devices->addRunningDevice(mix);
    m_testers.clear();
    makeProxy();
    QSignalSpy changed(m_proxy.get(), &QAbstractItemModel::dataChanged);

    QCOMPARE(m_proxy->index(0, 0).data(nowRunningRole), QVariant(true));
    m_devices->setProtocol(device, -1);
    QTRY_COMPARE(nowRunningChanges(changed), QList<int>{mix});
}

void TestRunningProtocolsModel::aRunningModelThatCannotAnswerIsReported()
{
    addAll(*m_library, {"Mix"});
    QStandardItemModel devices;
    QTest::ignoreMessage(QtWarningMsg, "Running devices model without isRunningProtocol(int): "
                                       "QStandardItemModel");
    const RunningProtocolsModel proxy(m_library.get(), &devices);
    QCOMPARE(proxy.index(0, 0).data(nowRunningRole), QVariant(false));
}

QTEST_GUILESS_MAIN(TestRunningProtocolsModel)
#include "tst_runningprotocolsmodel.moc"
