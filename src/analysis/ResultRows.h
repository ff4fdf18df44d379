#pragma once

#include "state/AnalysisState.h"

#include <vector>

namespace id {

// The rows of the results table, in order, one per determined result. Computes the estimate of
// the chosen mode and stores it in the analysis (transmissibility or skin factor).
std::vector<ResultRow> computeResultRows(AnalysisState& state);

// Rebuilds the results from the analysis: one row per determined result, shown when there is
// one. The only operation that shows the results table.
void UpdateResultsTable(AnalysisState& state);

// The rows of a shown results table made again from the results (and the estimate with them), so
// that what the table says never differs from the numbers behind it. Run after every step and on
// opening a file; a hidden table is left as it is.
void refreshResultRows(AnalysisState& state);

// The results table counts as shown only while it shows a result: at start-up it shows empty.
inline bool resultsTableShown(const AnalysisState& s) {
    return s.ResultsShown && !s.ResultRows.empty();
}

} // namespace id
