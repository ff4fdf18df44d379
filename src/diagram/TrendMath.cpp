#include "diagram/TrendMath.h"

namespace id {

double evaluateTrend(int kind, const Coefficients& c, double q) {
    switch (kind) {
    case LinearTrend:
        return c[1] * q + c[2];
    case QuadraticTrend:
        return q * (q * c[1]) + q * c[2] + c[3];
    case CubicTrend:
        return q * (q * (q * c[1])) + q * (q * c[2]) + q * c[3] + c[4];
    default:
        return 0;
    }
}

} // namespace id
