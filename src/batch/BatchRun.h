#pragma once

#include "batch/BatchInterpretation.h"

#include <functional>

class QSqlDatabase;

namespace id {

// Where a batch reads its wells and writes their results.
struct BatchOptions {
    BatchSettings settings;
    // The well database: an SQLite file, or the server as the window reaches it.
    QString databaseFile;
    QString connectionText;
    QString serverName;
    QString regimesTable = QStringLiteral("kwu_regime");
    // Or a folder of one file per well, its base name the kwu_id; their well type.
    QString inputFolder;
    std::int16_t wellType = ProducingWell;
    QString summaryFile;
    bool dryRun = false;
    int jobs = 1;
    // Called for every well in kwu_id order once its result is where it goes (a report's page).
    std::function<void(const WellRegimes&, const WellOutcome&)> eachWell;
};

struct BatchReport {
    int wells = 0;
    int failed = 0;
    // Files of the input folder that are no well's, each with why.
    QStringList skipped;
    // Why the run could not go on at all (no database, no folder, no summary file).
    QString fatal;
};

// Interprets every well in kwu_id order, on the given number of threads, and writes each
// result into kwu_ind in a transaction of its own kept only when exactly its row changed; the
// summary gets a line per well in the same order whatever the threads. Wells are read a block at
// a time, so the memory does not grow with the field.
BatchReport runBatch(const BatchOptions& options,
                     const std::function<void(int done, int total)>& progress = nullptr);

// A run shared by workers on any machines through a PostgreSQL well database: the work table
// kwu_batch_work holds one row per well of the regimes table.
constexpr const char* WorkTable = "kwu_batch_work";
// Makes the work table afresh: every well to do, and an index of the rows still to do.
BatchReport startSharedRun(const BatchOptions& options);
// Takes wells one at a time (select … for update skip locked), interprets each and commits its
// result and its row of the work table in one transaction: a worker that dies loses only the
// well it held, which another then takes. Returns when no well is left. Its summary holds the
// wells it took; the progress counts the run's wells done by every worker.
BatchReport runWorker(const BatchOptions& options,
                      const std::function<void(int done, int total)>& progress = nullptr);

// A well's three results written into its row of kwu_ind, kept only when exactly that row
// changed: in a transaction of its own, or a savepoint inside the caller's. The reason when
// nothing was kept.
QString writeWellResult(QSqlDatabase& db, const WellOutcome& outcome, bool savepoint);

} // namespace id
