#pragma once

#include "analysis/ResultRows.h"

namespace id {

struct AppContext;
struct MenuTree;

// The estimation mode by the check marks of the "Оценка" submenu.
EstimationMode currentEstimationMode(const MenuTree& menus);

class WorkWindow;

// The results table counts as shown only while it shows a result: at start-up it is visible
// but empty.
bool resultsTableShown(const WorkWindow& form);

// Rebuilds the results table from the analysis state: one row per determined result, the table
// as tall as its rows, hidden when there is none. The only operation that shows the table.
void UpdateResultsTable(AppContext& context);

} // namespace id
