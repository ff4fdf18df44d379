#include "state/TrendMath.h"

#include <limits>

namespace id {

double evaluateTrend(int kind, const Coefficients& c, double q) {
    if (kind < LinearTrend || kind > CubicTrend || c.size() < kind)
        return 0;
    return evaluateTrendAt(kind, c.values().data(), q);
}

InflowModel inflowModelOfKind(int kind) {
    return kind == CompositeModel   ? InflowModel::Composite
           : kind == FetkovichModel ? InflowModel::Fetkovich
                                    : InflowModel::Vogel;
}

double evaluateTrend(const TrendRecord& t, double q) {
    if (!isInflowModelKind(t.Kind))
        return evaluateTrend(t.Kind, t.Coefficients, q);
    if (t.Coefficients.size() != coefficientCount(t.Kind))
        return std::numeric_limits<double>::quiet_NaN();
    return modelPressure(inflowModelOfKind(t.Kind), t.Coefficients.values(), t.SaturationPressure,
                         q)
        .value_or(std::numeric_limits<double>::quiet_NaN());
}

} // namespace id
