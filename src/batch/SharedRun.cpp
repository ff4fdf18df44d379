#include "batch/BatchDatabase.h"
#include "batch/BatchRun.h"
#include "batch/ResultWriter.h"
#include "batch/SummaryFile.h"
#include "batch/WellSources.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <functional>

namespace id {

using namespace batchrun;

namespace {

// A shared run's worker claims this many wells in one round trip.
constexpr int WellsPerClaim = 64;

} // namespace

BatchReport startSharedRun(const BatchOptions& options) {
    BatchReport report;
    const QString name = QStringLiteral("indicator-batch-start");
    report.fatal = sharedRunDatabase(options, name);
    if (report.fatal.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.transaction();
        QSqlQuery q(db);
        const QString table = QString::fromLatin1(WorkTable);
        // The partial index holds the rows still to do: the claim costs the same at the run's end
        // as at its start, however many rows are done.
        for (const QString& statement :
             {QStringLiteral("drop table if exists %1").arg(table),
              QStringLiteral("create table %1 (kwu_id bigint primary key, done boolean not null "
                             "default false, ok boolean, message text, claimed_by text)")
                  .arg(table),
              QStringLiteral("insert into %1 (kwu_id) select distinct kwu_id from %2")
                  .arg(table, options.regimesTable),
              QStringLiteral("create index %1_to_do on %1 (kwu_id) where not done").arg(table)})
            if (!q.exec(statement)) {
                report.fatal = QStringLiteral("Прогон не начат: ") +
                               regimesCause(q.lastError().text(), options.regimesTable) +
                               q.lastError().text();
                db.rollback();
                break;
            } else if (statement.startsWith(QStringLiteral("insert"))) {
                report.wells = q.numRowsAffected();
            }
        if (report.fatal.isEmpty() && !db.commit())
            report.fatal = QStringLiteral("Прогон не начат: ") + db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return report;
}

namespace {

// The run's wells done (by every worker) and in all, from the work table.
std::pair<int, int> runProgress(QSqlDatabase& db) {
    QSqlQuery count(db);
    count.exec(QStringLiteral("select count(*), count(*) filter (where done) from %1")
                   .arg(QString::fromLatin1(WorkTable)));
    if (!count.next())
        return {0, 0};
    return {count.value(1).toInt(), count.value(0).toInt()};
}

// The statement that claims the next wells for this worker's server session.
QString claimStatement(const QString& table) {
    const QString session = QStringLiteral("pid::text || '@' || backend_start::text");
    return QStringLiteral("with me as (select %2 as who from pg_stat_activity where pid = "
                          "pg_backend_pid()), alive as (select %2 as who from pg_stat_activity "
                          "where backend_start is not null) update %1 set claimed_by = (select "
                          "who from me) where kwu_id in (select kwu_id from %1 where not done and "
                          "(claimed_by is null or claimed_by not in (select who from alive)) "
                          "order by kwu_id limit %3 for update skip locked) returning kwu_id")
        .arg(table, session)
        .arg(WellsPerClaim);
}

// A block of wells at a time, marked with this worker's server session and committed at once; a
// block of a session that has ended (a worker that died) is free to take again. The wells go into
// `claimed`, the next last; the reason when the claim fails.
QString claimWells(QSqlDatabase& db, const QString& statement, std::vector<qint64>& claimed) {
    QSqlQuery claim(db);
    if (!claim.exec(statement))
        return QStringLiteral("Скважина не взята: ") + claim.lastError().text();
    while (claim.next())
        claimed.push_back(claim.value(0).toLongLong());
    claim.finish();
    std::sort(claimed.begin(), claimed.end(), std::greater<>());
    return {};
}

// A claimed well's regimes, read with the prepared query of the regimes table.
WellRegimes readClaimedWell(QSqlQuery& rows, qint64 kwuId) {
    WellRegimes well{kwuId, ProducingWell, {}, {}, {}, {}, {}};
    rows.bindValue(0, well.kwuId);
    rows.exec();
    for (int regime = 1; rows.next(); ++regime) {
        const std::int16_t type = wellTypeOf(rows.value(2));
        if (regime > 1 && type != well.wellType && well.refusal.isEmpty())
            well.refusal = ambiguous(well.kwuId, QStringLiteral("режимы и добывающей, и "
                                                                "нагнетательной скважины"));
        well.wellType = type;
        addRegime(well, regime, readCell(rows.value(0)), readCell(rows.value(1)));
    }
    rows.finish();
    return well;
}

// The well's result written (unless a dry run) and its row of the work table marked done with the
// prepared `finish`, in the transaction begun; the reason when they could not be committed.
QString commitWell(QSqlDatabase& db, QSqlQuery& finish, ResultWriter& writer, bool dryRun,
                   WellOutcome& o) {
    if (o.ok && !dryRun) {
        const QString failure = writer.write(o, true);
        if (!failure.isEmpty()) {
            o.ok = false;
            o.message = failure;
        }
    }
    finish.bindValue(0, o.ok);
    finish.bindValue(1, o.message);
    finish.bindValue(2, o.kwuId);
    // The result and the claim go to the disk together, or neither does.
    if (!finish.exec() || !db.commit()) {
        const QString failure =
            QStringLiteral("Результат не записан: ") +
            (finish.lastError().isValid() ? finish.lastError().text() : db.lastError().text());
        db.rollback();
        return failure;
    }
    return {};
}

// Wells taken, interpreted and committed one at a time until none is left or one fails to be.
void workWells(const BatchOptions& options, QSqlDatabase& db, SummaryFile& summary,
               BatchReport& report, const std::function<void(int, int)>& progress) {
    LeastSquaresFitService fits;
    ResultWriter writer(db);
    const QString table = QString::fromLatin1(WorkTable);
    const QString claim = claimStatement(table);
    // The wells claimed and not yet done, the next last.
    std::vector<qint64> claimed;
    // A well's regimes, and its row of the work table marked done: prepared once.
    QSqlQuery rows(db), finish(db);
    rows.setForwardOnly(true);
    rows.prepare(QStringLiteral("select rate, pressure, well_type from %1 where kwu_id = ?")
                     .arg(options.regimesTable));
    finish.prepare(QStringLiteral("update %1 set done = true, ok = ?, message = ? where kwu_id = ?")
                       .arg(table));
    // The count walks the whole work table: asked again every second or so, not every well.
    std::pair<int, int> run{0, 0};
    int mineSinceCount = 0;
    QElapsedTimer sinceCount;
    for (;;) {
        if (progress && (!sinceCount.isValid() || sinceCount.elapsed() > 1000)) {
            run = runProgress(db);
            mineSinceCount = 0;
            sinceCount.start();
        }
        if (claimed.empty()) {
            report.fatal = claimWells(db, claim, claimed);
            if (!report.fatal.isEmpty() || claimed.empty())
                break;
        }
        const qint64 kwuId = claimed.back();
        claimed.pop_back();
        if (!db.transaction()) {
            report.fatal = db.lastError().text();
            break;
        }
        const WellRegimes well = readClaimedWell(rows, kwuId);
        WellOutcome o = interpretWell(well, options.settings, fits);
        report.fatal = commitWell(db, finish, writer, options.dryRun, o);
        if (!report.fatal.isEmpty())
            break;
        if (options.eachWell)
            options.eachWell(well, o);
        summary.add(summaryLine(o, options.settings.rule));
        ++report.wells;
        report.failed += o.ok ? 0 : 1;
        if (progress)
            progress(std::min(run.first + ++mineSinceCount, run.second), run.second);
    }
}

} // namespace

BatchReport runWorker(const BatchOptions& options, const std::function<void(int, int)>& progress) {
    BatchReport report;
    const QString name = QStringLiteral("indicator-batch-worker");
    report.fatal = sharedRunDatabase(options, name);
    SummaryFile summary;
    if (report.fatal.isEmpty())
        report.fatal = summary.open(options.summaryFile);
    if (report.fatal.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        workWells(options, db, summary, report, progress);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    // The wells done are in the database whatever stopped the run: the summary says which. A run
    // that did none leaves the old summary.
    if (report.fatal.isEmpty() || report.wells > 0)
        if (const QString failed = summary.commit(); !failed.isEmpty() && report.fatal.isEmpty())
            report.fatal = failed;
    return report;
}

} // namespace id
