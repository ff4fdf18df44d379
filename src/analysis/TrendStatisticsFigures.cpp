#include "analysis/TrendStatistics.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>
#include <vector>

// The figures computed from a fit for the statistics page and the charts: the pressure losses,
// the outlier test, the coefficients' p values and the mean line's confidence band.

namespace id {

std::optional<PressureLosses> pressureLosses(const TrendRecord& t, const FitStatistics& st,
                                             int wellType) {
    if (t.Kind != QuadraticTrend || st.degreesOfFreedom < 1 || st.standardErrors.size() < 2)
        return std::nullopt;
    const double sign = wellType == ProducingWell ? -1 : 1;
    return PressureLosses{sign * t.Coefficients[2], st.standardErrors[1], sign * t.Coefficients[1],
                          st.standardErrors[0]};
}

double outlierThreshold(int points, int degreesOfFreedom) {
    if (points < 1 || degreesOfFreedom - 1 < 1)
        return std::numeric_limits<double>::infinity();
    const boost::math::students_t distribution(degreesOfFreedom - 1);
    return boost::math::quantile(boost::math::complement(distribution, 0.05 / (2.0 * points)));
}

bool suspect(double studentized, double threshold) {
    return std::isinf(studentized) || std::abs(studentized) > threshold;
}

double twoSidedP(double t, int degreesOfFreedom) {
    if (!std::isfinite(t))
        return 0;
    const boost::math::students_t distribution(degreesOfFreedom);
    return 2 * boost::math::cdf(boost::math::complement(distribution, std::abs(t)));
}

double meanLineHalfWidth(const FitStatistics& st, double rate) {
    // In the fit's centred units, where the terms do not cancel.
    const std::size_t k = st.scaledCovariance.size();
    const double t = (rate - st.rateCentre) / st.rateHalf;
    std::vector<double> g(k);
    double p = 1;
    for (std::size_t j = 0; j < k; ++j) {
        g[j] = p;
        p *= t;
    }
    double variance = 0;
    for (std::size_t a = 0; a < k; ++a)
        for (std::size_t b = 0; b < k; ++b)
            variance += g[a] * st.scaledCovariance[a][b] * g[b];
    return studentT95(st.degreesOfFreedom) * st.valueHalf * std::sqrt(std::max(0.0, variance));
}

} // namespace id
