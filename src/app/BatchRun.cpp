#include "app/BatchRun.h"

#include "app/ResultSaving.h"
#include "app/WellDatabase.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/StartOptions.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <thread>

namespace id {

namespace {

constexpr int WellsPerBlock = 512;

// The wells of the next block, in kwu_id order; none when the source is done.
class WellSource {
public:
    virtual ~WellSource() = default;
    virtual std::vector<WellRegimes> next(QString& error) = 0;
    // How many wells there are, for the progress.
    virtual int total() = 0;
};

class DatabaseSource : public WellSource {
public:
    DatabaseSource(QSqlDatabase db, QString table) : db_(std::move(db)), table_(std::move(table)) {}
    int total() override {
        QSqlQuery count(db_);
        count.exec(QStringLiteral("select count(distinct kwu_id) from %1").arg(table_));
        return count.next() ? count.value(0).toInt() : 0;
    }
    std::vector<WellRegimes> next(QString& error) override {
        std::vector<WellRegimes> wells;
        QSqlQuery ids(db_);
        ids.setForwardOnly(true);
        // The block's ids first, then their rows: a well is never split between blocks, and no
        // cursor stays open while results are written.
        if (!ids.exec(QStringLiteral("select distinct kwu_id from %1 where kwu_id > %2 order by "
                                     "kwu_id limit %3")
                          .arg(table_)
                          .arg(last_)
                          .arg(WellsPerBlock))) {
            error = ids.lastError().text();
            return wells;
        }
        long long highest = last_;
        while (ids.next())
            highest = ids.value(0).toLongLong();
        ids.finish();
        if (highest == last_)
            return wells;
        QSqlQuery rows(db_);
        rows.setForwardOnly(true);
        if (!rows.exec(QStringLiteral("select kwu_id, rate, pressure, well_type from %1 where "
                                      "kwu_id > %2 and kwu_id <= %3 order by kwu_id")
                           .arg(table_)
                           .arg(last_)
                           .arg(highest))) {
            error = rows.lastError().text();
            return wells;
        }
        while (rows.next()) {
            const int id = rows.value(0).toInt();
            if (wells.empty() || wells.back().kwuId != id) {
                wells.push_back({id, static_cast<std::int16_t>(rows.value(3).toInt()), {}, {}});
                if (wells.back().wellType != InjectionWell)
                    wells.back().wellType = ProducingWell;
            }
            if (!rows.value(1).isNull() && !rows.value(2).isNull()) {
                wells.back().rates.push_back(rows.value(1).toDouble());
                wells.back().pressures.push_back(rows.value(2).toDouble());
            }
        }
        rows.finish();
        last_ = highest;
        return wells;
    }

private:
    QSqlDatabase db_;
    QString table_;
    long long last_ = std::numeric_limits<long long>::min();
};

class FolderSource : public WellSource {
public:
    FolderSource(const QString& folder, std::int16_t wellType) : wellType_(wellType) {
        const QDir dir(folder);
        for (const QFileInfo& f :
             dir.entryInfoList({QStringLiteral("*.csv"), QStringLiteral("*.ida")}, QDir::Files)) {
            bool number = false;
            const int id = f.completeBaseName().toInt(&number);
            if (number)
                files_.push_back({id, f.filePath()});
        }
        std::sort(files_.begin(), files_.end());
    }
    int total() override { return static_cast<int>(files_.size()); }
    std::vector<WellRegimes> next(QString&) override {
        std::vector<WellRegimes> wells;
        for (; at_ < files_.size() && wells.size() < WellsPerBlock; ++at_) {
            const FileRegimes read = readWellFile(files_[at_].second, files_[at_].first, wellType_);
            if (read.well) {
                wells.push_back(*read.well);
            } else {
                // An unreadable file is a well with no regimes and the reason.
                wells.push_back({files_[at_].first, wellType_, {}, {}});
                unreadable_[files_[at_].first] = read.error;
            }
        }
        return wells;
    }
    QString unreadable(int id) const { return unreadable_.value(id); }

private:
    std::int16_t wellType_;
    std::vector<std::pair<int, QString>> files_;
    std::size_t at_ = 0;
    QHash<int, QString> unreadable_;
};

bool plainName(const QString& table) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.]*$"));
    return name.match(table).hasMatch();
}

