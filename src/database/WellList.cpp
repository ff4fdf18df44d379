#include "database/WellList.h"

#include "batch/BatchRun.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace id {

namespace {

QString wellTypeProblem(int regime, const CellValue& type) {
    return QStringLiteral("режим %1: тип скважины «%2» — не 1 (добывающая) и не 2 "
                          "(нагнетательная)")
        .arg(regime)
        .arg(type.kind == CellValue::Missing  ? QStringLiteral("NULL")
             : type.kind == CellValue::Number ? QString::number(type.value)
                                              : type.text);
}

std::int16_t typeOf(const CellValue& type) {
    if (type.kind == CellValue::Number && (type.value == 1 || type.value == 2))
        return static_cast<std::int16_t>(type.value);
    return 0;
}

// A kwu_id as readWellId reads it, without making its text first when it is an integer already:
// a field's list reads hundreds of thousands of them.
std::optional<qint64> idOf(const QVariant& cell, QString& why) {
    switch (cell.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return cell.toLongLong();
    default:
        return readWellId(cell, why);
    }
}

} // namespace

RegimesRead readWellRegimes(QSqlDatabase& db, const QString& table, qint64 kwuId) {
    RegimesRead read;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString statement =
        QStringLiteral("select rate, pressure, well_type from %1 where kwu_id = %2")
            .arg(table)
            .arg(kwuId);
    const QString notRead = QStringLiteral("Режимы скважины %1 не прочитаны.").arg(kwuId);
    if (!q.exec(statement)) {
        read.outcome = databaseFailure(notRead, q.lastError(), statement);
        return read;
    }
    WellRegimes well;
    well.kwuId = kwuId;
    int regime = 0;
    while (q.next()) {
        ++regime;
        const CellValue type = readCell(q.value(2));
        const std::int16_t t = typeOf(type);
        if (well.refusal.isEmpty() && t == 0)
            well.refusal = wellTypeProblem(regime, type);
        else if (well.refusal.isEmpty() && regime > 1 && t != well.wellType)
            well.refusal = QStringLiteral("режимы и добывающей, и нагнетательной скважины — "
                                          "неясно, какие замеры её");
        if (regime == 1 && t != 0)
            well.wellType = t;
        addRegime(well, regime, readCell(q.value(0)), readCell(q.value(1)));
    }
    // A connection lost in the middle of the rows ends the reading, not the well.
    if (q.lastError().isValid()) {
        read.outcome = databaseFailure(notRead, q.lastError(), statement);
        return read;
    }
    read.outcome.ok = true;
    if (regime > 0)
        read.well = std::move(well);
    return read;
}

StoredValue readStoredValue(const QVariant& cell) {
    const CellValue c = readCell(cell);
    switch (c.kind) {
    case CellValue::Number:
        return {StoredValue::Number, c.value, {}};
    case CellValue::Missing:
        return {};
    case CellValue::NotNumber:
        break;
    }
    return {StoredValue::Unreadable, 0, c.text};
}

namespace {

const QString NotRead = QStringLiteral("Список скважин не прочитан.");

QString whereWell(std::optional<qint64> onlyWell) {
    return onlyWell ? QStringLiteral(" where kwu_id = %1").arg(*onlyWell) : QString();
}

} // namespace

