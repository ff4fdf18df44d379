#pragma once

#include <memory>
#include <vector>

namespace id {

// What least squares say about their own fit. Present only with more points than coefficients:
// an exact fit has no residual degrees of freedom. A figure that overflows a double is NaN.
struct FitStatistics {
    int points = 0;
    int degreesOfFreedom = 0;
    double residualSd = 0;
    double rSquared = 0;
    double adjustedRSquared = 0;
    // In LINEST order, highest power first, like the coefficients.
    std::vector<double> standardErrors;
    std::vector<std::vector<double>> covariance;
    // The same in the fit's own centred units: t = (x - rateCentre) / rateHalf, values over
    // valueHalf, powers of t from 0 up. Raw powers cancel far from zero rate.
    std::vector<std::vector<double>> scaledCovariance;
    double rateCentre = 0;
    double rateHalf = 1;
    double valueHalf = 0;
    std::vector<double> residuals;
    // Residuals over their standard deviation estimated without the point (externally
    // studentized): ±infinity where the other points fit exactly (unbounded), NaN with one
    // residual degree of freedom (undefined).
    std::vector<double> studentized;
};

// A trend's statistics, kept with it from the fit that made it and shared between copies of the
// analysis. They follow from the trend's points, so trends with equal points compare equal
// whatever this holds.
struct SharedFitStatistics {
    std::shared_ptr<const FitStatistics> value;

    const FitStatistics* get() const { return value.get(); }
    explicit operator bool() const { return value != nullptr; }
    bool operator==(const SharedFitStatistics&) const { return true; }
};

} // namespace id
