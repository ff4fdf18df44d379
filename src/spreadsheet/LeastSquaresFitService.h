#pragma once

#include "spreadsheet/SpreadsheetFitService.h"

namespace id {

// Our own least-squares solver: a QR decomposition of the design matrix with the known x
// values scaled to unit size, so rates of thousands cubed keep their digits.
class LeastSquaresFitService : public SpreadsheetFitService {
public:
    PolynomialFit fit(const std::vector<double>& x, const std::vector<double>& y, int degree,
                      bool withStatistics = true) override;
    double correlation(const std::vector<double>& a, const std::vector<double>& b) override;
};

// A residual (spread: its standard deviation at the fit's variance) against the spread of the
// other points, which an outlier cannot inflate (the internal form never exceeds the root of the
// degrees of freedom). Undefined with one residual degree of freedom; unbounded where the others
// leave no spread at all.
double externallyStudentized(double residual, double spread, int degreesOfFreedom);

} // namespace id
