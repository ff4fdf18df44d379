#pragma once

#include "state/FitStatistics.h"
#include "state/InflowCurve.h"

#include <QString>
#include <optional>
#include <vector>

namespace id {

// The inflow models fitted to the measured regimes.

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
    // False where the points do not separate the parameters: the values stand, the standard
    // errors and intervals are NaN and must not be shown.
    bool intervalsDetermined = true;
    // Fetkovich with Pпл given: C and n of the straight line of log q against log(Pпл² − Pз²),
    // the form checked by hand.
    std::optional<std::pair<double, double>> logLogFit;
    // Residuals (measured − modelled pressure), studentized by the leverage of the fit's
    // Jacobian, and the free parameters' standard errors; the covariance is that of the
    // open-flow form (qmax, [n], Pпл), free parameters only.
    FitStatistics statistics;

    std::vector<double> values() const;
    double reservoirPressure() const { return parameters.back().value; }
};

struct InflowFitResult {
    std::optional<InflowFit> fit;
    // Why there is no fit (Russian, for the user).
    QString error;
};

// The model whose bottom-hole pressures are nearest the measured ones in least squares (as the
// trends are fitted), by Levenberg-Marquardt from several starts in the open-flow form, accepted
// only at a verified minimum, with the statistics.
InflowFitResult fitInflowModel(const InflowModelInputs& inputs);

// What the engineer should know before signing the model: parameters the points do not separate,
// an exponent n outside 0,5–1, an interval of qmax or Pпл wider than the value.
std::vector<QString> modelWarnings(const InflowFit& fit);

// Akaike's criterion with the small-sample correction for a least-squares fit of the points with
// the parameters (the residuals' variance counted among them); infinite with too few points.
double aicc(int points, int parameters, double residualSumOfSquares);
// AICc as the statistics write it: two decimals, "—" where too few points leave it undefined.
QString aiccText(double value);

// The parameters' captions in the statistics, Pпл last.
std::vector<QString> inflowParameterNames(InflowModel model);
// "Линейная", "Полином 2-й степени", ..., or the model's name.
QString trendKindName(int kind);

// Half the width of the 95 % confidence band of a model's pressure at the rate (delta method);
// NaN where the model gives no pressure.
double modelMeanHalfWidth(const InflowFit& fit, double rate);

} // namespace id
