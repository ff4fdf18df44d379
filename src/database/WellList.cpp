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
        RegimeTally& t = wells[*id];
        // 12 and '12' are one number but not one key: which rows are the well's is unclear.
        if (t.regimes++ == 0)
            t.idType = idCell.typeId();
        else if (t.idType != idCell.typeId())
            t.idTwoWays = true;
        const QVariant typeCell = q.value(1);
        if (typeCell.isNull())
            continue;
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
    if (q.lastError().isValid()) {
        read.outcome = databaseFailure(NotRead, q.lastError(), statement);
        return read;
    }
    // The ids sorted alone, and the rows made in their order: the rows are far larger.
    std::vector<std::pair<qint64, const RegimeTally*>> order;
    order.reserve(wells.size());
    for (auto it = wells.cbegin(); it != wells.cend(); ++it)
        order.emplace_back(it.key(), &it.value());
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    read.rows.reserve(order.size());
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
        read.rows.push_back(std::move(row));
    }
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

WellListModel::WellListModel(QObject* parent) : QAbstractTableModel(parent) {}

void WellListModel::setRows(std::vector<WellListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    index_.clear();
    index_.reserve(static_cast<qsizetype>(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i)
        index_.insert(rows_[i].kwuId, static_cast<int>(i));
    arrange();
    endResetModel();
}

const WellListRow* WellListModel::well(qint64 kwuId) const {
    const auto at = index_.constFind(kwuId);
    return at == index_.cend() ? nullptr : &rows_[*at];
}

void WellListModel::updateWells(const std::vector<WellListRow>& rows) {
    beginResetModel();
    for (const WellListRow& row : rows)
        if (const auto at = index_.constFind(row.kwuId); at != index_.cend())
            rows_[*at] = row;
    arrange();
    endResetModel();
}

void WellListModel::setFilter(WellFilter filter) {
    beginResetModel();
    filter_ = filter;
    refilter();
    endResetModel();
}

void WellListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged();
    // The current and selected wells stay the same wells in their new places.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::pair<qint64, int>> wells;
    for (const QModelIndex& i : before)
        wells.emplace_back(i.isValid() ? shownWell(i.row()) : -1, i.column());
    sortColumn_ = column;
    sortOrder_ = order;
    arrange();
    QModelIndexList after;
    for (const auto& [well, col] : wells) {
        const int row = index_.contains(well) ? shownRow(well) : -1;
        after << (row >= 0 ? index(row, col) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

namespace {

// 0 for a number, 1 for what has none: the wells without a value come last either way.
int category(const StoredValue& v) {
    return v.kind == StoredValue::Number ? 0 : 1;
}

const StoredValue& valueOf(const WellListRow& r, int column) {
    return column == WellListModel::Kprod    ? r.kprod
           : column == WellListModel::Pplast ? r.pplast
                                             : r.pzabDop;
}

// -1, 0 or 1 as a comes before, with or after b in the column's ascending order.
int compare(const WellListRow& a, const WellListRow& b, int column) {
    const auto three = [](auto x, auto y) { return x < y ? -1 : y < x ? 1 : 0; };
    switch (column) {
    case WellListModel::Type:
        return three(a.wellType, b.wellType);
    case WellListModel::Regimes:
        return three(a.regimes, b.regimes);
    case WellListModel::Kprod:
    case WellListModel::Pplast:
    case WellListModel::PzabDop:
        return three(valueOf(a, column).value, valueOf(b, column).value);
    case WellListModel::State:
        return three(static_cast<int>(a.state), static_cast<int>(b.state));
    case WellListModel::Reason:
        return a.reason.compare(b.reason);
    default:
        return 0;
    }
}

} // namespace

void WellListModel::arrange() {
    order_.resize(rows_.size());
    for (std::size_t i = 0; i < order_.size(); ++i)
        order_[i] = static_cast<int>(i);
    const int column = sortColumn_;
    const bool down = sortOrder_ == Qt::DescendingOrder;
    const bool numeric = column == Kprod || column == Pplast || column == PzabDop;
    std::sort(order_.begin(), order_.end(), [&](int i, int j) {
        const WellListRow& a = rows_[i];
        const WellListRow& b = rows_[j];
        if (numeric && category(valueOf(a, column)) != category(valueOf(b, column)))
            return category(valueOf(a, column)) < category(valueOf(b, column));
        const int c = (numeric && category(valueOf(a, column)) == 1) ? 0 : compare(a, b, column);
        if (c != 0)
            return down ? c > 0 : c < 0;
        // Equal keys stand in kwu_id order; the id column itself turns with the order.
        return column == Id && down ? a.kwuId > b.kwuId : a.kwuId < b.kwuId;
    });
    refilter();
}

void WellListModel::refilter() {
    shown_.clear();
    place_.assign(rows_.size(), -1);
    for (const int i : order_) {
        const WellState s = rows_[i].state;
        const bool pass = filter_ == WellFilter::All ||
                          (filter_ == WellFilter::Interpreted && s == WellState::Interpreted) ||
                          (filter_ == WellFilter::Refused && s == WellState::Refused) ||
                          (filter_ == WellFilter::NotInterpreted && s == WellState::NotInterpreted);
        if (!pass)
            continue;
        place_[i] = static_cast<int>(shown_.size());
        shown_.push_back(i);
    }
}

std::vector<qint64> WellListModel::shownWells() const {
    std::vector<qint64> ids;
    ids.reserve(shown_.size());
    for (const int i : shown_)
        ids.push_back(rows_[i].kwuId);
    return ids;
}

int WellListModel::shownRow(qint64 kwuId) const {
    const auto at = index_.constFind(kwuId);
    return at == index_.cend() ? -1 : place_[*at];
}

std::optional<qint64> WellListModel::neighbour(qint64 kwuId, int step) const {
    if (shown_.empty())
        return std::nullopt;
    const int at = shownRow(kwuId);
    const int next = at < 0 ? (step > 0 ? 0 : static_cast<int>(shown_.size()) - 1) : at + step;
    if (next < 0 || next >= static_cast<int>(shown_.size()))
        return std::nullopt;
    return rows_[shown_[next]].kwuId;
}

std::vector<StoredValue> WellListModel::shownValues(Column column) const {
    std::vector<StoredValue> values;
    values.reserve(shown_.size());
    for (const int i : shown_)
        values.push_back(valueOf(rows_[i], column));
    return values;
}

int WellListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int WellListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString WellListModel::stateText(WellState state) {
    switch (state) {
    case WellState::Interpreted:
        return QStringLiteral("интерпретирована");
    case WellState::Refused:
        return QStringLiteral("отказ");
    case WellState::NotInterpreted:
        break;
    }
    return QStringLiteral("не интерпретирована");
}

QString WellListModel::typeText(std::int16_t wellType) {
    return wellType == ProducingWell   ? QStringLiteral("добывающая")
           : wellType == InjectionWell ? QStringLiteral("нагнетательная")
                                       : QStringLiteral("неясен");
}

namespace {

QString valueText(const StoredValue& v) {
    switch (v.kind) {
    case StoredValue::Number:
        return QLocale().toString(v.value, 'g', 6);
    case StoredValue::Unreadable:
        return QStringLiteral("«%1» — не число").arg(v.text);
    case StoredValue::Null:
        break;
    }
    return {};
}

} // namespace

QVariant WellListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(shown_.size()))
        return {};
    const WellListRow& r = rows_[shown_[index.row()]];
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return column == Id || column == Regimes || column == Kprod || column == Pplast ||
                       column == PzabDop
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole) {
        if (column == Type && !r.typeProblem.isEmpty())
            return r.typeProblem;
        if (column == Reason && !r.reason.isEmpty())
            return r.reason;
        if ((column == Kprod || column == Pplast || column == PzabDop) && !r.resultRow)
            return QStringLiteral("В таблице kwu_ind нет строки этой скважины: результаты "
                                  "сохранить некуда.");
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case Id:
        return QString::number(r.kwuId);
    case Type:
        return typeText(r.wellType);
    case Regimes:
        return QString::number(r.regimes);
    case Kprod:
    case Pplast:
    case PzabDop:
        return valueText(valueOf(r, column));
    case State:
        return stateText(r.state);
    case Reason:
        return r.reason;
    default:
        return {};
    }
}

QVariant WellListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const names[] = {
        "kwu_id",      "Тип скважины",  "Режимов",   "kprod, м3/(сут·атм)",
        "pplast, атм", "pzab_dop, атм", "Состояние", "Причина"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(names[section]) : QVariant();
}

} // namespace id
