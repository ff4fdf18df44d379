#pragma once

#include "state/FitStatistics.h"

#include <optional>
#include <vector>

namespace id {

// Least-squares polynomials and correlation for the trend fits and the allowed-pressure search.
// Each call is self-contained. A call that cannot give a meaningful result (too few distinct
// points, non-finite input, a constant column) throws AnalysisFault with a message for the user.
class SpreadsheetFitService {
public:
    virtual ~SpreadsheetFitService() = default;

    using FitStatistics = id::FitStatistics;
    struct PolynomialFit {
        // Coefficients of y = sum c_k x^(degree + 1 - k), k = 1 .. degree + 1, highest power
        // first (LINEST order).
        std::vector<double> coefficients;
        // The fitted values at the given x. Computed from the fit itself: the raw coefficients
        // evaluated at rates far from zero would cancel away the digits that tell them apart.
        std::vector<double> fitted;
        std::optional<FitStatistics> statistics;
    };

    // The least-squares polynomial of degree 1, 2 or 3 with a free constant term.
    // The statistics cost a pass over the points; a caller that needs only the coefficients
    // goes without.
    virtual PolynomialFit fit(const std::vector<double>& x, const std::vector<double>& y,
                              int degree, bool withStatistics = true) = 0;

    std::vector<double> fitPolynomial(const std::vector<double>& x, const std::vector<double>& y,
                                      int degree) {
        return fit(x, y, degree, false).coefficients;
    }

    // Pearson's correlation coefficient of two equally long columns.
    virtual double correlation(const std::vector<double>& a, const std::vector<double>& b) = 0;
};

} // namespace id