namespace {

// The list's two halves: the wells of the regimes table, and what kwu_ind and the work table hold
// of them.
struct StoredResults {
    DatabaseOutcome outcome;
    struct Row {
        StoredValue kprod;
        StoredValue pplast;
        StoredValue pzabDop;
        int count = 0;
    };
    QHash<qint64, Row> results;
    bool workTable = false;
    struct Work {
        bool done = false;
        bool ok = false;
        QString message;
    };
    QHash<qint64, Work> work;
};

// What the regimes of one well say of its type and its id, gathered row by row.
struct RegimeTally {
    int regimes = 0;
    int typed = 0;
    std::int16_t type = 0;
    bool mixed = false;
    std::optional<CellValue> badType;
    int idType = 0;
    bool idTwoWays = false;
};

// One row of the regimes table counted into its well's tally.
void tally(RegimeTally& t, const QVariant& idCell, const QVariant& typeCell) {
    // 12 and '12' are one number but not one key: which rows are the well's is unclear.
    if (t.regimes++ == 0)
        t.idType = idCell.typeId();
    else if (t.idType != idCell.typeId())
        t.idTwoWays = true;
    if (typeCell.isNull())
        return;
    ++t.typed;
    const CellValue cell = readCell(typeCell);
    const std::int16_t type = typeOf(cell);
    if (type == 0) {
        if (!t.badType)
            t.badType = cell;
    } else if (t.type == 0) {
        t.type = type;
    } else if (t.type != type) {
        t.mixed = true;
    }
}

// The list's rows from the tallies, in kwu_id order; an id written in two ways is skipped.
std::vector<WellListRow> listRows(const QHash<qint64, RegimeTally>& wells, QStringList& skipped) {
    // The ids sorted alone, and the rows made in their order: the rows are far larger.
    std::vector<std::pair<qint64, const RegimeTally*>> order;
    order.reserve(wells.size());
    for (auto it = wells.cbegin(); it != wells.cend(); ++it)
        order.emplace_back(it.key(), &it.value());
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<WellListRow> rows;
    rows.reserve(order.size());
    for (const auto& [id, tally] : order) {
        const RegimeTally& t = *tally;
        if (t.idTwoWays) {
            skipped << QStringLiteral("kwu_id %1 записан по-разному").arg(id);
            continue;
        }
        WellListRow row;
        row.kwuId = id;
        row.regimes = t.regimes;
        if (t.typed < t.regimes)
            row.typeProblem = QStringLiteral("тип скважины не задан (NULL) в части режимов");
        else if (t.badType)
            row.typeProblem = wellTypeProblem(1, *t.badType).section(u':', 1).trimmed();
        else if (t.mixed)
            row.typeProblem = QStringLiteral("режимы и добывающей, и нагнетательной скважины");
        else
            row.wellType = t.type;
        rows.push_back(std::move(row));
    }
    return rows;
}

WellListRead readRegimeSummary(QSqlDatabase& db, const QString& table,
                               std::optional<qint64> onlyWell) {
    WellListRead read;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // One pass over the rows, gathered here: a server or a file without an index on kwu_id
    // would otherwise sort the whole table for a group by.
    const QString statement =
        QStringLiteral("select kwu_id, well_type from %1%2").arg(table, whereWell(onlyWell));
    if (!q.exec(statement)) {
        read.outcome = databaseFailure(NotRead, q.lastError(), statement);
        return read;
    }
    QHash<qint64, RegimeTally> wells;
    QStringList skipped;
    while (q.next()) {
        const QVariant idCell = q.value(0);
        QString why;
        const std::optional<qint64> id = idOf(idCell, why);
        if (!id) {
            if (!skipped.contains(why))
                skipped << why;
            continue;
        }
        tally(wells[*id], idCell, q.value(1));
    }
    if (q.lastError().isValid()) {
        read.outcome = databaseFailure(NotRead, q.lastError(), statement);
        return read;
    }
    read.rows = listRows(wells, skipped);
    read.outcome.ok = true;
    if (!skipped.isEmpty())
        read.outcome.message =
            QStringLiteral("Не показаны строки таблицы режимов, чей kwu_id нельзя прочитать "
                           "однозначно (%1): %2")
                .arg(skipped.size())
                .arg(skipped.mid(0, 5).join(QStringLiteral("; ")));
    return read;
}

StoredResults readStoredResults(QSqlDatabase& db, std::optional<qint64> onlyWell) {
    StoredResults stored;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    QString statement = QStringLiteral("select kwu_id, kprod, pplast, pzab_dop from kwu_ind%1")
                            .arg(whereWell(onlyWell));
    const auto failed = [&] {
        stored.outcome = databaseFailure(NotRead, q.lastError(), statement);
        return stored;
    };
    if (!q.exec(statement))
        return failed();
    while (q.next()) {
        QString why;
        if (const std::optional<qint64> id = idOf(q.value(0), why)) {
            StoredResults::Row& row = stored.results[*id];
            ++row.count;
            row.kprod = readStoredValue(q.value(1));
            row.pplast = readStoredValue(q.value(2));
            row.pzabDop = readStoredValue(q.value(3));
        }
    }
    if (q.lastError().isValid())
        return failed();
    q.finish();
    const QString work = QString::fromLatin1(WorkTable);
    stored.workTable = db.tables().contains(work, Qt::CaseInsensitive);
    if (stored.workTable) {
        statement = QStringLiteral("select kwu_id, done, ok, message from %1%2")
                        .arg(work, whereWell(onlyWell));
        if (!q.exec(statement))
            return failed();
        while (q.next()) {
            QString why;
            if (const std::optional<qint64> id = idOf(q.value(0), why))
                stored.work.insert(
                    *id, {q.value(1).toBool(), q.value(2).toBool(), q.value(3).toString()});
        }
        if (q.lastError().isValid())
            return failed();
    }
    stored.outcome.ok = true;
    return stored;
}

void mergeResults(WellListRead& read, const StoredResults& stored) {
    read.workTable = stored.workTable;
    for (WellListRow& row : read.rows) {
        if (const auto at = stored.results.constFind(row.kwuId); at != stored.results.cend()) {
            // Two rows under one key: a save would refuse them, and neither is the well's.
            if (at->count > 1) {
                const StoredValue twice{StoredValue::Unreadable, 0,
                                        QStringLiteral("несколько строк в kwu_ind")};
                row.kprod = row.pplast = row.pzabDop = twice;
            } else {
                row.resultRow = true;
                row.kprod = at->kprod;
                row.pplast = at->pplast;
                row.pzabDop = at->pzabDop;
            }
        }
        if (row.kprod.kind == StoredValue::Number || row.pplast.kind == StoredValue::Number ||
            row.pzabDop.kind == StoredValue::Number)
            row.state = WellState::Interpreted;
        if (const auto at = stored.work.constFind(row.kwuId); at != stored.work.cend()) {
            row.state = !at->done ? WellState::NotInterpreted
                        : at->ok  ? WellState::Interpreted
                                  : WellState::Refused;
            row.reason = at->done && !at->ok ? at->message : QString();
        }
    }
}

} // namespace

