#pragma once

#include <optional>
#include <vector>

namespace id {

// Least-squares polynomials and correlation for the trend fits and the allowed-pressure search.
// Each call is self-contained. A call that cannot give a meaningful result (too few distinct
// points, non-finite input, a constant column) throws AnalysisFault with a message for the user.
class SpreadsheetFitService {
public:
    virtual ~SpreadsheetFitService() = default;

    // What the least squares say about their own fit. Present only with more points than
    // coefficients: an exact fit has no residual degrees of freedom.
    struct FitStatistics {
        int points = 0;
        int degreesOfFreedom = 0;
        double residualSd = 0;
        double rSquared = 0;
        double adjustedRSquared = 0;
        // In LINEST order, highest power first, like the coefficients.
        std::vector<double> standardErrors;
        std::vector<std::vector<double>> covariance;
        // The same in the fit's own centred units: t = (x - rateCentre) / rateHalf, values
        // over valueHalf, powers of t from 0 up. Raw powers cancel far from zero rate.
        std::vector<std::vector<double>> scaledCovariance;
        double rateCentre = 0;
        double rateHalf = 1;
        double valueHalf = 0;
        std::vector<double> residuals;
        // Residuals over their standard deviation estimated without the point (externally
        // studentized).
        std::vector<double> studentized;
    };
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
