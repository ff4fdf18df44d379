#include "database/WellListModel.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace id {
namespace {

// An in-memory well database, a connection of each test's own.
class WellListTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = QSqlDatabase::addDatabase("QSQLITE", "well-list");
        db.setDatabaseName(":memory:");
        ASSERT_TRUE(db.open());
        exec({"create table kwu_regime (kwu_id, rate, pressure, well_type)",
              "create table kwu_ind (kwu_id integer, kprod, pplast, pzab_dop)"});
    }
    void TearDown() override {
        db.close();
        db = {};
        QSqlDatabase::removeDatabase("well-list");
    }
    void exec(const QStringList& statements) {
        for (const QString& s : statements) {
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << q.lastError().text().toStdString();
        }
    }
    QSqlDatabase db;
};

// What the list reads of each well, against the rows the test wrote.
TEST_F(WellListTest, ReadsEveryWellWithItsResultsAndRefusesWhatItCannotRead) {
    exec({"insert into kwu_regime values (1, 10, 20, 1), (1, 20, 19, 1), (1, 30, 18, 1)",
          "insert into kwu_regime values (2, 10, 9, 2), (2, 20, 10, 2)",
          "insert into kwu_regime values (3, 10, 20, 1), (3, 20, 19, 2)",
          "insert into kwu_regime values (4, 10, 20, 3)",
          "insert into kwu_regime values (5, 10, 20, null), (5, 20, 19, 1)",
          "insert into kwu_regime values ('x', 10, 20, 1)",
          "insert into kwu_ind values (1, 0.5, 200.5, null), (2, null, null, null)",
          "insert into kwu_ind values (3, 'abc', 1, 1), (4, 1, 1, 1), (4, 2, 2, 2)"});
    const WellListRead read = readWellList(db, "kwu_regime");
    ASSERT_TRUE(read.outcome.ok) << read.outcome.message.toStdString();
    EXPECT_FALSE(read.workTable);
    EXPECT_TRUE(read.outcome.message.contains("(1)")) << "the id 'x' is said, not shown";
    const StoredValue none;
    const auto number = [](double v) { return StoredValue{StoredValue::Number, v, {}}; };
    const StoredValue twice{StoredValue::Unreadable, 0, "несколько строк в kwu_ind"};
    struct Expected {
        qint64 id;
        std::int16_t type;
        const char* typeProblem;
        int regimes;
        StoredValue kprod, pplast;
        bool resultRow;
        WellState state;
    };
    const Expected expected[] = {
        {1, 1, "", 3, number(0.5), number(200.5), true, WellState::Interpreted},
        {2, 2, "", 2, none, none, true, WellState::NotInterpreted},
        {3,
         0,
         "и добывающей, и нагнетательной",
         2,
         {StoredValue::Unreadable, 0, "abc"},
         number(1),
         true,
         WellState::Interpreted},
        {4, 0, "«3» — не 1", 1, twice, twice, false, WellState::NotInterpreted},
        {5, 0, "не задан (NULL)", 2, none, none, false, WellState::NotInterpreted},
    };
    ASSERT_EQ(read.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const WellListRow& r = read.rows[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(r.kwuId, e.id);
        EXPECT_EQ(r.wellType, e.type);
        EXPECT_TRUE(r.typeProblem.contains(QString::fromUtf8(e.typeProblem)))
            << r.typeProblem.toStdString();
        EXPECT_EQ(r.typeProblem.isEmpty(), e.type != 0);
        EXPECT_EQ(r.regimes, e.regimes);
        EXPECT_EQ(r.kprod, e.kprod);
        EXPECT_EQ(r.pplast, e.pplast);
        EXPECT_EQ(r.resultRow, e.resultRow);
        EXPECT_EQ(r.state, e.state);
    }

    // A shared run's work table gives the state and the reason; one well read alone agrees.
    exec({"create table kwu_batch_work (kwu_id integer, done boolean, ok boolean, message text)",
          "insert into kwu_batch_work values (1, 1, 1, ''), (2, 1, 0, 'Мало точек'), "
          "(3, 0, null, null)"});
    const WellListRead withRun = readWellList(db, "kwu_regime");
    ASSERT_TRUE(withRun.workTable);
    EXPECT_EQ(withRun.rows[0].state, WellState::Interpreted);
    EXPECT_EQ(withRun.rows[1].state, WellState::Refused);
    EXPECT_EQ(withRun.rows[1].reason, "Мало точек");
    EXPECT_EQ(withRun.rows[2].state, WellState::NotInterpreted);
    const WellListRead one = readWellList(db, "kwu_regime", 2);
    ASSERT_EQ(one.rows.size(), 1u);
    EXPECT_EQ(one.rows.front(), withRun.rows[1]);

    const WellListRead missing = readWellList(db, "no_regimes");
    EXPECT_FALSE(missing.outcome.ok);
    EXPECT_TRUE(missing.outcome.message.startsWith("Список скважин не прочитан."));
    EXPECT_TRUE(missing.rows.empty());
}

TEST_F(WellListTest, AWellsRegimesAreReadOrRefusedWithTheReason) {
    exec({"insert into kwu_regime values (1, 10, 20, 2), (1, null, 19, 2), (1, 30, 18, 2)",
          "insert into kwu_regime values (2, 10, 20, 1), (2, 20, 'abc', 1)",
          "insert into kwu_regime values (3, 10, 20, 1), (3, 20, 19, 2)",
          "insert into kwu_regime values (4, 10, 20, 7)"});
    const struct {
        qint64 id;
        bool found;
        const char* refusal;
        std::vector<double> rates;
    } cases[] = {
        {1, true, "", {10, 30}},
        {2, true, "режим 2: давление «abc» — не число", {10}},
        {3, true, "режимы и добывающей, и нагнетательной", {10, 20}},
        {4, true, "режим 1: тип скважины «7»", {}},
        {5, false, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const RegimesRead read = readWellRegimes(db, "kwu_regime", c.id);
        ASSERT_TRUE(read.outcome.ok);
        ASSERT_EQ(read.well.has_value(), c.found);
        if (!c.found)
            continue;
        const QString refusal = read.well->refusal;
        EXPECT_EQ(refusal.isEmpty(), *c.refusal == 0);
        EXPECT_TRUE(refusal.isEmpty() || refusal.startsWith(QString::fromUtf8(c.refusal)))
            << refusal.toStdString();
        if (refusal.isEmpty()) {
            EXPECT_EQ(read.well->rates, c.rates);
        }
    }
    const RegimesRead first = readWellRegimes(db, "kwu_regime", 1);
    EXPECT_EQ(first.well->wellType, InjectionWell);
    EXPECT_EQ(first.well->notes, QStringList{"режим 2 не учтён: приемистость не задана (NULL)"});
}

// Random wells: whatever the column and the direction, each pair of neighbours stands in the
// order (the wells without a number last, equal keys by kwu_id), the filter lets through
// exactly the wells of its state, and the walk visits the wells shown one by one.
TEST(WellListModel, SortsFiltersAndWalksInTheOrderShown) {
    QRandomGenerator random(37);
    std::vector<WellListRow> rows;
    for (qint64 id = 1; id <= 400; ++id) {
        WellListRow r;
        r.kwuId = id * 7 % 401;
        r.wellType = static_cast<std::int16_t>(random.bounded(3));
        r.regimes = random.bounded(1, 6);
        const auto value = [&] {
            const int kind = random.bounded(6);
            return kind == 0   ? StoredValue{}
                   : kind == 1 ? StoredValue{StoredValue::Unreadable, 0, "?"}
                               : StoredValue{StoredValue::Number, double(random.bounded(50)), {}};
        };
        r.kprod = value();
        r.pplast = value();
        r.pzabDop = value();
        r.state = static_cast<WellState>(random.bounded(3));
        rows.push_back(r);
    }
    WellListModel model;
    model.setRows(rows);
    const auto key = [](const WellListRow& r, int column) -> std::pair<int, double> {
        const StoredValue& v = column == WellListModel::Kprod    ? r.kprod
                               : column == WellListModel::Pplast ? r.pplast
                                                                 : r.pzabDop;
        switch (column) {
        case WellListModel::Id:
            return {0, double(r.kwuId)};
        case WellListModel::Type:
            return {0, double(r.wellType)};
        case WellListModel::Regimes:
            return {0, double(r.regimes)};
        case WellListModel::State:
            return {0, double(static_cast<int>(r.state))};
        default:
            return {v.kind == StoredValue::Number ? 0 : 1,
                    v.kind == StoredValue::Number ? v.value : 0};
        }
    };
    for (const WellFilter filter : {WellFilter::All, WellFilter::Interpreted, WellFilter::Refused,
                                    WellFilter::NotInterpreted}) {
        model.setFilter(filter);
        const std::pair<WellFilter, WellState> lets[] = {
            {WellFilter::Interpreted, WellState::Interpreted},
            {WellFilter::Refused, WellState::Refused},
            {WellFilter::NotInterpreted, WellState::NotInterpreted}};
        const auto passes = [&](const WellListRow& r) {
            return filter == WellFilter::All ||
                   std::find(std::begin(lets), std::end(lets), std::pair{filter, r.state}) !=
                       std::end(lets);
        };
        const auto expectedCount = std::count_if(rows.begin(), rows.end(), passes);
        for (const int column :
             {int(WellListModel::Id), int(WellListModel::Type), int(WellListModel::Regimes),
              int(WellListModel::Kprod), int(WellListModel::PzabDop), int(WellListModel::State)})
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                SCOPED_TRACE(testing::Message() << int(filter) << " " << column << " " << order);
                model.sort(column, order);
                const std::vector<qint64> shown = model.shownWells();
                ASSERT_EQ(qsizetype(shown.size()), expectedCount);
                for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
                    const WellListRow& a = *model.well(shown[i]);
                    const WellListRow& b = *model.well(shown[i + 1]);
                    ASSERT_TRUE(passes(a));
                    auto ka = key(a, column), kb = key(b, column);
                    if (order == Qt::DescendingOrder && ka.first == kb.first)
                        std::swap(ka.second, kb.second);
                    const bool tie = ka == kb;
                    ASSERT_TRUE(ka < kb ||
                                (tie && (column == WellListModel::Id || a.kwuId < b.kwuId)))
                        << a.kwuId << " before " << b.kwuId;
                }
                // The walk: from each well to the next shown, and none past the ends.
                for (std::size_t i = 0; i < shown.size(); ++i) {
                    EXPECT_EQ(model.shownRow(shown[i]), int(i));
                    EXPECT_EQ(model.neighbour(shown[i], 1),
                              i + 1 < shown.size() ? std::optional(shown[i + 1]) : std::nullopt);
                    EXPECT_EQ(model.neighbour(shown[i], -1),
                              i > 0 ? std::optional(shown[i - 1]) : std::nullopt);
                }
            }
        // From a well the filter hides, the walk starts at either end of what is shown.
        const auto hidden =
            std::find_if(rows.begin(), rows.end(), [&](auto& r) { return !passes(r); });
        if (hidden != rows.end() && expectedCount > 0) {
            EXPECT_EQ(model.neighbour(hidden->kwuId, 1), model.shownWells().front());
            EXPECT_EQ(model.neighbour(hidden->kwuId, -1), model.shownWells().back());
        }
    }
}

TEST(WellListModel, DistributionCountsEqualBinsFromLeastToGreatest) {
    const auto values = [](std::initializer_list<double> numbers, int missing) {
        std::vector<StoredValue> v;
        for (const double n : numbers)
            v.push_back({StoredValue::Number, n, {}});
        for (int i = 0; i < missing; ++i)
            v.push_back({});
        return v;
    };
    // Counted by hand: the bins [0, 2), [2, 4), … [8, 10], the greatest in the last.
    const struct {
        std::vector<StoredValue> values;
        int bins;
        std::vector<int> counts;
        int missing;
    } cases[] = {
        {values({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2), 5, {2, 2, 2, 2, 3}, 2},
        {values({3, 3, 3}, 0), 4, {3, 0, 0, 0}, 0},
        {values({}, 3), 2, {0, 0}, 3},
        {values({-1, 1}, 0), 2, {1, 1}, 0},
    };
    for (const auto& c : cases) {
        const Distribution d = distributionOf(c.values, c.bins);
        EXPECT_EQ(d.counts, c.counts);
        EXPECT_EQ(d.missing, c.missing);
        EXPECT_EQ(d.numbers, int(c.values.size()) - c.missing);
    }
}

} // namespace
} // namespace id
