#pragma once

#include "state/AnalysisState.h"

#include <QString>
#include <vector>

namespace id {

// The equation label of a trend and the pieces that place its raised exponents.
struct TrendLabel {
    QString text;              // "y=-0,5000x+20,0000"; "x  " leaves room for an exponent
    QString beforeFirstPower;  // text up to the exponent after the first "x" (kinds 3, 4)
    QString beforeSecondPower; // text up to the exponent "2" of a cubic
    QString firstExponent;     // "2" for a quadratic, "3" for a cubic, empty for a line
};

TrendLabel trendLabel(int kind, const Coefficients& c);

// A coefficient as every place shows one (label, statistics, CSV, PDF): "0.0000" where that shows
// at least four significant digits; otherwise four significant digits in plain decimals while
// they need at most 8 decimals ("-0,07848", "0,0008790"); the exponent form only beyond that or
// from 1E+10 on. "—" for one that is not a number.
QString coefficientText(double value);

// "R  =" and R² with three decimals; the raised 2 goes into the gap.
QString rSquaredText(double rSquared);

struct Segment {
    double x1, y1, x2, y2;
};

// The trend curve from xs to xe: one line for a linear trend, chords of step xe / segments for
// the others, at least one, the last one possibly ending beyond xe by less than a step.
std::vector<Segment> trendCurve(int kind, const Coefficients& c, double xs, double xe,
                                int segments);

} // namespace id
