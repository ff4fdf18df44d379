#pragma once

#include "app/ResultSaving.h"
#include "batch/BatchInterpretation.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <array>
#include <optional>

namespace id::batchrun {

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

} // namespace id::batchrun
