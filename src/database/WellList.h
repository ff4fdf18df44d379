#pragma once

#include "batch/BatchInterpretation.h"
#include "database/WellDatabase.h"

#include <QAbstractTableModel>
#include <QHash>
#include <optional>
#include <vector>

class QSqlDatabase;

namespace id {

// One well's regimes as the window takes them: every cell and the well type checked; a well
// whose regimes cannot all be read is refused with the reason.
struct RegimesRead {
    DatabaseOutcome outcome;
    // None when the regimes table holds no row of the well.
    std::optional<WellRegimes> well;
};
RegimesRead readWellRegimes(QSqlDatabase& db, const QString& table, qint64 kwuId);

// A stored result as the database holds it: nothing (NULL), a number, or a text that is none.
struct StoredValue {
    enum Kind { Null, Number, Unreadable } kind = Null;
    double value = 0;
    QString text;
    bool operator==(const StoredValue&) const = default;
};
StoredValue readStoredValue(const QVariant& cell);

enum class WellState { NotInterpreted, Interpreted, Refused };

// A well of the regimes table with what kwu_ind and a shared run's work table say of it.
struct WellListRow {
    qint64 kwuId = 0;
    // 1, 2, or 0 when its regimes name no one type (typeProblem says why).
    std::int16_t wellType = 0;
    QString typeProblem;
    int regimes = 0;
    StoredValue kprod;
    StoredValue pplast;
    StoredValue pzabDop;
    // Whether kwu_ind holds its row (the results can be saved).
    bool resultRow = false;
    WellState state = WellState::NotInterpreted;
    QString reason;
    bool operator==(const WellListRow&) const = default;
};

struct WellListRead {
    DatabaseOutcome outcome;
    std::vector<WellListRow> rows;
    // Whether a shared run's work table gave the states and reasons.
    bool workTable = false;
};
// Every well of the regimes table in kwu_id order, or the one well asked for. A kwu_id that is
// no integer, or one written in two ways, refuses the list: no row could be opened or saved
// safely.
WellListRead readWellList(QSqlDatabase& db, const QString& table,
                          std::optional<qint64> onlyWell = std::nullopt);

enum class WellFilter { All, Interpreted, Refused, NotInterpreted };

// The distribution of a column over the wells shown: equal bins from the least to the greatest
// value; the values that are no number are counted apart.
struct Distribution {
    double low = 0;
    double high = 0;
    std::vector<int> counts;
    int numbers = 0;
    int missing = 0;
};
Distribution distributionOf(const std::vector<StoredValue>& values, int bins);

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
