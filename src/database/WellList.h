#pragma once

#include "batch/BatchInterpretation.h"
#include "database/WellDatabase.h"

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

} // namespace id
