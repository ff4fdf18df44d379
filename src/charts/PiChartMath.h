#pragma once

#include "state/AnalysisState.h"

#include <optional>

namespace id {

// Largest point index Q / |Pres - P| over the measurements, points at the reservoir pressure
// left out, rounded up to the automatic top of the index axis.
double automaticPiAxisTop(const AnalysisState& state);

// Index that the trend implies at rate x; nothing where it is undefined (zero denominator or a
// non-finite value), so the curve is broken there.
std::optional<double> piCurveValue(int kind, const Coefficients& c, int wellType, double x);
// The same for a trend or an inflow model: a model's index is q / (Pпл − Pз(q)), none at no flow.
std::optional<double> piCurveValue(const TrendRecord& trend, int wellType, double x);

} // namespace id
