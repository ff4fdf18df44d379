#include "batch/BatchRun.h"

#include "batch/BatchDatabase.h"
#include "batch/FittingCrew.h"
#include "batch/ResultWriter.h"
#include "batch/SummaryFile.h"
#include "batch/WellSources.h"
#include "platform/MemoryPolicy.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

namespace id {

using namespace batchrun;

namespace {

// The block interpreted on the threads; the outcomes in the block's order. The calling thread
// first does `alongside` (the database's reading and writing, which must stay on the thread of
// its connection), then takes wells with the others: with two jobs the reading and writing of
// the blocks around this one are off the fitting's path.
// Each well's summary line is made with its outcome, off the database's thread.
struct Interpreted {
    std::vector<WellOutcome> outcomes;
    std::vector<QString> lines;
};
Interpreted interpret(const std::vector<WellRegimes>& wells, const BatchSettings& settings,
                      FittingCrew& crew, const std::function<void()>& alongside) {
    Interpreted done{std::vector<WellOutcome>(wells.size()), std::vector<QString>(wells.size())};
    std::vector<WellOutcome>& outcomes = done.outcomes;
    std::atomic<std::size_t> nextWell{0};
    const std::function<void()> work = [&] {
        LeastSquaresFitService fits;
        for (std::size_t i = nextWell++; i < wells.size(); i = nextWell++) {
            WellOutcome& o = outcomes[i];
            o = interpretWell(wells[i], settings, fits);
            done.lines[i] = summaryLine(o, settings.rule);
            // The model's and the break's figures are in the line now (a well whose writing
            // fails is summed up without them): the outcome waits for its block without them.
            o.model = {};
            o.breakRecord.reset();
        }
    };
    crew.run(work, alongside);
    return done;
}

// The well database a batch writes to, if any, and where it reads its wells.
struct BatchSources {
    QSqlDatabase db;
    std::unique_ptr<WellSource> source;
    bool toDatabase = false;
};

// The database of the options opened (the reading one too, for a server) and the source of the
// wells made; the reason when they cannot be.
QString openSources(const BatchOptions& options, const QString& connection, const QString& reading,
                    BatchSources& sources) {
    QSqlDatabase& db = sources.db;
    const bool toDatabase = !options.databaseFile.isEmpty() || !options.connectionText.isEmpty();
    sources.toDatabase = toDatabase;
    if (toDatabase) {
        if (!plainName(options.regimesTable))
            return QStringLiteral("Имя таблицы режимов недопустимо: ") + options.regimesTable;
        const QString fatal = openDatabase(options, connection);
        db = QSqlDatabase::database(connection, false);
        if (!fatal.isEmpty()) {
            db = {};
            QSqlDatabase::removeDatabase(connection);
            return fatal;
        }
    }
    if (!options.inputFolder.isEmpty()) {
        if (!QDir(options.inputFolder).exists())
            return QStringLiteral("Папка не найдена: ") + options.inputFolder;
        sources.source = makeFolderSource(options.inputFolder, options.wellType);
    } else if (toDatabase) {
        // A server is read on a connection of its own: a driver that allows one open result
        // per connection would refuse the writes while the pass is open. A file is read and
        // written on one: another connection's reading would hold its lock against the commits.
        QSqlDatabase readDb = db;
        if (!options.connectionText.isEmpty()) {
            if (const QString fatal = openDatabase(options, reading); !fatal.isEmpty())
                return fatal;
            readDb = QSqlDatabase::database(reading, false);
        }
        sources.source = makeDatabaseSource(readDb, options.regimesTable);
    } else {
        return QStringLiteral("Не указано, откуда брать замеры");
    }
    return {};
}

// How a pass over a block's wells ended: every well written or refused, an update that changed
// more than its well's row with no savepoint to undo it alone, or the block's transaction gone.
enum class Pass { Written, Unguarded, Lost };

// The block's wells written, each kept apart by guard; a well refused says why. lost: why the
// block's transaction is gone, if it is.
Pass writeWells(ResultWriter& writer, std::vector<WellOutcome>& outcomes, ResultWriter::Guard guard,
                QString& lost) {
    for (WellOutcome& o : outcomes) {
        if (!o.ok)
            continue;
        const std::optional<QString> failure = writer.write(o, guard);
        if (!failure)
            return Pass::Unguarded;
        if (failure->isEmpty())
            continue;
        o.ok = false;
        o.message = *failure;
        if (guard != ResultWriter::Guard::Transaction && !writer.transactionOpen()) {
            lost = *failure;
            return Pass::Lost;
        }
    }
    return Pass::Written;
}

// The interpreted block's results written, its writes in one transaction of a file. Each well
// of a file is written without a savepoint of its own: one is needed only to undo an update
// that changed more than its well's row, and when one did the block is written again with them.
// The summary says "written" only of what the disk holds: a block whose transaction is lost or
// cannot be committed is written for none of its wells.
void writeBlock(ResultWriter& writer, QSqlDatabase& db, bool file,
                std::vector<WellOutcome>& outcomes) {
    const auto failAll = [&](const QString& why) {
        for (WellOutcome& o : outcomes)
            if (o.ok) {
                o.ok = false;
                o.message = why;
            }
    };
    QString lost;
    if (!file || !db.transaction()) {
        writeWells(writer, outcomes, ResultWriter::Guard::Transaction, lost);
        return;
    }
    std::vector<std::pair<bool, QString>> before;
    for (const WellOutcome& o : outcomes)
        before.emplace_back(o.ok, o.message);
    Pass pass = writeWells(writer, outcomes, ResultWriter::Guard::None, lost);
    if (pass == Pass::Unguarded) {
        if (!db.rollback()) {
            failAll(QStringLiteral("Не удалось отменить запись блока: ") + db.lastError().text());
            return;
        }
        for (std::size_t i = 0; i < outcomes.size(); ++i)
            std::tie(outcomes[i].ok, outcomes[i].message) = before[i];
        if (!db.transaction()) {
            writeWells(writer, outcomes, ResultWriter::Guard::Transaction, lost);
            return;
        }
        pass = writeWells(writer, outcomes, ResultWriter::Guard::Savepoint, lost);
    }
    if (pass == Pass::Lost) {
        db.rollback();
        failAll(QStringLiteral("Запись блока отменена базой: ") + lost);
        return;
    }
    if (!db.commit()) {
        const QString failure =
            QStringLiteral("Не удалось завершить запись: ") + db.lastError().text();
        // Left open, the transaction would hold the next blocks' writes, and they would be told
        // written.
        db.rollback();
        failAll(failure);
    }
}

// The next block's wells; none, with the run's fault said, when they cannot be read.
std::vector<WellRegimes> readWells(WellSource& source, const BatchOptions& options,
                                   BatchReport& report) {
    QString error;
    std::vector<WellRegimes> wells = source.next(error);
    if (error.isEmpty())
        return wells;
    report.fatal =
        QStringLiteral("Замеры не прочитаны: ") + regimesCause(error, options.regimesTable) + error;
    return {};
}

// The wells read, interpreted, written and summed up a block at a time.
void runBlocks(const BatchOptions& options, BatchSources& sources, SummaryFile& summary,
               BatchReport& report, const std::function<void(int, int)>& progress) {
    QSqlDatabase& db = sources.db;
    const bool writing = sources.toDatabase && !options.dryRun;
    const int total = progress ? sources.source->total() : 0;
    std::optional<ResultWriter> writer;
    if (writing)
        writer.emplace(db);
    // The interpreted block written and summed up.
    const auto finishBlock = [&](const std::vector<WellRegimes>& wells, Interpreted& done) {
        std::vector<WellOutcome>& outcomes = done.outcomes;
        std::vector<char> interpreted(outcomes.size());
        for (std::size_t i = 0; i < outcomes.size(); ++i)
            interpreted[i] = outcomes[i].ok;
        if (writing)
            writeBlock(*writer, db, !options.databaseFile.isEmpty(), outcomes);
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            const WellOutcome& o = outcomes[i];
            if (options.eachWell)
                options.eachWell(wells[i], o);
            ++report.wells;
            report.failed += o.ok ? 0 : 1;
            // A well its writing failed is summed up as it now stands.
            summary.add(interpreted[i] && !o.ok ? summaryLine(o, options.settings.rule)
                                                : done.lines[i]);
        }
        if (progress)
            progress(report.wells, total);
    };
    const auto readBlock = [&](std::vector<WellRegimes>& wells) {
        wells = readWells(*sources.source, options, report);
    };
    // Three blocks at a time: while the threads interpret one, this thread writes the one
    // before it and reads the one after it.
    std::vector<WellRegimes> current, following, written;
    Interpreted writtenOutcomes;
    FittingCrew crew(std::max(1, options.jobs) - 1);
    int blocks = 0;
    readBlock(current);
    while (!current.empty()) {
        Interpreted outcomes = interpret(current, options.settings, crew, [&] {
            if (!written.empty())
                finishBlock(written, writtenOutcomes);
            // The threads free what others allocated, in each other's pools: a long run's
            // memory would creep up by what lies free between them. Now and then is enough.
            if (++blocks % 16 == 0)
                returnFreedMemoryToTheSystem();
            if (report.fatal.isEmpty())
                readBlock(following);
        });
        written = std::move(current);
        writtenOutcomes = std::move(outcomes);
        current = std::move(following);
        following.clear();
    }
    if (!written.empty())
        finishBlock(written, writtenOutcomes);
}

} // namespace

