#pragma once

#include "state/AnalysisState.h"

namespace id {

// Pressure of a trend at rate q, evaluated in the written nested form. Kinds other than 2, 3
// and 4 give 0.
double evaluateTrend(int kind, const Coefficients& c, double q);

} // namespace id
