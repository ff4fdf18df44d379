#pragma once

#include "state/BreakRecord.h"

#include <QString>
#include <optional>
#include <vector>

namespace id {

struct BreakSearchResult {
    std::optional<BreakFit> fit;
    // Why there is none (Russian, for the user).
    QString error;
};

// The exact least-squares break: for each gap between consecutive distinct rates the two
// separate lines, their meeting if it lies in the gap, otherwise the best joined fit with the
// break at the gap's ends; running sums make it linear after one sort.
BreakSearchResult findBreak(const std::vector<double>& rates, const std::vector<double>& pressures);

// The residual sum of squares of the best joined fit with the break at ψ (NaN outside the rates a
// break may have). For checks and the profile.
double breakRss(const std::vector<double>& rates, const std::vector<double>& pressures,
                double breakRate);

// Whether the points need a break at all: the likelihood ratio of the broken fit against one
// straight line, its p value from a parametric bootstrap under the straight line (seeded,
// reproducible). Beyond MostBreakBootstrapPoints points the draws are made on that many points
// spread evenly over the sorted rates, which keeps the time bounded.
constexpr int MostBreakBootstrapPoints = 2000;
// The draws stop at this many as large as the data's ratio: p is then 0,05 or more whatever the
// rest would give ((1 + 49) / (1 + 999) = 0,05), so only a break not shown significant stops
// early; its p is then (1 + 49) / (1 + draws made), with its Monte Carlo error.
constexpr int BreakBootstrapDraws = 999;
constexpr int BreakSettledAsLarge = 49;
BreakTest breakSignificance(const std::vector<double>& rates, const std::vector<double>& pressures);

// The Monte Carlo error of the bootstrap's p: three standard errors of a proportion over the
// draws made, √(p(1 − p)/draws) each (NaN without draws). Stated where a p of draws stopped
// early is reported.
double breakMonteCarloError(const BreakTest& test);

// A point's externally studentized residual in the joined four-parameter fit (NaN with too few
// points).
double breakStudentized(const BreakFit& fit, double rate, double pressure);

// The verdict as the engineer reads it: "p = 0,003", "p < 0,001" at the draws' floor,
// "p = 0,20 — излом не значим" from 0,05 up ("p = 0,20 ± 0,09 (221 выборок) — излом не значим"
// when the draws stopped early), "не определена" without draws.
QString breakSignificanceText(const BreakTest& test);

// Whether the points before the break already bend towards the second line (a quadratic term
// significant at 5 % with the sign of the slope change): the departure may then lie below the
// meeting of the lines.
bool curvesBeforeBreak(const std::vector<double>& rates, const std::vector<double>& pressures,
                       const BreakFit& fit);

// The break of the points as it stands on the diagram: the fit, its test and the warning.
BreakRecord breakRecord(const std::vector<double>& rates, const std::vector<double>& pressures,
                        const BreakFit& fit);

} // namespace id