// The block interpreted on the threads; the outcomes in the block's order.
std::vector<WellOutcome> interpret(const std::vector<WellRegimes>& wells,
                                   const BatchSettings& settings, int jobs) {
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
    work();
    for (std::thread& t : threads)
        t.join();
    return outcomes;
}

// The three results in kwu_ind, kept only when exactly the well's row changed: in a transaction
// of its own on a server; in a file, a savepoint of its own inside the block's transaction, since
// a file commits each transaction to the disk and a field would take hours.
QString write(QSqlDatabase& db, const WellOutcome& o, bool savepoint) {
    AnalysisState s;
    s.WellType = o.wellType;
    s.ProductivityIndex = o.productivity;
    s.ReservoirPressure = o.reservoirPressure;
    s.AllowedBottomholePressure = o.allowedPressure;
    QSqlQuery query(db);
    const bool inTransaction =
        savepoint ? query.exec(QStringLiteral("savepoint well")) : db.transaction();
    const auto rollback = [&] {
        if (savepoint) {
            query.exec(QStringLiteral("rollback to well"));
            query.exec(QStringLiteral("release well"));
        } else if (inTransaction) {
            db.rollback();
        }
    };
    if (!query.exec(updateStatement(s, o.kwuId))) {
        const QString error = query.lastError().text();
        rollback();
        return QStringLiteral("Запрос к базе не выполнен: ") + error;
    }
    const int changed = query.numRowsAffected();
    query.finish();
    if (changed != 1) {
        rollback();
        return changed == 0
                   ? QStringLiteral("В таблице kwu_ind нет записи с kwu_id=%1.").arg(o.kwuId)
                   : QStringLiteral("Запрос затронул %1 записей вместо одной; изменения "
                                    "отменены.")
                         .arg(changed);
    }
    if (savepoint)
        query.exec(QStringLiteral("release well"));
    else if (inTransaction && !db.commit())
        return QStringLiteral("Не удалось завершить запись: ") + db.lastError().text();
    return {};
}

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
    if (!db.open())
        return QStringLiteral("Не удалось подключиться к базе скважин: ") + db.lastError().text();
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
        for (const QString& statement :
             {QStringLiteral("drop table if exists %1").arg(table),
              QStringLiteral("create table %1 (kwu_id integer primary key, done boolean not null "
                             "default false, ok boolean, message text)")
                  .arg(table),
              QStringLiteral("insert into %1 (kwu_id) select distinct kwu_id from %2")
                  .arg(table, options.regimesTable)})
            if (!q.exec(statement)) {
                report.fatal = QStringLiteral("Прогон не начат: ") + q.lastError().text();
                db.rollback();
                break;
            }
        if (report.fatal.isEmpty()) {
            report.wells = q.numRowsAffected();
            if (!db.commit())
                report.fatal = QStringLiteral("Прогон не начат: ") + db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return report;
}

