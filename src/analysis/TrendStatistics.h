#pragma once

#include "analysis/ResultIntervals.h"
#include "state/AnalysisState.h"

#include <QString>
#include <optional>

namespace id {

class SpreadsheetFitService;

// The statistics of the trend in a slot, fitted again to its own points; none when it has as
// many points as coefficients (or none kept).
std::optional<SpreadsheetFitService::FitStatistics>
trendStatistics(const AnalysisState& state, int slot, SpreadsheetFitService& fits);

// The two-sided p value of a coefficient's t statistic.
double twoSidedP(double t, int degreesOfFreedom);

// Studentized residuals beyond this mark a point as suspect.
constexpr double SuspectResidual = 2.5;

// The "Статистика" page: per trend its coefficients with standard errors, t and p, the fit's
// figures, the results with their 95 % intervals and the points with their residuals. HTML,
// numbers with the decimal comma.
QString statisticsReport(const AnalysisState& state, SpreadsheetFitService& fits);

// The 95 % confidence band of a trend's mean line at the rate: half its width.
double meanLineHalfWidth(const SpreadsheetFitService::FitStatistics& statistics, double rate);

} // namespace id
