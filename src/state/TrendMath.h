#pragma once

#include "state/AnalysisState.h"
#include "state/InflowCurve.h"

namespace id {

// Pressure of a trend at rate q, evaluated in the written nested form; c[0] multiplies the
// highest power. Kinds other than 2, 3 and 4 give 0. Inline: the allowed-pressure search
// evaluates it in tight loops.
inline double evaluateTrendAt(int kind, const double* c, double q) {
    switch (kind) {
    case LinearTrend:
        return c[0] * q + c[1];
    case QuadraticTrend:
        return q * (q * c[0]) + q * c[1] + c[2];
    case CubicTrend:
        return q * (q * (q * c[0])) + q * (q * c[1]) + q * c[2] + c[3];
    default:
        return 0;
    }
}

// The same for a coefficient array (indices 1..kind).
double evaluateTrend(int kind, const Coefficients& c, double q);

// The model a trend kind stands for (kinds 5 to 7).
InflowModel inflowModelOfKind(int kind);

// A trend's or a model's pressure at rate q; NaN where a model gives none.
double evaluateTrend(const TrendRecord& trend, double q);

} // namespace id