BatchReport runBatch(const BatchOptions& options, const std::function<void(int, int)>& progress) {
    BatchReport report;
    const QString connection = QStringLiteral("indicator-batch");
    const QString reading = QStringLiteral("indicator-batch-read");
    {
        BatchSources sources;
        report.fatal = openSources(options, connection, reading, sources);
        if (!report.fatal.isEmpty())
            return report;
        SummaryFile summary;
        report.fatal = summary.open(options.summaryFile);
        if (!report.fatal.isEmpty())
            return report;
        for (const auto& [file, why] : sources.source->skipped()) {
            summary.add(skippedLine(file, options.settings.rule, why));
            report.skipped << file + QStringLiteral(": ") + why;
        }
        runBlocks(options, sources, summary, report, progress);
        sources.source.reset();
        QSqlDatabase::database(reading, false).close();
        sources.db.close();
        if (report.fatal.isEmpty() || report.wells > 0)
            if (const QString failed = summary.commit();
                !failed.isEmpty() && report.fatal.isEmpty())
                report.fatal = failed;
    }
    QSqlDatabase::removeDatabase(reading);
    QSqlDatabase::removeDatabase(connection);
    return report;
}

QString writeWellResult(QSqlDatabase& db, const WellOutcome& outcome, bool savepoint) {
    return ResultWriter(db).write(outcome, savepoint);
}

} // namespace id
