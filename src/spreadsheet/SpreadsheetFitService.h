#pragma once

#include <vector>

namespace id {

// Least-squares polynomials and correlation for the trend fits and the allowed-pressure search.
// Each call is self-contained. A call that cannot give a meaningful result (too few distinct
// points, non-finite input, a constant column) throws AnalysisFault with a message for the user.
class SpreadsheetFitService {
public:
    virtual ~SpreadsheetFitService() = default;

    // Coefficients of y = sum c_k x^(degree + 1 - k), k = 1 .. degree + 1, with a free constant
    // term, highest power first (LINEST order). degree is 1, 2 or 3.
    virtual std::vector<double> fitPolynomial(const std::vector<double>& x,
                                              const std::vector<double>& y, int degree) = 0;

    // Pearson's correlation coefficient of two equally long columns.
    virtual double correlation(const std::vector<double>& a, const std::vector<double>& b) = 0;
};

} // namespace id
