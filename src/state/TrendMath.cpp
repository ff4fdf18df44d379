#include "state/TrendMath.h"

namespace id {

double evaluateTrend(int kind, const Coefficients& c, double q) {
    if (kind < LinearTrend || kind > CubicTrend || c.size() < kind)
        return 0;
    return evaluateTrendAt(kind, c.values().data(), q);
}

} // namespace id
