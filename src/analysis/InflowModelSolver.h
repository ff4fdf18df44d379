#pragma once

#include "analysis/InflowModels.h"

#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace id {

// The models written with their open flow qmax = q(Pз = 0) as a parameter in place of C or J:
//   Vogel      (qmax, Pпл):    P = Pпл·x(q/qmax)
//   Composite  (qmax, Pпл):    J = qmax/(Pпл − Pнас·0,8/1,8), Darcy above Pнас, Vogel below
//   Fetkovich  (qmax, n, Pпл): P = Pпл·√(1 − (q/qmax)^(1/n))
// Every rate up to qmax has a pressure, so a solver that keeps qmax above the largest rate never
// meets the wall where the model stops giving pressures.
struct OpenFlowPoint {
    double pressure = 0;
    // By the form's parameters in their order; infinite where the pressure's own slope is.
    std::array<double, 3> gradient{};
};
std::optional<OpenFlowPoint> openFlowPressure(InflowModel model, const std::vector<double>& form,
                                              double saturationPressure, double rate);

// The model's own parameters (qmax | J | C, [n], Pпл) from the open-flow form, and back.
std::vector<double> modelValuesOfForm(InflowModel model, const std::vector<double>& form,
                                      double saturationPressure);
std::vector<double> formOfModelValues(InflowModel model, const std::vector<double>& values,
                                      double saturationPressure);

// The straight line of log q against log(Pпл² − Pз²) over the flowing points below Pпл: their
// means and its slope (NaN with fewer than two distinct abscissae). Fetkovich's n at that Pпл.
struct LogLogLine {
    double meanX = 0;
    double meanY = 0;
    double slope = std::numeric_limits<double>::quiet_NaN();
};
// logRates, when given, holds log q of every point (any value where q ≤ 0).
LogLogLine logLogLine(const InflowModelInputs& inputs, double reservoir,
                      const std::vector<double>& logRates = {});

struct ModelSolution {
    // The open-flow form, Pпл last (the given one where it was given).
    std::vector<double> form;
    double rss = 0;
    int iterations = 0;
    // The open flow sits at the largest rate: the bound of the form.
    bool onBound = false;
    // Why this is not a minimum (empty when it is).
    QString notMinimum;
};

// The least-squares pressures over several starts (the linearised forms, a grid over Pпл), the
// best kept and checked to be a minimum: Bates and Watts' relative offset below 1e-3. A best fit
// on the bound (the largest rate at the open flow) is a minimum only for exact data; otherwise it
// is marked as none.
std::optional<ModelSolution> solveInflowModel(const InflowModelInputs& inputs);

} // namespace id
