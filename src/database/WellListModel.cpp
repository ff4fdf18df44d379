#include "database/WellListModel.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace id {

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
