#pragma once

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <vector>

namespace id::scaled {

// The fits work on values centred and scaled to [-1, 1]: these are the pieces shared by every
// fit of that kind.

// Midpoint and half-width of the values' span, computed so that neither can overflow.
struct Span {
    double centre;
    double half;
};

inline Span spanOf(const std::vector<double>& values) {
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    return {*lo / 2 + *hi / 2, *hi / 2 - *lo / 2};
}

inline double binomial(int n, int k) {
    double result = 1;
    for (int i = 1; i <= k; ++i)
        result = result * (n - k + i) / i;
    return result;
}

// Back to powers of the raw rate, highest first: with u = 1 / half and v = -centre / half,
// t = u x + v and t^k = sum_j C(k, j) u^j v^(k - j) x^j. The coefficients come out to the last
// digits; evaluating them at rates far from zero still cancels (which is why fitted values are
// computed in the centred form).
inline std::vector<double> rawCoefficients(const Eigen::VectorXd& b, Span x, Span y) {
    const int count = static_cast<int>(b.size());
    std::vector<double> result(static_cast<std::size_t>(count));
    const long double u = 1.0L / x.half;
    const long double v = -static_cast<long double>(x.centre) / x.half;
    for (int j = 0; j < count; ++j) {
        long double sum = 0;
        for (int k = j; k < count; ++k)
            sum += static_cast<long double>(b(k)) * binomial(k, j) *
                   std::pow(u, static_cast<long double>(j)) *
                   std::pow(v, static_cast<long double>(k - j));
        long double value = sum * y.half;
        if (j == 0)
            value += y.centre;
        result[static_cast<std::size_t>(count - 1 - j)] = static_cast<double>(value);
    }
    return result;
}

// Fitted terms whose whole contribution over the data is below this share of the value range
// are rounding noise: they are made exactly zero, so a flat trend has slope 0, not 1e-17.
constexpr double NegligibleTerm = 1e-12;

inline void dropNegligibleTerms(Eigen::VectorXd& b) {
    for (Eigen::Index k = 1; k < b.size(); ++k)
        if (std::abs(b(k)) <= NegligibleTerm)
            b(k) = 0;
}

// Pivots below this share of the largest count as zero: nearly coincident rates must not turn
// into huge coefficients.
constexpr double RankThreshold = 1e-12;

} // namespace id::scaled
