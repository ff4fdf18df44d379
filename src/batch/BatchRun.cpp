#include "batch/BatchRun.h"

#include "app/ResultSaving.h"
#include "database/WellDatabase.h"
#include "document/WholeFile.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/StartOptions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <thread>

namespace id {

namespace {

constexpr int WellsPerBlock = 512;
// A shared run's worker claims this many wells in one round trip.
constexpr int WellsPerClaim = 64;

// The wells of the next block, in kwu_id order; none when the source is done.
class WellSource {
public:
    virtual ~WellSource() = default;
    virtual std::vector<WellRegimes> next(QString& error) = 0;
    // How many wells there are, for the progress.
    virtual int total() = 0;
    // Files that are no well's, each with why.
    virtual std::vector<std::pair<QString, QString>> skipped() const { return {}; }
};

QString ambiguous(qint64 id, const QString& what) {
    return QStringLiteral("kwu_id %1: %2 — неясно, какие замеры его; ничего не записано")
        .arg(id)
        .arg(what);
}

std::int16_t wellTypeOf(const QVariant& cell) {
    return cell.toInt() == InjectionWell ? InjectionWell : ProducingWell;
}

// The regimes table read in one pass ordered by kwu_id, so that the time grows with the field
// whether the table has an index or not: a table without one would be scanned again for every
// block. Before it, the distinct ids alone: one id written in two ways (12 and '12') is known
// ambiguous before any of its rows is interpreted.
class DatabaseSource : public WellSource {
public:
    DatabaseSource(QSqlDatabase db, QString table)
        : db_(std::move(db)), table_(std::move(table)), rows_(db_) {}
    int total() override {
        prepare();
        return total_;
    }
    std::vector<WellRegimes> next(QString& error) override {
        std::vector<WellRegimes> wells;
        prepare();
        if (!error_.isEmpty()) {
            error = error_;
            return wells;
        }
        QString key;
        int regime = 0;
        for (;;) {
            if (!pending_) {
                if (!rows_.next()) {
                    if (rows_.lastError().isValid())
                        error = rows_.lastError().text();
                    break;
                }
                pending_ = {rows_.value(0), rows_.value(1), rows_.value(2), rows_.value(3)};
            }
            const Row& row = *pending_;
            const QString rowKey = keyOf(row.id);
            if (wells.empty() || rowKey != key) {
                if (wells.size() == WellsPerBlock)
                    break;
                wells.push_back(startWell(row));
                key = rowKey;
                regime = 0;
            }
            WellRegimes& well = wells.back();
            if (well.refusal.isEmpty() && regime > 0 && wellTypeOf(row.type) != well.wellType)
                well.refusal = ambiguous(well.kwuId, QStringLiteral("режимы и добывающей, и "
                                                                    "нагнетательной скважины"));
            addRegime(well, ++regime, readCell(row.rate), readCell(row.pressure));
            pending_.reset();
        }
        return wells;
    }

private:
    struct Row {
        QVariant id, rate, pressure, type;
    };
    static QString keyOf(const QVariant& id) {
        QString why;
        if (const std::optional<qint64> v = readWellId(id, why))
            return QString::number(*v);
        return QStringLiteral("?") + (id.isNull() ? QStringLiteral("null") : id.toString());
    }
    WellRegimes startWell(const Row& row) const {
        WellRegimes well;
        well.wellType = wellTypeOf(row.type);
        QString why;
        if (const std::optional<qint64> id = readWellId(row.id, why)) {
            well.kwuId = *id;
            if (ambiguous_.contains(*id))
                well.refusal = ambiguous(*id, QStringLiteral("он записан в таблице режимов "
                                                             "по-разному"));
        } else {
            well.idText = row.id.isNull()                         ? QStringLiteral("NULL")
                          : row.id.toString().trimmed().isEmpty() ? QStringLiteral("«»")
                                                                  : row.id.toString();
            well.refusal = why;
        }
        return well;
    }
    void prepare() {
        if (prepared_)
            return;
        prepared_ = true;
        QSqlQuery ids(db_);
        ids.setForwardOnly(true);
        if (!ids.exec(QStringLiteral("select kwu_id from %1 group by kwu_id").arg(table_))) {
            error_ = ids.lastError().text();
            return;
        }
        QSet<qint64> seen;
        while (ids.next()) {
            ++total_;
            QString why;
            const std::optional<qint64> id = readWellId(ids.value(0), why);
            if (id && seen.contains(*id))
                ambiguous_.insert(*id);
            else if (id)
                seen.insert(*id);
        }
        ids.finish();
        rows_.setForwardOnly(true);
        if (!rows_.exec(QStringLiteral("select kwu_id, rate, pressure, well_type from %1 order "
                                       "by kwu_id")
                            .arg(table_)))
            error_ = rows_.lastError().text();
    }

