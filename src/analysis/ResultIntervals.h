#pragma once

#include "spreadsheet/SpreadsheetFitService.h"
#include "state/AnalysisState.h"

#include <optional>

namespace id {

struct Interval {
    double low = 0;
    double high = 0;
};

// 95 % intervals of the results a trend gives, from its fit statistics.
struct ResultIntervals {
    // The productivity (injectivity) coefficient of a linear trend; none when the slope's
    // interval holds 0, and then undetermined is set: at 95 % the coefficient could be anything.
    std::optional<Interval> productivity;
    bool productivityUndetermined = false;
    // The reservoir pressure, the trend's constant term.
    std::optional<Interval> reservoirPressure;
};

// The two-sided 95 % quantile of Student's t with the degrees of freedom.
double studentT95(int degreesOfFreedom);

// coefficients in LINEST order (highest power first); a linear trend has two.
ResultIntervals resultIntervals(const std::vector<double>& coefficients,
                                const SpreadsheetFitService::FitStatistics& statistics,
                                int wellType = ProducingWell);

} // namespace id
