#pragma once

#include "state/AnalysisState.h"

#include <vector>

namespace id {

class SpreadsheetFitService;

struct FittedTrend {
    Coefficients coefficients;  // highest power first
    std::vector<double> fitted; // the trend's values at the fit set's rates
    SharedFitStatistics statistics;
};

// The polynomial of the kind fitted to the fit set, with its statistics.
FittedTrend fitTrend(const AnalysisState& state, int kind, SpreadsheetFitService& fits);

// Productivity coefficient and reservoir pressure of the first trend, or the coefficient of the
// second; a linear trend with zero slope has no productivity coefficient and ends the command.
void deriveTrendResults(AnalysisState& state, int slot, int kind, const Coefficients& c);

// R² of a trend: the squared correlation of the fit set's pressures with the trend's values at
// the same rates.
double trendRSquared(const AnalysisState& state, const std::vector<double>& fitted,
                     SpreadsheetFitService& fits);

} // namespace id