WellListRead readWellList(QSqlDatabase& db, const QString& table, std::optional<qint64> onlyWell) {
    WellListRead read = readRegimeSummary(db, table, onlyWell);
    if (!read.outcome.ok)
        return read;
    const StoredResults stored = readStoredResults(db, onlyWell);
    if (!stored.outcome.ok) {
        read.rows.clear();
        read.outcome = stored.outcome;
        return read;
    }
    mergeResults(read, stored);
    return read;
}

Distribution distributionOf(const std::vector<StoredValue>& values, int bins) {
    Distribution d;
    d.counts.assign(std::max(bins, 1), 0);
    bool first = true;
    for (const StoredValue& v : values) {
        if (v.kind != StoredValue::Number || !std::isfinite(v.value)) {
            ++d.missing;
            continue;
        }
        d.low = first ? v.value : std::min(d.low, v.value);
        d.high = first ? v.value : std::max(d.high, v.value);
        first = false;
        ++d.numbers;
    }
    const int n = static_cast<int>(d.counts.size());
    for (const StoredValue& v : values) {
        if (v.kind != StoredValue::Number || !std::isfinite(v.value))
            continue;
        // The greatest value falls into the last bin, not past it.
        const int bin =
            d.high > d.low
                ? std::min(n - 1, static_cast<int>((v.value - d.low) / (d.high - d.low) * n))
                : 0;
        ++d.counts[bin];
    }
    return d;
}

} // namespace id
