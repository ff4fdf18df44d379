#include "database/WellListModel.h"
// Speed targets of the wells window at a field of 100 000 wells (four regimes each, an SQLite
// file): the list read and shown within 0,3 s, and sorted by a column within 0,2 s.
#include "database/view/WellsWindow.h"
#include "platform/RecordingMessagePort.h"

#include <QApplication>
#include <QHeaderView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// The field, made once: kwu_ind with results for two wells in three, as a batch leaves it.
const id::StartOptions& field(int wells) {
    static QTemporaryDir dir;
    static std::map<int, id::StartOptions> made;
    if (const auto at = made.find(wells); at != made.end())
        return at->second;
    id::StartOptions o{.DatabaseMode = true,
                       .DatabaseFile = dir.filePath(QStringLiteral("field%1.sqlite").arg(wells))};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bench-field");
        db.setDatabaseName(o.DatabaseFile);
        db.open();
        QSqlQuery q(db);
        q.exec("create table kwu_regime (kwu_id integer, rate double, pressure double, "
               "well_type integer)");
        q.exec("create table kwu_ind (kwu_id integer primary key, kprod real, pplast real, "
               "pzab_dop real)");
        q.exec("create index kwu_regime_id on kwu_regime (kwu_id)");
        db.transaction();
        q.prepare("insert into kwu_regime values (?, ?, ?, ?)");
        for (int i = 1; i <= wells; ++i)
            for (int k = 1; k <= 4; ++k) {
                q.addBindValue(i);
                q.addBindValue(10.0 * k);
                q.addBindValue(20 - 0.2 * k + 0.001 * (i % 97));
                q.addBindValue(i % 5 == 0 ? 2 : 1);
                q.exec();
            }
        q.prepare("insert into kwu_ind values (?, ?, ?, ?)");
        for (int i = 1; i <= wells; ++i) {
            q.addBindValue(i);
            q.addBindValue(i % 3 == 0 ? QVariant() : QVariant(0.1 + (i * 37 % 1000) / 500.0));
            q.addBindValue(i % 3 == 0 ? QVariant() : QVariant(150 + (i * 13 % 700) / 10.0));
            q.addBindValue(QVariant());
            q.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase("bench-field");
    return made[wells] = o;
}

// "Скважины" opened: the list read in the background, put into the model and shown.
void WellsOpen(benchmark::State& state) {
    const id::StartOptions& options = field(static_cast<int>(state.range(0)));
    id::RecordingMessagePort messages;
    for (auto _ : state) {
        id::WellsWindow window(options, messages, [] { return id::BatchSettings{}; });
        window.show();
        window.reload();
        window.wait();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.model().rowCount());
    }
}
// The CPU column counts every thread of the process (the list is read in the background): on a
// machine shared with other work it is the figure to hold against the targets.
BENCHMARK(WellsOpen)->Arg(2000)->Arg(100000)->MeasureProcessCPUTime()->Unit(
    benchmark::kMillisecond);

// A click on a result's header: the shown list sorted by it, up and down in turn.
void WellsSort(benchmark::State& state) {
    id::RecordingMessagePort messages;
    id::WellsWindow window(field(static_cast<int>(state.range(0))), messages,
                           [] { return id::BatchSettings{}; });
    window.show();
    window.reload();
    window.wait();
    bool down = false;
    for (auto _ : state) {
        window.table().sortByColumn(id::WellListModel::Kprod,
                                    down ? Qt::DescendingOrder : Qt::AscendingOrder);
        QApplication::processEvents();
        down = !down;
    }
}
BENCHMARK(WellsSort)->Arg(2000)->Arg(100000)->MeasureProcessCPUTime()->Unit(
    benchmark::kMillisecond);

} // namespace