    QSqlDatabase db_;
    QString table_;
    QSqlQuery rows_;
    std::optional<Row> pending_;
    bool prepared_ = false;
    QString error_;
    int total_ = 0;
    QSet<qint64> ambiguous_;
};

class FolderSource : public WellSource {
public:
    FolderSource(const QString& folder, std::int16_t wellType) : wellType_(wellType) {
        const QDir dir(folder);
        std::map<qint64, QStringList> byId;
        for (const QFileInfo& f :
             dir.entryInfoList({QStringLiteral("*.csv"), QStringLiteral("*.ida")}, QDir::Files)) {
            QString why;
            if (const std::optional<qint64> id = readWellId(f.completeBaseName(), why))
                byId[*id] << f.filePath();
            else
                skipped_.push_back(
                    {f.fileName(), QStringLiteral("имя файла — не kwu_id (целое число)")});
        }
        for (auto& [id, paths] : byId)
            files_.push_back({id, paths});
    }
    int total() override { return static_cast<int>(files_.size()); }
    std::vector<WellRegimes> next(QString&) override {
        std::vector<WellRegimes> wells;
        for (; at_ < files_.size() && wells.size() < WellsPerBlock; ++at_) {
            const auto& [id, paths] = files_[at_];
            if (paths.size() > 1) {
                QStringList names;
                for (const QString& path : paths)
                    names << QFileInfo(path).fileName();
                WellRegimes well{id, wellType_, {}, {}, {}, {}, {}};
                well.refusal =
                    ambiguous(id, QStringLiteral("несколько файлов (%1)").arg(names.join(", ")));
                wells.push_back(well);
                continue;
            }
            const FileRegimes read = readWellFile(paths.front(), id, wellType_);
            if (read.well) {
                wells.push_back(*read.well);
            } else {
                WellRegimes well{id, wellType_, {}, {}, {}, {}, {}};
                well.refusal = read.error;
                wells.push_back(well);
            }
        }
        return wells;
    }
    std::vector<std::pair<QString, QString>> skipped() const override { return skipped_; }

private:
    std::int16_t wellType_;
    std::vector<std::pair<qint64, QStringList>> files_;
    std::vector<std::pair<QString, QString>> skipped_;
    std::size_t at_ = 0;
};

// The cause in Russian of a failed reading of the regimes table, before the driver's words; the
// window's causes for the rest.
QString regimesCause(const QString& driverText, const QString& table) {
    const QString lower = driverText.toLower();
    QString cause;
    if (lower.contains(QStringLiteral("no such table")) ||
        (lower.contains(QStringLiteral("relation")) &&
         lower.contains(QStringLiteral("does not exist"))))
        cause = QStringLiteral("в базе нет таблицы режимов %1").arg(table);
    else if (lower.contains(QStringLiteral("no such column")) ||
             (lower.contains(QStringLiteral("column")) &&
              lower.contains(QStringLiteral("does not exist"))))
        cause = QStringLiteral("в таблице режимов %1 нет столбца kwu_id, rate, pressure или "
                               "well_type")
                    .arg(table);
    else
        cause = databaseCause(driverText);
    return cause.isEmpty() ? QString() : cause + QStringLiteral(". Сообщение драйвера: ");
}

bool plainName(const QString& table) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.]*$"));
    return name.match(table).hasMatch();
}

