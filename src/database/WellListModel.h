#pragma once

#include "database/WellList.h"

#include <QAbstractTableModel>
#include <QHash>
#include <optional>
#include <vector>

namespace id {

// The wells list: its rows in the order and filter chosen, with the walk through them.
class WellListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Id, Type, Regimes, Kprod, Pplast, PzabDop, State, Reason, ColumnCount };

    explicit WellListModel(QObject* parent = nullptr);

    void setRows(std::vector<WellListRow> rows);
    const std::vector<WellListRow>& rows() const { return rows_; }
    // The row of the well, whether shown or not.
    const WellListRow* well(qint64 kwuId) const;
    // Wells' rows read again (after a save or a run); their places follow the order and filter.
    void updateWells(const std::vector<WellListRow>& rows);

    void setFilter(WellFilter filter);
    WellFilter filter() const { return filter_; }
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // The wells shown, in their order.
    std::vector<qint64> shownWells() const;
    qint64 shownWell(int row) const { return rows_[shown_[row]].kwuId; }
    // Where the well stands among those shown; -1 when it is not shown.
    int shownRow(qint64 kwuId) const;
    // The next (step 1) or previous (step -1) well shown after the given one; from a well not
    // shown, the first (or the last) shown. None at the end.
    std::optional<qint64> neighbour(qint64 kwuId, int step) const;
    // A column's values over the wells shown.
    std::vector<StoredValue> shownValues(Column column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    static QString stateText(WellState state);
    static QString typeText(std::int16_t wellType);

private:
    void arrange();
    void refilter();

    std::vector<WellListRow> rows_;
    QHash<qint64, int> index_;
    // Rows in the order chosen, and those of them the filter lets through.
    std::vector<int> order_;
    std::vector<int> shown_;
    // Where each row stands among those shown (-1 when not), by row.
    std::vector<int> place_;
    WellFilter filter_ = WellFilter::All;
    int sortColumn_ = Id;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace id
