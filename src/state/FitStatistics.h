#pragma once

#include <memory>
#include <mutex>
#include <vector>

namespace id {

struct FitStatistics;

// A fit's per-point figures, residuals and externally studentized residuals, computed again from
// the fit's points when they are shown. An analysis keeps its trends' statistics in every undo
// step, so it keeps only what recomputes them (a few numbers a fit), not two arrays of its
// points: the same arithmetic on the same points gives the same figures to the last bit.
class PointFigures {
public:
    virtual ~PointFigures() = default;
    // Fills `residuals` and `studentized` of the statistics for the fit's points.
    virtual void compute(const std::vector<double>& rates, const std::vector<double>& pressures,
                         FitStatistics& statistics) const = 0;

    // The statistics whole, computed once while anybody holds them.
    std::shared_ptr<const FitStatistics> whole(const FitStatistics& slim,
                                               const std::vector<double>& rates,
                                               const std::vector<double>& pressures) const;

private:
    mutable std::mutex mutex_;
    mutable std::weak_ptr<const FitStatistics> held_;
};

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
    // Empty in a trend's kept statistics (see pointFigures): `wholeStatistics` gives them.
    std::vector<double> residuals;
    // Residuals over their standard deviation estimated without the point (externally
    // studentized): ±infinity where the other points fit exactly (unbounded), NaN with one
    // residual degree of freedom (undefined).
    std::vector<double> studentized;
    // How residuals and studentized follow from the points; null when only the arrays say it.
    std::shared_ptr<const PointFigures> pointFigures;
};

// A trend's statistics, kept with it from the fit that made it and shared between copies of the
// analysis. They follow from the trend's points, so trends with equal points compare equal
// whatever this holds.
struct SharedFitStatistics {
    std::shared_ptr<const FitStatistics> value;

    SharedFitStatistics() = default;
    // Kept without the per-point arrays where they can be computed again.
    explicit SharedFitStatistics(FitStatistics statistics);

    const FitStatistics* get() const { return value.get(); }
    explicit operator bool() const { return value != nullptr; }
    bool operator==(const SharedFitStatistics&) const { return true; }
};

// The statistics with their residuals and studentized residuals for these points (the trend's
// own): the kept ones where they hold them, else computed (once while the result is held).
std::shared_ptr<const FitStatistics> wholeStatistics(const SharedFitStatistics& statistics,
                                                     const std::vector<double>& rates,
                                                     const std::vector<double>& pressures);

} // namespace id
