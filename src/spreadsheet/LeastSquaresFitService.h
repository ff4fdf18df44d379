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

} // namespace id
