#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

namespace id {

// Brings what the analysis derives up to date, in a fixed order: the formation inputs are
// checked; with TrendCount above 0 the trend of that slot (its kind set by the caller) is fitted
// to the fit set, its results derived and shown, its R² computed, and the PI chart's axes set;
// then the automatic allowed-pressure search runs where it is chosen. A fault ends it; the
// command that called it then leaves the analysis as it was.
// With refit false (an axis change) the trends stay exactly as they are: nothing is fitted, and a
// first trend's PI axes are set again from the points.
void RedrawIndicatorDiagram(AnalysisState& state, CommandContext& context, bool refit = true);

// The PI chart shown with its axes as after a first trend: the index axis from the points (grown to
// the first coefficient), the rate axis the diagram's.
void placePiChart(AnalysisState& state, CommandContext& context);

} // namespace id
