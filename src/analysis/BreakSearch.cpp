#include "analysis/BreakSearch.h"

#include "analysis/ResultIntervals.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/NumberText.h"

#include <Eigen/Dense>
#include <boost/math/distributions/fisher_f.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace id {

namespace {

using Exact = long double;

// Sums in extended precision for the fit shown (a side's spread is its sums' small difference);
// the bootstrap's thousand searches on standard noise do with doubles.
template <typename Real> struct Sums {
    Real n = 0, x = 0, y = 0, xx = 0, xy = 0, yy = 0;

    void add(Real px, Real py) {
        n += 1;
        x += px;
        y += py;
        xx += px * px;
        xy += px * py;
        yy += py * py;
    }
    Sums operator-(const Sums& o) const {
        return {n - o.n, x - o.x, y - o.y, xx - o.xx, xy - o.xy, yy - o.yy};
    }
};

template <typename Real> struct Line { Real intercept = 0, slope = 0, rss = 0; };

template <typename Real> std::optional<Line<Real>> lineOf(const Sums<Real>& s) {
    const Real sxx = s.xx - s.x * s.x / s.n;
    if (!(s.n >= 2) || !(sxx > 0))
        return std::nullopt;
    const Real sxy = s.xy - s.x * s.y / s.n;
    const Real syy = s.yy - s.y * s.y / s.n;
    const Real slope = sxy / sxx;
    return Line<Real>{(s.y - slope * s.x) / s.n, slope, std::max<Real>(0, syy - slope * sxy)};
}

template <typename Real> struct Joined {
    Real a = 0, b = 0, c = 0, psi = 0, rss = std::numeric_limits<Real>::infinity();
    // The variance factor of the fit's value at the break, a + b·ψ: x₀ᵀ(XᵀX)⁻¹x₀, x₀ = (1, ψ, 0).
    Real v = 0;
};

// The points sorted by rate, centred and scaled to unit spread, grouped by distinct rate, with
// the running sums at each group's end: any break's fit is then a few sums away.
template <typename Real> class SortedPoints {
public:
    SortedPoints(const std::vector<double>& rates, const std::vector<double>& pressures) {
        const std::size_t n = rates.size();
        std::vector<std::size_t> order(n);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t i, std::size_t j) { return rates[i] < rates[j]; });
        x.reserve(n);
        y.reserve(n);
        for (std::size_t i : order) {
            x.push_back(rates[i]);
            y.push_back(pressures[i]);
        }
        const auto spread = [n](const std::vector<double>& v, double& centre, double& scale) {
            centre = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(n);
            Real s = 0;
            for (double e : v)
                s += (e - centre) * (e - centre);
            scale = static_cast<double>(std::sqrt(s / static_cast<Real>(n)));
        };
        spread(x, xCentre, xScale);
        spread(y, yCentre, yScale);
        for (std::size_t i = 0; i < n; ++i)
            if (i == 0 || x[i] != x[i - 1])
                groupStart.push_back(i);
        groupStart.push_back(n);
    }

    // Sets the pressures (scaled) and makes the running sums.
    bool ready() const { return xScale > 0 && yScale > 0; }
    void sum(const std::vector<double>* scaledPressures = nullptr) {
        prefix.assign(1, Sums<Real>{});
        const std::size_t m = groupCount();
        for (std::size_t g = 0; g < m; ++g) {
            Sums<Real> s = prefix.back();
            for (std::size_t i = groupStart[g]; i < groupStart[g + 1]; ++i)
                s.add(X(i), scaledPressures ? (*scaledPressures)[i] : Y(i));
            prefix.push_back(s);
        }
    }
    std::size_t groupCount() const { return groupStart.size() - 1; }
    std::size_t size() const { return x.size(); }
    Real U(std::size_t g) const { return X(groupStart[g]); }
    Real X(std::size_t i) const { return (x[i] - xCentre) / xScale; }
    Real Y(std::size_t i) const { return (y[i] - yCentre) / yScale; }
    const Sums<Real>& total() const { return prefix.back(); }

    // The best joined fit with the break at psi, the groups from r on lying beyond it.
    Joined<Real> joinedAt(Real psi, std::size_t r) const {
        const Sums<Real>& all = total();
        const Sums<Real> right = all - prefix[r];
        const Real sz = right.x - psi * right.n;
        const Real szz = right.xx - 2 * psi * right.x + psi * psi * right.n;
        const Real sxz = right.xx - psi * right.x;
        const Real szy = right.xy - psi * right.y;
        // The symmetric 3×3 normal equations by Cramer's rule: the bootstrap solves millions.
        const Real m00 = all.n, m01 = all.x, m02 = sz, m11 = all.xx, m12 = sxz, m22 = szz;
        const Real v0 = all.y, v1 = all.xy, v2 = szy;
        const Real c00 = m11 * m22 - m12 * m12, c01 = m02 * m12 - m01 * m22,
                   c02 = m01 * m12 - m02 * m11;
        const Real det = m00 * c00 + m01 * c01 + m02 * c02;
        const Real c11 = m00 * m22 - m02 * m02, c12 = m01 * m02 - m00 * m12,
                   c22 = m00 * m11 - m01 * m01;
        const Real a = (c00 * v0 + c01 * v1 + c02 * v2) / det;
        const Real b = (c01 * v0 + c11 * v1 + c12 * v2) / det;
        const Real c = (c02 * v0 + c12 * v1 + c22 * v2) / det;
        Joined<Real> j{a,
                       b,
                       c,
                       psi,
                       std::max<Real>(0, all.yy - (a * v0 + b * v1 + c * v2)),
                       (c00 + 2 * psi * c01 + psi * psi * c11) / det};
        if (!std::isfinite(static_cast<double>(j.rss)))
            j.rss = std::numeric_limits<Real>::infinity();
        return j;
    }
    // The same for any break, its group found by halving.
    Joined<Real> joinedAt(Real psi) const {
        std::size_t lo = 0, hi = groupCount();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (U(mid) <= psi)
                lo = mid + 1;
            else
                hi = mid;
        }
        return joinedAt(psi, lo);
    }

    // The exact search over the admissible breaks: two distinct rates at least on each side.
    Joined<Real> search() const {
        const std::size_t m = groupCount();
        Joined<Real> best;
        for (std::size_t k = 1; k + 2 < m; ++k) {
            const Sums<Real> left = prefix[k + 1];
            const std::optional<Line<Real>> l = lineOf(left);
            const std::optional<Line<Real>> r = lineOf(total() - left);
            if (!l || !r || l->slope == r->slope)
                continue;
            const Real psi = (r->intercept - l->intercept) / (l->slope - r->slope);
            if (psi > U(k) && psi < U(k + 1) && l->rss + r->rss < best.rss)
                best = {l->intercept, l->slope, r->slope - l->slope, psi, l->rss + r->rss};
        }
        for (std::size_t j = 1; j + 1 < m; ++j) {
            const Joined<Real> at = joinedAt(U(j), j + 1);
            if (at.rss < best.rss)
                best = at;
        }
        return best;
    }

    std::vector<double> x, y;
    std::vector<std::size_t> groupStart;
    std::vector<Sums<Real>> prefix;
    double xCentre = 0, xScale = 0, yCentre = 0, yScale = 0;
};