// The block interpreted on the threads; the outcomes in the block's order. The calling thread
// first does `alongside` (the database's reading and writing, which must stay on the thread of
// its connection), then takes wells with the others: with two jobs the reading and writing of
// the blocks around this one are off the fitting's path.
std::vector<WellOutcome> interpret(const std::vector<WellRegimes>& wells,
                                   const BatchSettings& settings, int jobs,
                                   const std::function<void()>& alongside = {}) {
    std::vector<WellOutcome> outcomes(wells.size());
    std::atomic<std::size_t> nextWell{0};
    const auto work = [&] {
        LeastSquaresFitService fits;
        for (std::size_t i = nextWell++; i < wells.size(); i = nextWell++)
            outcomes[i] = interpretWell(wells[i], settings, fits);
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < std::min<int>(jobs, static_cast<int>(wells.size())); ++t)
        threads.emplace_back(work);
    if (alongside)
        alongside();
    work();
    for (std::thread& t : threads)
        t.join();
    return outcomes;
}

// The three results in kwu_ind, kept only when exactly the well's row changed: in a transaction
// of its own on a server; in a file, a savepoint of its own inside the block's transaction, since
// a file commits each transaction to the disk and a field would take hours. The statements are
// prepared once per connection and take the values bound: the window's statement, its six
// significant digits (an SQLite file gets them as the text the statement would hold, cast as
// the statement's literal is read; a server their double), Null for a result not determined.
class ResultWriter {
public:
    explicit ResultWriter(QSqlDatabase db)
        : db_(std::move(db)), file_(db_.driverName() == QStringLiteral("QSQLITE")), update_(db_),
          savepoint_(db_), rollbackTo_(db_), release_(db_) {}

    QString write(const WellOutcome& o, bool savepoint) {
        if (!prepared_)
            prepare();
        AnalysisState s;
        s.WellType = o.wellType;
        s.ProductivityIndex = o.productivity;
        s.ReservoirPressure = o.reservoirPressure;
        s.AllowedBottomholePressure = o.allowedPressure;
        const bool inTransaction =
            savepoint ? run(savepoint_, QStringLiteral("savepoint well")) : db_.transaction();
        const auto rollback = [&] {
            if (savepoint) {
                run(rollbackTo_, QStringLiteral("rollback to well"));
                run(release_, QStringLiteral("release well"));
            } else if (inTransaction) {
                db_.rollback();
            }
        };
        if (!preparedOk_) {
            // A driver that cannot prepare gets the statement as text.
            QSqlQuery query(db_);
            if (!query.exec(updateStatement(s, o.kwuId))) {
                const QString error = query.lastError().text();
                rollback();
                return QStringLiteral("Запрос к базе не выполнен: ") + error;
            }
            return finish(query.numRowsAffected(), o, savepoint, inTransaction, rollback);
        }
        const std::array<std::optional<QString>, 3> values = updateValues(s);
        for (int k = 0; k < 3; ++k) {
            const std::optional<QString>& v = values[static_cast<std::size_t>(k)];
            if (!v)
                update_.bindValue(k, QVariant(QMetaType::fromType<double>()));
            else if (file_)
                update_.bindValue(k, *v);
            else
                update_.bindValue(k, v->toDouble());
        }
        update_.bindValue(3, o.kwuId);
        if (!update_.exec()) {
            const QString error = update_.lastError().text();
            rollback();
            return QStringLiteral("Запрос к базе не выполнен: ") + error;
        }
        const int changed = update_.numRowsAffected();
        update_.finish();
        return finish(changed, o, savepoint, inTransaction, rollback);
    }

private:
    void prepare() {
        prepared_ = true;
        const QString value = file_ ? QStringLiteral("cast(? as real)") : QStringLiteral("?");
        preparedOk_ =
            update_.prepare(QStringLiteral("update kwu_ind set kprod=%1,pplast=%1,pzab_dop=%1 "
                                           "where kwu_id=?")
                                .arg(value));
        // A server prepares no savepoint: there they go as text.
        savepointsPrepared_ = file_ && savepoint_.prepare(QStringLiteral("savepoint well")) &&
                              rollbackTo_.prepare(QStringLiteral("rollback to well")) &&
                              release_.prepare(QStringLiteral("release well"));
    }
    // A prepared statement run again, or its text where it is not prepared.
    bool run(QSqlQuery& prepared, const QString& text) {
        if (!prepared_)
            prepare();
        return savepointsPrepared_ ? prepared.exec() : QSqlQuery(db_).exec(text);
    }
    template <typename Rollback>
    QString finish(int changed, const WellOutcome& o, bool savepoint, bool inTransaction,
                   const Rollback& rollback) {
        if (changed != 1) {
            rollback();
            return changed == 0
                       ? QStringLiteral("В таблице kwu_ind нет записи с kwu_id=%1.").arg(o.kwuId)
                       : QStringLiteral("Запрос затронул %1 записей вместо одной; изменения "
                                        "отменены.")
                             .arg(changed);
        }
        if (savepoint)
            run(release_, QStringLiteral("release well"));
        else if (inTransaction && !db_.commit())
            return QStringLiteral("Не удалось завершить запись: ") + db_.lastError().text();
        return {};
    }

