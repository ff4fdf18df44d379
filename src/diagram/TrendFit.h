#pragma once

#include "state/AnalysisState.h"

namespace id {

class SpreadsheetFitService;

// Fits the polynomial of CurrentTrendKind to the fit set and stores its coefficients in
// CurrentTrendCoefficients (highest power first).
void fitCurrentTrend(AnalysisState& state, SpreadsheetFitService& fits);

// Productivity coefficient and reservoir pressure of the first trend, or the coefficient of the
// second; a linear trend with zero slope has no productivity coefficient and ends the command.
void deriveTrendResults(AnalysisState& state);

// R² of the current trend: the squared correlation of the measured pressures with the trend's
// values at the same rates. Stored as the latest R² and as the R² of the trend's slot.
void computeTrendRSquared(AnalysisState& state, SpreadsheetFitService& fits);

// R² to show in the label of the trend in slot TrendCount.
double rSquaredOfSlot(const AnalysisState& state);

} // namespace id
