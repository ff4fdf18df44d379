#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace id {

// The inflow models of a producing well, fitted to the measured regimes.
//   Vogel:      q = qmax·(1 − 0,2·x − 0,8·x²), x = Pз/Pпл; parameters qmax, Pпл.
//   Composite:  q = J·(Pпл − Pз) above Pнас; below it qb + J·Pнас/1,8·(1 − 0,2·y − 0,8·y²),
//               y = Pз/Pнас, qb = J·(Pпл − Pнас); parameters J, Pпл.
//   Fetkovich:  q = C·(Pпл² − Pз²)^n; parameters C, n, Pпл.
// Pпл is the last parameter of each; it is fitted unless given.
enum class InflowModel { Vogel, Composite, Fetkovich };

struct InflowModelInputs {
    InflowModel model = InflowModel::Vogel;
    std::vector<double> rates;
    std::vector<double> pressures;
    // Given, Pпл is not fitted.
    std::optional<double> reservoirPressure;
    // Pнас, for the composite model.
    double saturationPressure = 0;
};

struct InflowParameter {
    double value = 0;
    // Zero for a parameter that was given, not fitted.
    double standardError = 0;
    double low = 0;
    double high = 0;
};

struct InflowFit {
    InflowModel model = InflowModel::Vogel;
    double saturationPressure = 0;
    // In the model's order, Pпл last.
    std::vector<InflowParameter> parameters;
    bool reservoirGiven = false;
    // The absolute open flow q(Pз = 0) with its 95 % interval (delta method).
    InflowParameter openFlow;
    double rSquared = 0;
    double residualDeviation = 0;
    double aicc = 0;
    int iterations = 0;
    // Fetkovich with Pпл given: C and n of the straight line of log q against log(Pпл² − Pз²),
    // the form checked by hand.
    std::optional<std::pair<double, double>> logLogFit;

    std::vector<double> values() const;
    double reservoirPressure() const { return parameters.back().value; }
};

struct InflowFitResult {
    std::optional<InflowFit> fit;
    // Why there is no fit (Russian, for the user).
    QString error;
};

// The model whose bottom-hole pressures are nearest the measured ones in least squares (as the
// trends are fitted), by Levenberg-Marquardt from the linearised forms, with the statistics.
InflowFitResult fitInflowModel(const InflowModelInputs& inputs);

// The model's rate at a bottom-hole pressure, and its bottom-hole pressure at a rate (none where
// the model gives none).
double modelRate(InflowModel model, const std::vector<double>& values, double saturationPressure,
                 double pressure);
std::optional<double> modelPressure(InflowModel model, const std::vector<double>& values,
                                    double saturationPressure, double rate);

// "Фогель", "Дарси + Фогель (с Pнас)", "Феткович".
QString inflowModelName(InflowModel model);

} // namespace id
