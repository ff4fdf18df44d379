#pragma once

#include "analysis/ResultIntervals.h"
#include "state/AnalysisState.h"

#include <optional>
#include <vector>

namespace id {

// Where two trends first come within the relative tolerance of each other, from zero rate up to
// the limit, as a continuous rate (the search's grid aside): the second trend's pressure there.
std::optional<double> meetingPressure(int kind1, const std::vector<double>& c1, int kind2,
                                      const std::vector<double>& c2, double rateLimit,
                                      double tolerance);

// A trend's coefficients (LINEST order) with the statistics of its fit.
struct TrendUncertainty {
    int kind = NoTrend;
    std::vector<double> coefficients;
    SpreadsheetFitService::FitStatistics statistics;
};

// 95 % interval of the meeting pressure by the delta method: the pressure's gradient in both
// trends' coefficients (numerically, re-solving the meeting, along the fit's own centred
// coefficients, whose covariance has not lost its digits), the two fits independent, Student's
// t with the smaller of their degrees of freedom.
std::optional<Interval> meetingPressureInterval(const TrendUncertainty& first,
                                                const TrendUncertainty& second, double rateLimit,
                                                double tolerance);

// 95 % interval of the producing well's turning-point pressure by a residual bootstrap of the
// cubic of rate against pressure: 1 000 resamples from a fixed seed, so it repeats. None when
// fewer than half of the resamples find a turning point.
std::optional<Interval> turningPointInterval(const std::vector<double>& pressures,
                                             const std::vector<double>& rates);

} // namespace id