// The straight line's residual sum of squares and the best break's, on the same points.
template <typename Real> std::pair<Real, Real> lineAndBreak(const SortedPoints<Real>& p) {
    const std::optional<Line<Real>> one = lineOf(p.total());
    return {one ? one->rss : std::numeric_limits<Real>::quiet_NaN(), p.search().rss};
}

} // namespace

BreakSearchResult findBreak(const std::vector<double>& rates,
                            const std::vector<double>& pressures) {
    const auto refused = [](const QString& why) { return BreakSearchResult{std::nullopt, why}; };
    SortedPoints<Exact> p(rates, pressures);
    const std::size_t m = p.groupCount();
    if (rates.empty() || m < 5)
        return refused(QStringLiteral("Для поиска излома нужно не меньше 5 замеров с различными "
                                      "дебитами, а их %1.")
                           .arg(rates.empty() ? 0 : m));
    if (!(p.yScale > 0))
        return refused(QStringLiteral("Все значения забойного давления одинаковы: излома нет."));
    p.sum();
    const Joined<Exact> best = p.search();
    if (!std::isfinite(static_cast<double>(best.rss)))
        return refused(QStringLiteral("Излом не найден: подбор не определён для этих точек."));
    // Points on one straight line have no break, wherever the search would put one.
    if (const std::optional<Line<Exact>> one = lineOf(p.total());
        one && one->rss <= p.total().n * 1e-24L)
        return refused(QStringLiteral("Точки лежат на одной прямой: излома нет."));
    // On the first or last admissible rate the best break wants fewer than two rates on a side:
    // only a line drawn on beyond the points could place it.
    if (best.psi == p.U(1) || best.psi == p.U(m - 2)) {
        const double at = p.xCentre + p.xScale * static_cast<double>(best.psi);
        return refused(QStringLiteral("Излом приходится на край замеров (Q = %1): по одну сторону "
                                      "от него меньше двух различных дебитов, и найти его можно "
                                      "только продолжив прямую за точки.")
                           .arg(formatGeneral(at)));
    }

    BreakFit fit;
    const double kx = p.xScale, ky = p.yScale;
    fit.breakRate = p.xCentre + kx * static_cast<double>(best.psi);
    fit.slope = static_cast<double>(ky * best.b / kx);
    fit.slopeChange = static_cast<double>(ky * best.c / kx);
    fit.intercept = static_cast<double>(p.yCentre + ky * (best.a - best.b * p.xCentre / kx));
    fit.rss = static_cast<double>(ky * ky * best.rss);
    const int n = static_cast<int>(rates.size());
    fit.points = n;
    const double tss =
        static_cast<double>(ky * ky * (p.total().yy - p.total().y * p.total().y / p.total().n));
    fit.rSquared = 1 - fit.rss / tss;
    fit.adjustedRSquared = n > 4 ? 1 - (1 - fit.rSquared) * (n - 1.0) / (n - 4) : fit.rSquared;

    // The four parameters' covariance from the joined fit's Jacobian, the rates taken from their
    // mean (far from zero rate the raw columns are nearly alike); the intercept's variance then
    // carried back to zero rate.
    if (n > 4) {
        Eigen::Matrix<Exact, 4, 4> information = Eigen::Matrix<Exact, 4, 4>::Zero();
        for (std::size_t i = 0; i < p.size(); ++i) {
            const Exact beyond = p.x[i] > fit.breakRate ? 1 : 0;
            const Eigen::Matrix<Exact, 4, 1> g(1, p.x[i] - p.xCentre,
                                               beyond * (p.x[i] - fit.breakRate),
                                               -fit.slopeChange * beyond);
            information += g * g.transpose();
        }
        Eigen::Matrix<Exact, 4, 4> covariance =
            information.inverse() * static_cast<Exact>(fit.rss / (n - 4));
        const Exact m = p.xCentre;
        covariance(0, 0) += m * m * covariance(1, 1) - 2 * m * covariance(0, 1);
        for (int j = 0; j < 4; ++j)
            fit.standardErrors[static_cast<std::size_t>(j)] =
                static_cast<double>(std::sqrt(std::max<Exact>(0, covariance(j, j))));
    }

    // The profile interval: outwards from ψ to where the best joined fit's RSS passes the bound.
    const double f = n > 4 ? boost::math::quantile(boost::math::fisher_f(1, n - 4), 0.95)
                           : std::numeric_limits<double>::infinity();
    const Exact bound = best.rss * (1 + f / (n - 4));
    // Inside a gap the profile may rise above the bound and fall again (where the slope change
    // passes zero): each gap is walked in small steps, not only at its ends.
    constexpr int StepsPerGap = 32;
    const auto edge = [&](int direction, bool& open) -> Exact {
        Exact inside = best.psi;
        // The distinct rates beyond ψ in that direction, within the admissible range.
        for (std::size_t j = direction < 0 ? m - 2 : 1; direction < 0 ? j >= 1 : j <= m - 2;
             j = direction < 0 ? j - 1 : j + 1) {
            const Exact u = p.U(j);
            if (direction < 0 ? !(u < best.psi) : !(u > best.psi))
                continue;
            const Exact from = inside;
            for (int k = 1; k <= StepsPerGap; ++k) {
                const Exact at = k == StepsPerGap ? u : from + (u - from) * k / StepsPerGap;
                if (p.joinedAt(at).rss > bound) {
                    Exact out = at;
                    for (int step = 0; step < 200; ++step) {
                        const Exact mid = (out + inside) / 2;
                        if (mid == out || mid == inside)
                            break;
                        (p.joinedAt(mid).rss > bound ? out : inside) = mid;
                    }
                    return inside;
                }
                inside = at;
            }
        }
        open = true;
        return inside;
    };
    fit.breakRateLow = p.xCentre + kx * static_cast<double>(edge(-1, fit.lowOpen));
    const Exact high = edge(1, fit.highOpen);
    fit.breakRateHigh = p.xCentre + kx * static_cast<double>(high);
    // The break pressure's interval: every break rate of the interval, each fit's pressure there
    // widened by what the bound leaves it.
    const Exact low = (fit.breakRateLow - p.xCentre) / kx;
    Exact lowest = std::numeric_limits<Exact>::infinity(), highest = -lowest;
    constexpr int PressureSteps = 400;
    for (int k = 0; k <= PressureSteps + 1; ++k) {
        const Exact psi = k > PressureSteps ? best.psi : low + (high - low) * k / PressureSteps;
        const Joined<Exact> at = p.joinedAt(psi);
        const Exact slack = bound - at.rss;
        if (!(slack >= 0))
            continue;
        const Exact half = std::sqrt(slack * std::max<Exact>(0, at.v));
        lowest = std::min(lowest, at.a + at.b * psi - half);
        highest = std::max(highest, at.a + at.b * psi + half);
    }
    fit.pressureLow = static_cast<double>(p.yCentre + ky * lowest);
    fit.pressureHigh = static_cast<double>(p.yCentre + ky * highest);
    return {fit, {}};
}