    QSqlDatabase db_;
    bool file_;
    QSqlQuery update_, savepoint_, rollbackTo_, release_;
    bool prepared_ = false;
    bool preparedOk_ = false;
    bool savepointsPrepared_ = false;
};

// The well database of the options, opened under the connection name; the reason if not.
QString openDatabase(const BatchOptions& options, const QString& name) {
    StartOptions start;
    start.DatabaseFile = options.databaseFile;
    start.ConnectionText = options.connectionText;
    start.ServerName = options.serverName;
    if (!options.databaseFile.isEmpty() && !QFile::exists(options.databaseFile))
        return QStringLiteral("Файл базы не найден: ") + options.databaseFile;
    QSqlDatabase db = QSqlDatabase::addDatabase(
        options.databaseFile.isEmpty() ? QStringLiteral("QODBC") : QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(WellDatabase(start).databaseName());
    if (!db.open()) {
        QString text = QStringLiteral("Не удалось подключиться к базе скважин: ");
        if (const QString cause = databaseCause(db.lastError().text()); !cause.isEmpty())
            text += cause + QStringLiteral(". ");
        // The connection names its driver "SQL Server": on a machine without that driver
        // another one is registered under the name.
        if (db.lastError().text().contains(QStringLiteral("SQL Server")) ||
            databaseCause(db.lastError().text()).contains(QStringLiteral("SQL Server")))
            text += QStringLiteral("Зарегистрируйте драйвер ODBC под именем «SQL Server» в "
                                   "odbcinst.ini (раздел [SQL Server] с Driver= путь к драйверу "
                                   "вашего сервера, например psqlodbcw.so для PostgreSQL) или "
                                   "укажите драйвер в строке подключения. ");
        return text + QStringLiteral("Сообщение драйвера: ") + db.lastError().text();
    }
    return {};
}

// A shared run needs the server's row locks.
QString sharedRunDatabase(const BatchOptions& options, const QString& name) {
    if (!plainName(options.regimesTable))
        return QStringLiteral("Имя таблицы режимов недопустимо: ") + options.regimesTable;
    if (options.connectionText.isEmpty())
        return QStringLiteral("Общий прогон работает только через сервер PostgreSQL "
                              "(--connection и --server)");
    return openDatabase(options, name);
}

// The summary written whole, as the window writes its files: the old one stays as it was until
// the new one is on the disk entire.
class SummaryFile {
public:
    // The reason when the file cannot be begun; none when no summary is asked.
    QString open(const QString& path) {
        if (path.isEmpty())
            return {};
        file_ = std::make_unique<QSaveFile>(path);
        if (const std::optional<WriteFailure> f = openWholeFile(*file_)) {
            file_.reset();
            return writeFailureText(QStringLiteral("Сводка"), path, *f);
        }
        add(QStringLiteral("\uFEFF") + summaryHeader());
        return {};
    }
    void add(const QString& line) {
        if (file_)
            file_->write((line + QStringLiteral("\r\n")).toUtf8());
    }
    QString commit() {
        if (!file_)
            return {};
        const QString path = file_->fileName();
        const std::optional<WriteFailure> f = commitWholeFile(*file_);
        file_.reset();
        return f ? writeFailureText(QStringLiteral("Сводка"), path, *f) : QString();
    }

private:
    std::unique_ptr<QSaveFile> file_;
};

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
        LeastSquaresFitService fits;
        ResultWriter writer(db);
        const QString table = QString::fromLatin1(WorkTable);
        const QString session = QStringLiteral("pid::text || '@' || backend_start::text");
        const QString claimStatement =
            QStringLiteral("with me as (select %2 as who from pg_stat_activity where pid = "
                           "pg_backend_pid()), alive as (select %2 as who from pg_stat_activity "
                           "where backend_start is not null) update %1 set claimed_by = (select "
                           "who from me) where kwu_id in (select kwu_id from %1 where not done and "
                           "(claimed_by is null or claimed_by not in (select who from alive)) "
                           "order by kwu_id limit %3 for update skip locked) returning kwu_id")
                .arg(table, session)
                .arg(WellsPerClaim);
        // The wells claimed and not yet done, the next last.
        std::vector<qint64> claimed;
        // A well's regimes, and its row of the work table marked done: prepared once.
        QSqlQuery rows(db), finish(db);
        rows.setForwardOnly(true);
        rows.prepare(QStringLiteral("select rate, pressure, well_type from %1 where kwu_id = ?")
                         .arg(options.regimesTable));
        finish.prepare(
            QStringLiteral("update %1 set done = true, ok = ?, message = ? where kwu_id = ?")
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
                // A block of wells at a time, marked with this worker's server session and
                // committed at once; a block of a session that has ended (a worker that died) is
                // free to take again.
                QSqlQuery claim(db);
                if (!claim.exec(claimStatement)) {
                    report.fatal = QStringLiteral("Скважина не взята: ") + claim.lastError().text();
                    break;
                }
                while (claim.next())
                    claimed.push_back(claim.value(0).toLongLong());
                claim.finish();
                std::sort(claimed.begin(), claimed.end(), std::greater<>());
                if (claimed.empty())
                    break;
            }
            WellRegimes well{claimed.back(), ProducingWell, {}, {}, {}, {}, {}};
            claimed.pop_back();
            if (!db.transaction()) {
                report.fatal = db.lastError().text();
                break;
            }
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
            WellOutcome o = interpretWell(well, options.settings, fits);
            if (o.ok && !options.dryRun) {
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
                report.fatal = QStringLiteral("Результат не записан: ") +
                               (finish.lastError().isValid() ? finish.lastError().text()
                                                             : db.lastError().text());
                db.rollback();
                break;
            }
            if (options.eachWell)
                options.eachWell(well, o);
            summary.add(summaryLine(o, options.settings.rule));
            ++report.wells;
            report.failed += o.ok ? 0 : 1;
            if (progress)
                progress(std::min(run.first + ++mineSinceCount, run.second), run.second);
        }
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

