#include "charts/PiChartMath.h"

#include "diagram/AxisRounding.h"
#include "state/TrendMath.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace id {

double automaticPiAxisTop(const AnalysisState& s) {
    double top = 0;
    for (int i = 1; i <= s.measurementCount(); ++i) {
        const double pressure = s.Measurements.pressure(i);
        // A point on the reservoir pressure within rounding (3.0000000000000004 for a fitted
        // 3) has no index either, not one of 1E+17.
        const double scale = std::max(std::abs(pressure), std::abs(s.ReservoirPressure));
        if (std::abs(pressure - s.ReservoirPressure) <= 64 * DBL_EPSILON * scale)
            continue;
        const double index = s.Measurements.rate(i) / std::abs(s.ReservoirPressure - pressure);
        if (index >= top)
            top = index;
    }
    return RoundUpAxisMax(top);
}

std::optional<double> piCurveValue(const TrendRecord& t, int wellType, double x) {
    if (!isInflowModelKind(t.Kind))
        return piCurveValue(t.Kind, t.Coefficients, wellType, x);
    if (!(x > 0) || t.Coefficients.size() != coefficientCount(t.Kind))
        return std::nullopt;
    const double value = x / (t.Coefficients[t.Coefficients.size()] - evaluateTrend(t, x));
    if (!std::isfinite(value) || !(value > 0))
        return std::nullopt;
    return value;
}

std::optional<double> piCurveValue(int kind, const Coefficients& c, int wellType, double x) {
    double sign = 0;
    if (wellType == ProducingWell)
        sign = -1;
    else if (wellType == InjectionWell)
        sign = 1;
    else
        return std::nullopt;
    double denominator = 0;
    switch (kind) {
    case LinearTrend:
        denominator = c[1];
        break;
    case QuadraticTrend:
        denominator = c[1] * x + c[2];
        break;
    case CubicTrend:
        denominator = c[1] * x * x + c[2] * x + c[3];
        break;
    default:
        return std::nullopt;
    }
    if (denominator == 0)
        return std::nullopt;
    const double value = sign / denominator;
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace id
