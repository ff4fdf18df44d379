#pragma once

#include <Eigen/Dense>
#include <memory>
#include <optional>
#include <vector>

namespace id {

// Least-squares polynomials of one degree through the same x for many y (a bootstrap's
// resamples): the design is decomposed once, each y costs one pass. Gives the coefficients that
// LeastSquaresFitService gives for the same points.
class RepeatedPolynomialFit {
public:
    // None when no polynomial of the degree fits these x (too few distinct values, non-finite).
    static std::optional<RepeatedPolynomialFit> forRates(const std::vector<double>& x, int degree);

    // Coefficients highest power first; none for non-finite y or coefficients.
    std::optional<std::vector<double>> coefficients(const std::vector<double>& y) const;

private:
    RepeatedPolynomialFit() = default;

    double xCentre_ = 0;
    double xHalf_ = 1;
    std::shared_ptr<const Eigen::ColPivHouseholderQR<Eigen::MatrixXd>> qr_;
};

} // namespace id
