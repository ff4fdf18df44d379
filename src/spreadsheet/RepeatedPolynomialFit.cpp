#include "spreadsheet/RepeatedPolynomialFit.h"

#include "spreadsheet/ScaledPolynomial.h"

namespace id {

std::optional<RepeatedPolynomialFit> RepeatedPolynomialFit::forRates(const std::vector<double>& x,
                                                                     int degree) {
    const int count = degree + 1;
    if (degree < 1 || degree > 3 || static_cast<int>(x.size()) < count ||
        !std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
        return std::nullopt;
    const scaled::Span span = scaled::spanOf(x);
    if (!(span.half > 0))
        return std::nullopt;
    Eigen::MatrixXd design(static_cast<Eigen::Index>(x.size()), count);
    for (Eigen::Index i = 0; i < design.rows(); ++i) {
        const double t = (x[static_cast<std::size_t>(i)] - span.centre) / span.half;
        double power = 1;
        for (int k = 0; k < count; ++k) {
            design(i, k) = power;
            power *= t;
        }
    }
    auto qr = std::make_shared<Eigen::ColPivHouseholderQR<Eigen::MatrixXd>>();
    qr->setThreshold(scaled::RankThreshold);
    qr->compute(design);
    if (qr->rank() < count)
        return std::nullopt;
    RepeatedPolynomialFit fit;
    fit.xCentre_ = span.centre;
    fit.xHalf_ = span.half;
    fit.qr_ = std::move(qr);
    return fit;
}

std::optional<std::vector<double>>
RepeatedPolynomialFit::coefficients(const std::vector<double>& y) const {
    const auto n = static_cast<std::size_t>(qr_->rows());
    if (y.size() != n ||
        !std::all_of(y.begin(), y.end(), [](double v) { return std::isfinite(v); }))
        return std::nullopt;
    const scaled::Span ySpan = scaled::spanOf(y);
    const auto count = static_cast<std::size_t>(qr_->cols());
    if (ySpan.half == 0) {
        std::vector<double> flat(count, 0.0);
        flat.back() = y.front();
        return flat;
    }
    Eigen::VectorXd rhs(static_cast<Eigen::Index>(n));
    for (std::size_t i = 0; i < n; ++i)
        rhs(static_cast<Eigen::Index>(i)) = (y[i] - ySpan.centre) / ySpan.half;
    Eigen::VectorXd b = qr_->solve(rhs);
    scaled::dropNegligibleTerms(b);
    std::vector<double> raw = scaled::rawCoefficients(b, {xCentre_, xHalf_}, ySpan);
    if (!std::all_of(raw.begin(), raw.end(), [](double v) { return std::isfinite(v); }))
        return std::nullopt;
    return raw;
}

} // namespace id
