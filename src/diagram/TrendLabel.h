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
// A model's label: its name and parameters, "Фогель: qmax=1067,07; Pпл=25,00".
TrendLabel trendLabel(const TrendRecord& trend);

// "R  =" and R² with three decimals; the raised 2 goes into the gap.
QString rSquaredText(double rSquared);

struct Segment {
    double x1, y1, x2, y2;
};

// The trend curve from xs to xe: one line for a linear trend, chords of step xe / segments for
// the others, at least one, the last one possibly ending beyond xe by less than a step.
std::vector<Segment> trendCurve(int kind, const Coefficients& c, double xs, double xe,
                                int segments);
// The same for a trend or a model; a model's chords stop where it gives no pressure.
std::vector<Segment> trendCurve(const TrendRecord& trend, double xs, double xe, int segments);

} // namespace id