double breakRss(const std::vector<double>& rates, const std::vector<double>& pressures,
                double breakRate) {
    SortedPoints<Exact> p(rates, pressures);
    if (p.groupCount() < 5 || !p.ready())
        return std::numeric_limits<double>::quiet_NaN();
    p.sum();
    const Exact psi = (breakRate - p.xCentre) / p.xScale;
    if (psi < p.U(1) || psi > p.U(p.groupCount() - 2))
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(p.yScale * p.yScale * p.joinedAt(psi).rss);
}

BreakTest breakSignificance(const std::vector<double>& rates,
                            const std::vector<double>& pressures) {
    BreakTest test;
    // Beyond the bound, every k-th point of the sorted rates, and the first of each rate while
    // the rates are few, so that none drops out: the test is made on those.
    std::vector<double> q = rates, p = pressures;
    if (rates.size() > static_cast<std::size_t>(MostBreakBootstrapPoints)) {
        const SortedPoints<Exact> all(rates, pressures);
        q.clear();
        p.clear();
        const bool fewRates =
            all.groupCount() <= static_cast<std::size_t>(MostBreakBootstrapPoints);
        const double step = static_cast<double>(rates.size()) / MostBreakBootstrapPoints;
        double next = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const bool firstOfRate = i == 0 || all.x[i] != all.x[i - 1];
            if (static_cast<double>(i) >= next || (fewRates && firstOfRate)) {
                q.push_back(all.x[i]);
                p.push_back(all.y[i]);
            }
            if (static_cast<double>(i) >= next)
                next += step;
        }
        test.subsampled = true;
    }
    SortedPoints<double> points(q, p);
    test.points = static_cast<int>(q.size());
    if (points.groupCount() < 5 || !points.ready())
        return test;
    points.sum();
    const double n = static_cast<double>(q.size());
    const auto ratio = [&] {
        const auto [line, broken] = lineAndBreak(points);
        return n * std::log(line / std::max(broken, 1e-300));
    };
    test.likelihoodRatio = ratio();
    // The ratio does not depend on the straight line's own level, slope or spread: the draws
    // are standard normal noise.
    std::mt19937_64 random(20261207);
    std::normal_distribution<double> noise;
    std::vector<double> drawn(q.size());
    int asLarge = 0;
    for (int d = 0; d < BreakBootstrapDraws; ++d) {
        for (double& e : drawn)
            e = noise(random);
        points.sum(&drawn);
        if (ratio() >= test.likelihoodRatio)
            ++asLarge;
    }
    test.draws = BreakBootstrapDraws;
    test.pValue = (1.0 + asLarge) / (1.0 + BreakBootstrapDraws);
    return test;
}

