#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace id {

// Two straight lines joined at a break, y = a + b·x + c·(x − ψ)₊ (pressure y against rate x),
// fitted to the points by least squares with ψ unknown.
struct BreakFit {
    double breakRate = 0; // ψ
    double intercept = 0; // a
    double slope = 0;     // b, the line before the break
    double slopeChange = 0;
    // Standard errors of a, b, c and ψ (the delta method for ψ), from the four-parameter fit.
    std::array<double, 4> standardErrors{};
    double rss = 0;
    double rSquared = 0;
    double adjustedRSquared = 0;
    int points = 0;
    // The 95 % profile interval of ψ: the break rates whose best joined fit has
    // RSS ≤ RSSmin·(1 + F(0,95; 1, n − 4)/(n − 4)), the run around ψ; open where it reaches the
    // end of the rates a break may have (two distinct rates on each side).
    double breakRateLow = 0;
    double breakRateHigh = 0;
    bool lowOpen = false;
    bool highOpen = false;

    double pressureAt(double rate) const;
    double breakPressure() const { return pressureAt(breakRate); }
    double secondSlope() const { return slope + slopeChange; }
    double secondIntercept() const { return intercept - slopeChange * breakRate; }
};

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
struct BreakTest {
    double likelihoodRatio = 0;
    double pValue = 1;
    int draws = 0;
    int points = 0;
    bool subsampled = false;
};
constexpr int MostBreakBootstrapPoints = 5000;
constexpr int BreakBootstrapDraws = 999;
BreakTest breakSignificance(const std::vector<double>& rates, const std::vector<double>& pressures,
                            const BreakFit& fit);

// Whether the points before the break already bend towards the second line (a quadratic term
// significant at 5 % with the sign of the slope change): the departure may then lie below the
// meeting of the lines.
bool curvesBeforeBreak(const std::vector<double>& rates, const std::vector<double>& pressures,
                       const BreakFit& fit);

} // namespace id
