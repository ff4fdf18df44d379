#pragma once

#include "analysis/InflowModelSolver.h"

#include <vector>

namespace id::inflowsolver {

// Composite: the open flow is J·(Pпл − Pнас + Pнас/1,8) = J·(Pпл − Pнас·0,8/1,8).
constexpr double VogelShareOfPb = 0.8 / 1.8;

// The starts: for each Pпл of a grid above the highest pressure (or the given one), the open flow
// of the linearised form and, for Fetkovich, n from the log-log line and the textbook values.
std::vector<std::vector<double>> starts(const InflowModelInputs& in, double largest);

} // namespace id::inflowsolver
