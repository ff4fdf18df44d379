#pragma once

#include "state/AnalysisState.h"

#include <QStringList>
#include <vector>

namespace id {

class SpreadsheetFitService;

struct FittedTrend {
    Coefficients coefficients;  // highest power first
    std::vector<double> fitted; // the trend's values at the fit set's rates
    SharedFitStatistics statistics;
    // An inflow model's own fit, its R² and the Pнас and Pпл it was fitted with.
    SharedInflowFit model;
    double rSquared = 0;
    double saturationPressure = 0;
    bool reservoirGiven = false;
};

// The polynomial of the kind fitted to the fit set, with its statistics.
FittedTrend fitTrend(const AnalysisState& state, int kind, SpreadsheetFitService& fits);

// The inflow model of the kind fitted to the fit set, Pпл given in its box or fitted with it; a
// model the points do not make ends the command with the reason.
// A standing model of the kind (fitted again) keeps its own Pпл, given or fitted.
FittedTrend fitInflowTrend(const AnalysisState& state, int kind, const TrendRecord& standing,
                           QStringList& messages);

// Productivity coefficient and reservoir pressure of the first trend, or the coefficient of the
// second; a linear trend with zero slope has no productivity coefficient and ends the command.
void deriveTrendResults(AnalysisState& state, int slot, int kind, const Coefficients& c);

// R² of a trend: the squared correlation of the fit set's pressures with the trend's values at
// the same rates.
double trendRSquared(const AnalysisState& state, const std::vector<double>& fitted,
                     SpreadsheetFitService& fits);

} // namespace id
