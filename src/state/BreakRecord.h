#pragma once

#include <algorithm>
#include <array>
#include <utility>

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
    // The 95 % interval of the break's pressure a + b·ψ, profiled with ψ: over the break rates
    // of the interval above, each fit's pressure at its break ± √((bound − RSS)·its variance
    // factor), the union of them all.
    double pressureLow = 0;
    double pressureHigh = 0;
    // A point's leverage in the joined fit follows from its rate alone: h = ‖M·g‖², g = (1, t₋,
    // t₊, −β) with t = (q − rateCentre)/rateScale − scaledBreak and β the scaled slope on the
    // point's side; M (row by row) from the fit's QR. All zero with too few points.
    std::array<double, 16> leverageMap{};
    double rateCentre = 0;
    double rateScale = 1;
    double scaledBreak = 0;
    double scaledSlopeBefore = 0;
    double scaledSlopeAfter = 0;

    double pressureAt(double rate) const {
        return intercept + slope * rate + slopeChange * std::max(0.0, rate - breakRate);
    }
    double breakPressure() const { return pressureAt(breakRate); }
    double secondSlope() const { return slope + slopeChange; }
    double secondIntercept() const { return intercept - slopeChange * breakRate; }
    std::pair<double, double> pressureInterval() const { return {pressureLow, pressureHigh}; }

    bool operator==(const BreakFit&) const = default;
};

// Whether the points need a break at all: the likelihood ratio against one straight line and its
// bootstrap p value, with the draws and the points they were made on.
struct BreakTest {
    double likelihoodRatio = 0;
    double pValue = 1;
    int draws = 0;
    int points = 0;
    bool subsampled = false;

    bool operator==(const BreakTest&) const = default;
};
// A break standing on the diagram: its two lines are the trends in slots 1 and 2.
struct BreakRecord {
    BreakFit Fit;
    BreakTest Test;
    // The points before it bend towards the second line already.
    bool CurvesBefore = false;

    bool operator==(const BreakRecord&) const = default;
};

} // namespace id
