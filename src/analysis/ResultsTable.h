#pragma once

#include "analysis/ResultRows.h"

namespace id {

struct AppContext;
struct MenuTree;

// The estimation mode by the check marks of the "Оценка" submenu.
EstimationMode currentEstimationMode(const MenuTree& menus);

// Rebuilds the results table from the analysis state: one row per determined result, the table
// as tall as its rows, hidden when there is none. The only operation that shows the table.
void UpdateResultsTable(AppContext& context);

} // namespace id
