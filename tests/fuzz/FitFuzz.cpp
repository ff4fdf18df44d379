// Least squares and correlation: a finite answer or a fault with a message; statistics finite
// or marked undefined.
#include "FuzzInput.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/AnalysisFault.h"

using namespace id;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::setUp();
    fuzz::FuzzInput in(data, size);
    const int degree = in.integer(1, 3);
    const int n = in.integer(0, 40);
    std::vector<double> x(static_cast<std::size_t>(n));
    std::vector<double> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        x[static_cast<std::size_t>(i)] = in.number();
        y[static_cast<std::size_t>(i)] = in.number();
    }
    LeastSquaresFitService service;
    try {
        const SpreadsheetFitService::PolynomialFit fit = service.fit(x, y, degree);
        FUZZ_CHECK(fit.coefficients.size() == static_cast<std::size_t>(degree + 1),
                   "wrong number of coefficients");
        for (double c : fit.coefficients)
            FUZZ_CHECK(std::isfinite(c), "a coefficient is not finite");
        FUZZ_CHECK(fit.fitted.size() == x.size(), "wrong number of fitted values");
        for (double f : fit.fitted)
            FUZZ_CHECK(std::isfinite(f), "a fitted value is not finite");
        FUZZ_CHECK(fit.statistics.has_value() == (n > degree + 1),
                   "statistics for an exact fit, or none beyond it");
        if (fit.statistics) {
            // A figure is a number or, where it overflows a double, marked undefined (NaN).
            const FitStatistics& st = *fit.statistics;
            FUZZ_CHECK(!std::isinf(st.residualSd), "an infinite residual SD");
            for (double e : st.standardErrors)
                FUZZ_CHECK(std::isnan(e) || (std::isfinite(e) && e >= 0),
                           "a standard error infinite or negative");
            // Undefined only where it is: one residual degree of freedom, or an exact fit.
            for (double r : st.studentized)
                FUZZ_CHECK(!std::isnan(r) || st.degreesOfFreedom < 2 || !(st.residualSd > 0) ||
                               st.residualSd <= 1e-9 * st.valueHalf,
                           "a studentized residual undefined with degrees of freedom to spare");
            if (st.degreesOfFreedom < 2)
                for (double r : st.studentized)
                    FUZZ_CHECK(std::isnan(r), "a studentized residual with no freedom to judge it");
            // Figures overflow only next to the largest doubles.
            double largest = 0;
            for (std::size_t i = 0; i < x.size(); ++i)
                largest = std::max({largest, std::abs(x[i]), std::abs(y[i])});
            FUZZ_CHECK(!std::isnan(st.residualSd) || largest > 1e100,
                       "a residual SD undefined for ordinary values");
        }
        try {
            const double r = service.correlation(y, fit.fitted);
            FUZZ_CHECK(r >= -1 && r <= 1, "a correlation outside [-1, 1]");
        } catch (const AnalysisFault& fault) {
            FUZZ_CHECK(!fault.message().isEmpty(), "a correlation fault without a message");
        }
    } catch (const AnalysisFault& fault) {
        FUZZ_CHECK(!fault.message().isEmpty(), "a fit fault without a message");
    }
    return 0;
}
