#include "analysis/ResultIntervals.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>

namespace id {

double studentT95(int degreesOfFreedom) {
    // A field's wells mostly have a few regimes: their quantiles are computed once per degrees of
    // freedom (0 marks one not yet computed; every thread computes the same value).
    static std::array<std::atomic<double>, 1024> known{};
    const bool kept = degreesOfFreedom > 0 && degreesOfFreedom < static_cast<int>(known.size());
    if (kept)
        if (const double t =
                known[static_cast<std::size_t>(degreesOfFreedom)].load(std::memory_order_relaxed);
            t != 0)
            return t;
    const boost::math::students_t distribution(degreesOfFreedom);
    const double t = boost::math::quantile(distribution, 0.975);
    if (kept)
        known[static_cast<std::size_t>(degreesOfFreedom)].store(t, std::memory_order_relaxed);
    return t;
}

ResultIntervals resultIntervals(const std::vector<double>& c,
                                const SpreadsheetFitService::FitStatistics& st, int wellType) {
    ResultIntervals result;
    if (st.degreesOfFreedom < 1 || c.size() != st.standardErrors.size() || c.empty())
        return result;
    const double t = studentT95(st.degreesOfFreedom);
    const double constant = c.back();
    const double constantError = st.standardErrors.back();
    result.reservoirPressure = Interval{constant - t * constantError, constant + t * constantError};
    if (c.size() == 2) {
        // The coefficient (−1/slope for a producing well, 1/slope for an injection well) is
        // monotone in the slope on each side of 0: the slope's interval maps onto it when it
        // keeps to one side, whatever the coefficient's sign.
        const double low = c[0] - t * st.standardErrors[0];
        const double high = c[0] + t * st.standardErrors[0];
        if (low <= 0 && high >= 0) {
            result.productivityUndetermined = true;
        } else {
            const double sign = wellType == InjectionWell ? 1 : -1;
            const double a = sign / low;
            const double b = sign / high;
            result.productivity = Interval{std::min(a, b), std::max(a, b)};
        }
    }
    return result;
}

} // namespace id
