#pragma once

#include "app/ResultSaving.h"
#include "batch/BatchInterpretation.h"
#include "batch/SqliteStatement.h"
#include "database/WellDatabase.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace id::batchrun {

// The three results in kwu_ind, kept only when exactly the well's row changed: in a transaction
// of its own on a server; in a file, a savepoint of its own inside the block's transaction, since
// a file commits each transaction to the disk and a field would take hours. The statements are
// prepared once per connection and take the values bound: the window's statement, its six
// significant digits (an SQLite file gets them as the text the statement would hold, cast as
// the statement's literal is read; a server their double), Null for a result not determined. An
// SQLite file's statements are run by the library itself.
class ResultWriter {
public:
    explicit ResultWriter(QSqlDatabase db)
        : db_(std::move(db)), file_(db_.driverName() == QStringLiteral("QSQLITE")), update_(db_) {}

    // How a well's update is kept apart: a transaction of its own, a savepoint inside the
    // caller's transaction, or nothing (inside the caller's transaction, which the caller rolls
    // back whole should one update change more than its well's row).
    enum class Guard { Transaction, Savepoint, None };
    // Whether the connection's transaction is still open: an SQLite file's ends by itself when
    // an error (a full disk, say) makes the library roll it back.
    bool transactionOpen() const {
        const sqlite3* handle = SqliteStatement::handleOf(db_);
        return !handle || SqliteStatement::inTransaction(handle);
    }
    // Empty when written; why not, if not.
    QString write(const WellOutcome& o, bool savepoint) {
        return *write(o, savepoint ? Guard::Savepoint : Guard::Transaction);
    }
    // As above; none, with Guard::None, when the update changed more than its well's row: nothing
    // of the caller's transaction may be kept then.
    std::optional<QString> write(const WellOutcome& o, Guard guard) {
        if (!prepared_)
            prepare();
        AnalysisState s;
        s.WellType = o.wellType;
        s.ProductivityIndex = o.productivity;
        s.ReservoirPressure = o.reservoirPressure;
        s.AllowedBottomholePressure = o.allowedPressure;
        QString notStarted;
        if (guard == Guard::Savepoint)
            notStarted = run(Savepoint);
        else if (guard == Guard::Transaction && !db_.transaction() &&
                 db_.driver()->hasFeature(QSqlDriver::Transactions))
            notStarted = orUnsaid(db_.lastError().text());
        // An update not kept apart as asked could neither be undone alone nor be told written
        // (a transaction left open by a failed commit would hold it).
        if (!notStarted.isEmpty())
            return QStringLiteral("Запись не начата: ") + notStarted;
        const bool inTransaction = guard == Guard::Transaction && db_.isOpen() &&
                                   db_.driver()->hasFeature(QSqlDriver::Transactions);
        const auto rollback = [&] {
            if (guard == Guard::Savepoint) {
                run(RollbackTo);
                run(Release);
            } else if (inTransaction) {
                db_.rollback();
            }
        };
        QString error;
        const std::optional<int> changed = update(s, o.kwuId, error);
        if (!changed) {
            rollback();
            return QStringLiteral("Запрос к базе не выполнен: ") + error;
        }
        if (*changed > 1 && guard == Guard::None)
            return std::nullopt;
        if (*changed != 1) {
            rollback();
            return *changed == 0
                       ? QStringLiteral("В таблице kwu_ind нет записи с kwu_id=%1.").arg(o.kwuId)
                       : QStringLiteral("Запрос затронул %1 %2 вместо одной; изменения "
                                        "отменены.")
                             .arg(*changed)
                             .arg(records(*changed));
        }
        if (guard == Guard::Savepoint)
            run(Release);
        else if (inTransaction && !db_.commit())
            return QStringLiteral("Не удалось завершить запись: ") + db_.lastError().text();
        return QString();
    }

private:
    enum Step { Savepoint, RollbackTo, Release };
    static QString stepText(Step step) {
        static const std::array<QString, 3> texts{QStringLiteral("savepoint well"),
                                                  QStringLiteral("rollback to well"),
                                                  QStringLiteral("release well")};
        return texts[step];
    }
    static QString updateText(const QString& value) {
        return QStringLiteral("update kwu_ind set kprod=%1,pplast=%1,pzab_dop=%1 where kwu_id=?")
            .arg(value);
    }

    void prepare() {
        prepared_ = true;
        if (sqlite3* handle = SqliteStatement::handleOf(db_)) {
            fileUpdate_ = std::make_unique<SqliteStatement>(
                handle, updateText(QStringLiteral("cast(? as real)")));
            for (Step step : {Savepoint, RollbackTo, Release})
                fileSteps_[step] = std::make_unique<SqliteStatement>(handle, stepText(step));
            if (fileUpdate_->prepared() &&
                std::all_of(fileSteps_.begin(), fileSteps_.end(),
                            [](const auto& step) { return step->prepared(); }))
                return;
            fileUpdate_.reset();
        }
        preparedOk_ = update_.prepare(
            updateText(file_ ? QStringLiteral("cast(? as real)") : QStringLiteral("?")));
    }
    // A savepoint's step (a server prepares none: there they go as text); why it failed, if so.
    QString run(Step step) {
        if (fileUpdate_) {
            SqliteStatement& s = *fileSteps_[step];
            s.reset();
            return s.run() ? QString() : orUnsaid(s.error());
        }
        QSqlQuery query(db_);
        return query.exec(stepText(step)) ? QString() : orUnsaid(query.lastError().text());
    }
    // A failure the driver gave no words for is a failure still.
    static QString orUnsaid(const QString& error) {
        return error.isEmpty() ? QStringLiteral("драйвер не сообщил причину") : error;
    }
    // The rows the well's update changed; none, with the driver's error, when it failed.
    std::optional<int> update(const AnalysisState& s, qint64 kwuId, QString& error) {
        const std::array<std::optional<QString>, 3> values = updateValues(s);
        if (fileUpdate_) {
            SqliteStatement& u = *fileUpdate_;
            u.reset();
            for (int k = 0; k < 3; ++k) {
                if (const std::optional<QString>& v = values[static_cast<std::size_t>(k)])
                    u.bind(k, *v);
                else
                    u.bindNull(k);
            }
            u.bind(3, kwuId);
            if (!u.run()) {
                error = u.error();
                return std::nullopt;
            }
            return u.changes();
        }
        if (!preparedOk_) {
            // A driver that cannot prepare gets the statement as text.
            QSqlQuery query(db_);
            if (!query.exec(updateStatement(s, kwuId))) {
                error = query.lastError().text();
                return std::nullopt;
            }
            return query.numRowsAffected();
        }
        for (int k = 0; k < 3; ++k) {
            const std::optional<QString>& v = values[static_cast<std::size_t>(k)];
            if (!v)
                update_.bindValue(k, QVariant(QMetaType::fromType<double>()));
            else if (file_)
                update_.bindValue(k, *v);
            else
                update_.bindValue(k, v->toDouble());
        }
        update_.bindValue(3, kwuId);
        if (!update_.exec()) {
            error = update_.lastError().text();
            return std::nullopt;
        }
        const int changed = update_.numRowsAffected();
        update_.finish();
        return changed;
    }

    QSqlDatabase db_;
    bool file_;
    QSqlQuery update_;
    // An SQLite file's statements, run by the library itself.
    std::unique_ptr<SqliteStatement> fileUpdate_;
    std::array<std::unique_ptr<SqliteStatement>, 3> fileSteps_;
    bool prepared_ = false;
    bool preparedOk_ = false;
};

} // namespace id::batchrun