bool curvesBeforeBreak(const std::vector<double>& rates, const std::vector<double>& pressures,
                       const BreakFit& fit) {
    std::vector<double> q, p;
    for (std::size_t i = 0; i < rates.size(); ++i)
        if (rates[i] <= fit.breakRate) {
            q.push_back(rates[i]);
            p.push_back(pressures[i]);
        }
    std::vector<double> distinct = q;
    std::sort(distinct.begin(), distinct.end());
    if (std::unique(distinct.begin(), distinct.end()) - distinct.begin() < 3 || q.size() < 4)
        return false;
    const auto quadratic = LeastSquaresFitService().fit(q, p, 2);
    if (!quadratic.statistics || quadratic.statistics->degreesOfFreedom < 1)
        return false;
    const double c2 = quadratic.coefficients[0];
    const double se = quadratic.statistics->standardErrors[0];
    return se > 0 && std::abs(c2 / se) > studentT95(quadratic.statistics->degreesOfFreedom) &&
           (c2 > 0) == (fit.slopeChange > 0);
}

BreakRecord breakRecord(const std::vector<double>& rates, const std::vector<double>& pressures,
                        const BreakFit& fit) {
    return {fit, breakSignificance(rates, pressures), curvesBeforeBreak(rates, pressures, fit)};
}

} // namespace id
