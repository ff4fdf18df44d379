#pragma once

#include "state/AnalysisState.h"

#include <optional>
#include <vector>

namespace id {

// The estimate of the chosen mode from the productivity coefficient: the transmissibility or the
// skin factor. None without a mode or a coefficient, or when it overflows ("inf" is no value to
// read off a table).
std::optional<double> estimateValue(const AnalysisState& state);

// The rows of the results table, in order, one per determined result; computed wherever they are
// shown or exported, so that what they say never differs from the numbers behind them.
std::vector<ResultRow> resultRows(const AnalysisState& state);

// A result's value as the table shows it.
QString formatResult(double value, int decimals);

// Shows the results table when there is a result to show, and keeps the estimate of the chosen
// mode in the formation inputs. The only operation that shows the results table.
void UpdateResultsTable(AnalysisState& state);

// The results table counts as shown only while it shows a result: at start-up it shows empty.
inline bool resultsTableShown(const AnalysisState& s) {
    return s.ResultsShown && !resultRows(s).empty();
}

} // namespace id