BatchReport runWorker(const BatchOptions& options, const std::function<void(int, int)>& progress) {
    BatchReport report;
    const QString name = QStringLiteral("indicator-batch-worker");
    report.fatal = sharedRunDatabase(options, name);
    if (report.fatal.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        LeastSquaresFitService fits;
        const QString table = QString::fromLatin1(WorkTable);
        int left = 0;
        if (progress) {
            QSqlQuery count(db);
            count.exec(QStringLiteral("select count(*) from %1 where not done").arg(table));
            left = count.next() ? count.value(0).toInt() : 0;
        }
        for (;;) {
            if (!db.transaction()) {
                report.fatal = db.lastError().text();
                break;
            }
            QSqlQuery claim(db);
            if (!claim.exec(QStringLiteral("select kwu_id from %1 where not done order by kwu_id "
                                           "limit 1 for update skip locked")
                                .arg(table))) {
                report.fatal = QStringLiteral("Скважина не взята: ") + claim.lastError().text();
                db.rollback();
                break;
            }
            if (!claim.next()) {
                db.commit();
                break;
            }
            WellRegimes well{claim.value(0).toInt(), ProducingWell, {}, {}};
            claim.finish();
            QSqlQuery rows(db);
            rows.exec(QStringLiteral("select rate, pressure, well_type from %1 where kwu_id = %2")
                          .arg(options.regimesTable)
                          .arg(well.kwuId));
            while (rows.next()) {
                well.wellType =
                    rows.value(2).toInt() == InjectionWell ? InjectionWell : ProducingWell;
                if (!rows.value(0).isNull() && !rows.value(1).isNull()) {
                    well.rates.push_back(rows.value(0).toDouble());
                    well.pressures.push_back(rows.value(1).toDouble());
                }
            }
            rows.finish();
            WellOutcome o = interpretWell(well, options.settings, fits);
            if (o.ok && !options.dryRun) {
                const QString failure = write(db, o, true);
                if (!failure.isEmpty()) {
                    o.ok = false;
                    o.message = failure;
                }
            }
            QSqlQuery finish(db);
            finish.prepare(QStringLiteral("update %1 set done = true, ok = ?, message = ? where "
                                          "kwu_id = ?")
                               .arg(table));
            finish.addBindValue(o.ok);
            finish.addBindValue(o.message);
            finish.addBindValue(o.kwuId);
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
            ++report.wells;
            report.failed += o.ok ? 0 : 1;
            if (progress)
                progress(report.wells, left);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return report;
}

BatchReport runBatch(const BatchOptions& options, const std::function<void(int, int)>& progress) {
    BatchReport report;
    const QString connection = QStringLiteral("indicator-batch");
    {
        QSqlDatabase db;
        std::unique_ptr<WellSource> source;
        FolderSource* folder = nullptr;
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
            auto f = std::make_unique<FolderSource>(options.inputFolder, options.wellType);
            folder = f.get();
            source = std::move(f);
        } else if (toDatabase) {
            source = std::make_unique<DatabaseSource>(db, options.regimesTable);
        } else {
            report.fatal = QStringLiteral("Не указано, откуда брать замеры");
            return report;
        }
        QFile summary(options.summaryFile);
        QTextStream out(&summary);
        if (!options.summaryFile.isEmpty()) {
            if (!summary.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                report.fatal = QStringLiteral("Сводка не записана: ") + summary.errorString();
                return report;
            }
            out << QStringLiteral("\uFEFF") << summaryHeader() << "\r\n";
        }
        const bool writing = toDatabase && !options.dryRun;
        const int total = progress ? source->total() : 0;
        for (;;) {
            QString error;
            const std::vector<WellRegimes> wells = source->next(error);
            if (!error.isEmpty()) {
                report.fatal = QStringLiteral("Замеры не прочитаны: ") + error;
                break;
            }
            if (wells.empty())
                break;
            std::vector<WellOutcome> outcomes =
                interpret(wells, options.settings, std::max(1, options.jobs));
            const bool block = writing && !options.databaseFile.isEmpty() && db.transaction();
            for (WellOutcome& o : outcomes) {
                if (folder && !folder->unreadable(o.kwuId).isEmpty())
                    o.message = folder->unreadable(o.kwuId);
                if (o.ok && writing) {
                    const QString failure = write(db, o, block);
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
                if (summary.isOpen())
                    out << summaryLine(o, options.settings.rule) << "\r\n";
            }
            if (progress)
                progress(report.wells, total);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return report;
}

} // namespace id
