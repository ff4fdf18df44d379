#pragma once

#include "analysis/ResultIntervals.h"
#include "state/AnalysisState.h"

#include <QString>

namespace id {

// Everything the statistics page and its table of points are made from, and nothing else: equal
// inputs give the same page, so it is made again only when they change.
struct StatisticsInputs {
    std::int16_t WellType = ProducingWell;
    std::int16_t TrendCount = 0;
    TrendRecord FirstTrend;
    TrendRecord SecondTrend;
    std::optional<BreakRecord> Break;
    id::Measurements Measurements;
    double ReservoirPressure = 0;
    double AllowedBottomholePressure = 0;
    bool ManualPick = false;
    bool AutoSearch = false;
    double IdAxisXMax = 0;
    // With a break: the table row of each measurement (none where they cannot be matched).
    std::vector<int> MeasurementRows;

    StatisticsInputs() = default;
    StatisticsInputs(const AnalysisState& state); // NOLINT: an analysis is reported as its inputs

    bool operator==(const StatisticsInputs&) const = default;
    const TrendRecord& trend(int slot) const { return slot == 2 ? SecondTrend : FirstTrend; }
    int measurementCount() const { return Measurements.count(); }
};

// The statistics the trend in a slot was fitted with; none when it has as many points as
// coefficients (or none kept).
const FitStatistics* trendStatistics(const StatisticsInputs& state, int slot);

// A quadratic trend read as the laminar and turbulent parts of the pressure loss,
// Pпл − Pз = A·q + B·q² (Pз − Pпл for an injection well), with their standard errors; none for
// another kind or without residual degrees of freedom.
struct PressureLosses {
    double a = 0, aError = 0, b = 0, bError = 0;
};
std::optional<PressureLosses> pressureLosses(const TrendRecord& trend, const FitStatistics& st,
                                             int wellType);

// The two-sided p value of a coefficient's t statistic.
double twoSidedP(double t, int degreesOfFreedom);

// The externally studentized residual beyond which a point of a fit is suspect: Student's t at
// 0,05/(2n) with n − p − 1 degrees of freedom (a 5 % test over all n points, Bonferroni); with
// the residual degrees of freedom given (n − p), none (infinite) when too few are left.
double outlierThreshold(int points, int degreesOfFreedom);
// Whether a studentized residual is beyond the threshold; an unbounded one always is.
bool suspect(double studentized, double threshold);

// A statistic as the trend labels write their coefficients, so one number reads the same
// everywhere; "—" for one that is not a number.
QString statisticText(double value);

// A studentized residual as the statistics show it: "∞" when unbounded, "—" when undefined.
QString studentizedText(double studentized);

// The "Статистика" page: per trend its coefficients with standard errors, t and p, the fit's
// figures, the results with their 95 % intervals and the suspect points. HTML, numbers with the
// decimal comma. Every point's residual is in the table of points, not here.
QString statisticsReport(const StatisticsInputs& state);

// The 95 % confidence band of a trend's mean line at the rate: half its width.
double meanLineHalfWidth(const FitStatistics& statistics, double rate);

} // namespace id
