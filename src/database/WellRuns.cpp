#include "database/WellRuns.h"

#include "batch/BatchRun.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace id {

BackgroundTask::~BackgroundTask() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

bool BackgroundTask::start(std::function<void()> work, std::function<void()> done) {
    if (thread_)
        return false;
    thread_ = QThread::create(std::move(work));
    done_ = std::move(done);
    // A step already finished by wait() is not finished again by its late signal.
    connect(
        thread_, &QThread::finished, this,
        [this, step = ++steps_] {
            if (step == steps_)
                finish();
        },
        Qt::QueuedConnection);
    thread_->start();
    return true;
}

void BackgroundTask::wait() {
    if (thread_)
        finish();
}

void BackgroundTask::finish() {
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    // Taken first: the step's end may start the next one.
    const std::function<void()> done = std::move(done_);
    done_ = nullptr;
    if (done)
        done();
}

namespace {

// The well's outcome in the work table's row, in the transaction of its results.
bool markDone(QSqlDatabase& db, const WellOutcome& o, QSqlError& error) {
    QSqlQuery finish(db);
    finish.prepare(QStringLiteral("update %1 set done = ?, ok = ?, message = ? where kwu_id = ?")
                       .arg(QString::fromLatin1(WorkTable)));
    finish.addBindValue(true);
    finish.addBindValue(o.ok);
    finish.addBindValue(o.message);
    finish.addBindValue(o.kwuId);
    if (finish.exec())
        return true;
    error = finish.lastError();
    return false;
}

} // namespace

namespace {

// A well's result and its row of the work table (when there is one) in one transaction; the
// failure that stops the run, if any. A result the database refuses makes the well refused.
std::optional<DatabaseOutcome> commitWell(QSqlDatabase& db, WellOutcome& o, bool work,
                                          const QString& stopped) {
    if (!db.transaction())
        return databaseFailure(stopped, db.lastError());
    if (o.ok)
        if (const QString failure = writeWellResult(db, o, true); !failure.isEmpty()) {
            o.ok = false;
            o.message = failure;
        }
    QSqlError error;
    if (work && !markDone(db, o, error)) {
        db.rollback();
        return databaseFailure(stopped, error);
    }
    if (!db.commit()) {
        const QSqlError failure = db.lastError();
        db.rollback();
        return databaseFailure(stopped, failure);
    }
    return std::nullopt;
}

} // namespace

WellsRun applyRuleToWells(const StartOptions& options, const BatchSettings& settings,
                          const std::vector<qint64>& wells, const std::atomic<bool>& cancel,
                          std::atomic<int>& done) {
    WellsRun run;
    const QString stopped = QStringLiteral("Обработка скважин прервана.");
    const DatabaseOutcome outcome = WellDatabase(options).run(
        stopped + QStringLiteral(" Не удалось подключиться к базе скважин."),
        [&](QSqlDatabase& db) -> DatabaseOutcome {
            LeastSquaresFitService fits;
            const bool work =
                db.tables().contains(QString::fromLatin1(WorkTable), Qt::CaseInsensitive);
            for (const qint64 id : wells) {
                if (cancel) {
                    run.cancelled = true;
                    break;
                }
                const RegimesRead read = readWellRegimes(db, options.RegimesTable, id);
                if (!read.outcome.ok)
                    return {false, stopped + u' ' + read.outcome.message, read.outcome.details};
                WellOutcome o;
                o.kwuId = id;
                o.message = QStringLiteral("В таблице режимов нет строк этой скважины");
                if (read.well)
                    o = interpretWell(*read.well, settings, fits);
                if (std::optional<DatabaseOutcome> failed = commitWell(db, o, work, stopped))
                    return *failed;
                ++run.done;
                run.failed += o.ok ? 0 : 1;
                WellListRead back = readWellList(db, options.RegimesTable, id);
                if (back.outcome.ok && back.rows.size() == 1) {
                    // Without a work table the refusal lives in the list only.
                    WellListRow row = back.rows.front();
                    row.state = o.ok ? WellState::Interpreted : WellState::Refused;
                    row.reason = o.ok ? QString() : o.message;
                    run.rows.push_back(row);
                }
                ++done;
            }
            return {true, {}, {}};
        });
    if (!outcome.ok) {
        run.fatal = outcome.message;
        run.details = outcome.details;
    }
    return run;
}

} // namespace id