BatchReport runBatch(const BatchOptions& options, const std::function<void(int, int)>& progress) {
    BatchReport report;
    const QString connection = QStringLiteral("indicator-batch");
    const QString reading = QStringLiteral("indicator-batch-read");
    {
        QSqlDatabase db;
        std::unique_ptr<WellSource> source;
        const bool toDatabase =
            !options.databaseFile.isEmpty() || !options.connectionText.isEmpty();
        if (toDatabase) {
            if (!plainName(options.regimesTable)) {
                report.fatal =
                    QStringLiteral("Имя таблицы режимов недопустимо: ") + options.regimesTable;
                return report;
            }
            report.fatal = openDatabase(options, connection);
            db = QSqlDatabase::database(connection, false);
            if (!report.fatal.isEmpty()) {
                db = {};
                QSqlDatabase::removeDatabase(connection);
                return report;
            }
        }
        if (!options.inputFolder.isEmpty()) {
            if (!QDir(options.inputFolder).exists()) {
                report.fatal = QStringLiteral("Папка не найдена: ") + options.inputFolder;
                return report;
            }
            source = std::make_unique<FolderSource>(options.inputFolder, options.wellType);
        } else if (toDatabase) {
            // A server is read on a connection of its own: a driver that allows one open result
            // per connection would refuse the writes while the pass is open. A file is read and
            // written on one: another connection's reading would hold its lock against the commits.
            QSqlDatabase readDb = db;
            if (!options.connectionText.isEmpty()) {
                report.fatal = openDatabase(options, reading);
                if (!report.fatal.isEmpty())
                    return report;
                readDb = QSqlDatabase::database(reading, false);
            }
            source = std::make_unique<DatabaseSource>(readDb, options.regimesTable);
        } else {
            report.fatal = QStringLiteral("Не указано, откуда брать замеры");
            return report;
        }
        SummaryFile summary;
        report.fatal = summary.open(options.summaryFile);
        if (!report.fatal.isEmpty())
            return report;
        for (const auto& [file, why] : source->skipped()) {
            summary.add(skippedLine(file, options.settings.rule, why));
            report.skipped << file + QStringLiteral(": ") + why;
        }
        const bool writing = toDatabase && !options.dryRun;
        const int total = progress ? source->total() : 0;
        std::optional<ResultWriter> writer;
        if (writing)
            writer.emplace(db);
        // The interpreted block written and summed up: its writes in one transaction of a file.
        const auto finishBlock = [&](const std::vector<WellRegimes>& wells,
                                     std::vector<WellOutcome>& outcomes) {
            const bool block = writing && !options.databaseFile.isEmpty() && db.transaction();
            for (WellOutcome& o : outcomes) {
                if (o.ok && writing) {
                    const QString failure = writer->write(o, block);
                    if (!failure.isEmpty()) {
                        o.ok = false;
                        o.message = failure;
                    }
                }
            }
            // The summary says "written" only of what the disk holds.
            if (block && !db.commit()) {
                const QString failure =
                    QStringLiteral("Не удалось завершить запись: ") + db.lastError().text();
                for (WellOutcome& o : outcomes)
                    if (o.ok) {
                        o.ok = false;
                        o.message = failure;
                    }
            }
            for (std::size_t i = 0; i < outcomes.size(); ++i) {
                const WellOutcome& o = outcomes[i];
                if (options.eachWell)
                    options.eachWell(wells[i], o);
                ++report.wells;
                report.failed += o.ok ? 0 : 1;
                summary.add(summaryLine(o, options.settings.rule));
            }
            if (progress)
                progress(report.wells, total);
        };
        const auto readBlock = [&](std::vector<WellRegimes>& wells) {
            QString error;
            wells = source->next(error);
            if (!error.isEmpty()) {
                report.fatal = QStringLiteral("Замеры не прочитаны: ") +
                               regimesCause(error, options.regimesTable) + error;
                wells.clear();
            }
        };
        // Three blocks at a time: while the threads interpret one, this thread writes the one
        // before it and reads the one after it.
        std::vector<WellRegimes> current, following, written;
        std::vector<WellOutcome> writtenOutcomes;
        readBlock(current);
        while (!current.empty()) {
            std::vector<WellOutcome> outcomes =
                interpret(current, options.settings, std::max(1, options.jobs), [&] {
                    if (!written.empty())
                        finishBlock(written, writtenOutcomes);
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
        writer.reset();
        source.reset();
        QSqlDatabase::database(reading, false).close();
        db.close();
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
