#include "analysis/ResultIntervals.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>

namespace id {

double studentT95(int degreesOfFreedom) {
    const boost::math::students_t distribution(degreesOfFreedom);
    return boost::math::quantile(distribution, 0.975);
}

ResultIntervals resultIntervals(const std::vector<double>& c,
                                const SpreadsheetFitService::FitStatistics& st) {
    ResultIntervals result;
    if (st.degreesOfFreedom < 1 || c.size() != st.standardErrors.size() || c.empty())
        return result;
    const double t = studentT95(st.degreesOfFreedom);
    const double constant = c.back();
    const double constantError = st.standardErrors.back();
    result.reservoirPressure = Interval{constant - t * constantError, constant + t * constantError};
    if (c.size() == 2) {
        // |1/slope| falls as |slope| grows: the slope's interval maps onto the coefficient's
        // when it keeps to one side of 0.
        const double low = c[0] - t * st.standardErrors[0];
        const double high = c[0] + t * st.standardErrors[0];
        if (low <= 0 && high >= 0) {
            result.productivityUndetermined = true;
        } else {
            const double a = 1 / std::abs(low);
            const double b = 1 / std::abs(high);
            result.productivity = Interval{std::min(a, b), std::max(a, b)};
        }
    }
    return result;
}

} // namespace id
