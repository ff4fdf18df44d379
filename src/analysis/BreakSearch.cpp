#include "analysis/BreakSearch.h"

#include "analysis/ResultIntervals.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/NumberText.h"

#include <Eigen/Dense>
#include <boost/math/distributions/fisher_f.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace id {

namespace {

// F(0,95; 1, m), computed once per m below 1024 (0 marks one not yet computed): a field's wells
// of a few regimes ask for the same few.
double fisherF95(int m) {
    static std::array<std::atomic<double>, 1024> known{};
    const bool kept = m > 0 && m < static_cast<int>(known.size());
    if (kept)
        if (const double f = known[static_cast<std::size_t>(m)].load(std::memory_order_relaxed);
            f != 0)
            return f;
    const double f = boost::math::quantile(boost::math::fisher_f(1, m), 0.95);
    if (kept)
        known[static_cast<std::size_t>(m)].store(f, std::memory_order_relaxed);
    return f;
}

using Exact = long double;

// A rate this close to the break, in units of the rates' spread, stands on it: rounding of the
// scaled break must not move a point to the other line.
constexpr double OnTheBreak = 1e-9;

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
        this->order = order;
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

    // The best joined fit with the break at psi, the groups from r on lying beyond it. Written as
    // y = α + βL·(x − ψ)₋ + βR·(x − ψ)₊, whose two slope columns never overlap: the usual
    // columns 1, x, (x − ψ)₊ are nearly alike when few points lie on one side.
    Joined<Real> joinedAt(Real psi, std::size_t r) const {
        const Sums<Real>& all = total();
        const Sums<Real>& left = prefix[r];
        const Sums<Real> right = all - left;
        const auto side = [psi](const Sums<Real>& s, Real& st, Real& stt, Real& sty) {
            st = s.x - psi * s.n;
            stt = std::max<Real>(0, s.xx - 2 * psi * s.x + psi * psi * s.n);
            sty = s.xy - psi * s.y;
        };
        Real stL, sttL, styL, stR, sttR, styR;
        side(left, stL, sttL, styL);
        side(right, stR, sttR, styR);
        Joined<Real> j;
        j.psi = psi;
        if (!(sttL > 0) || !(sttR > 0))
            return j;
        // The 3×3 normal equations by the Schur complement of the diagonal slope block.
        const Real schur = all.n - stL * stL / sttL - stR * stR / sttR;
        if (!(schur > 0))
            return j;
        const Real alpha = (all.y - stL * styL / sttL - stR * styR / sttR) / schur;
        const Real betaL = (styL - alpha * stL) / sttL;
        const Real betaR = (styR - alpha * stR) / sttR;
        j.a = alpha - betaL * psi;
        j.b = betaL;
        j.c = betaR - betaL;
        j.rss = std::max<Real>(0, all.yy - (alpha * all.y + betaL * styL + betaR * styR));
        j.v = 1 / schur;
        if (!std::isfinite(static_cast<double>(j.rss)))
            j.rss = std::numeric_limits<Real>::infinity();
        return j;
    }
    // The same for any break, its group (the count of distinct rates at or below psi) found from
    // a guess near it: the walks of the profile move a little at a time.
    Joined<Real> joinedNear(Real psi, std::size_t& guess) const {
        const std::size_t m = groupCount();
        guess = std::min(guess, m);
        while (guess < m && U(guess) <= psi)
            ++guess;
        while (guess > 0 && !(U(guess - 1) <= psi))
            --guess;
        return joinedAt(psi, guess);
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
    // The input index of each sorted point.
    std::vector<std::size_t> order;
    std::vector<std::size_t> groupStart;
    std::vector<Sums<Real>> prefix;
    double xCentre = 0, xScale = 0, yCentre = 0, yScale = 0;
};

// The residual sum of squares of the joined fit at ψ, summed from its residuals.
template <typename Real> Real directRss(const SortedPoints<Real>& p, Real psi) {
    const Joined<Real> j = p.joinedAt(psi);
    Real rss = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Real r = p.Y(i) - (j.a + j.b * p.X(i) + j.c * std::max<Real>(0, p.X(i) - psi));
        rss += r * r;
    }
    return rss;
}

// The likelihood ratio of the best break against one straight line; zero where the search would
// refuse the break for lying on the first or last admissible rate, as it refuses the data's.
template <typename Real> Real likelihoodRatio(const SortedPoints<Real>& p, bool direct) {
    const std::optional<Line<Real>> one = lineOf(p.total());
    const Joined<Real> best = p.search();
    const std::size_t m = p.groupCount();
    if (!one || !std::isfinite(static_cast<double>(best.rss)) || best.psi == p.U(1) ||
        best.psi == p.U(m - 2))
        return 0;
    Real line = one->rss, broken = best.rss;
    if (direct) {
        line = 0;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const Real r = p.Y(i) - (one->intercept + one->slope * p.X(i));
            line += r * r;
        }
        broken = directRss(p, best.psi);
    }
    return static_cast<Real>(p.size()) * std::log(line / std::max<Real>(broken, 1e-300));
}

// The joined fit at the break found, every figure from the points themselves: the residuals
// summed directly, the four parameters' covariance from a QR of the Jacobian in the form
// α + βL·(x − ψ)₋ + βR·(x − ψ)₊ (scaled units, extended precision) carried to a, b, c and ψ, and
// the map that gives any point's leverage from the same QR.
void setJoinedFit(BreakFit& fit, const SortedPoints<Exact>& p, Exact psi) {
    using Matrix = Eigen::Matrix<Exact, Eigen::Dynamic, Eigen::Dynamic>;
    const Joined<Exact> j = p.joinedAt(psi);
    const std::size_t n = p.size();
    const Exact kx = p.xScale, ky = p.yScale, xc = p.xCentre;
    std::vector<Exact> residual(n);
    Exact rss = 0, mean = 0, tss = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Exact x = p.X(i);
        residual[i] = p.Y(i) - (j.a + j.b * x + j.c * std::max<Exact>(0, x - psi));
        rss += residual[i] * residual[i];
        mean += p.Y(i);
    }
    mean /= static_cast<Exact>(n);
    for (std::size_t i = 0; i < n; ++i)
        tss += (p.Y(i) - mean) * (p.Y(i) - mean);
    fit.breakRate = static_cast<double>(xc + kx * psi);
    fit.slope = static_cast<double>(ky * j.b / kx);
    fit.slopeChange = static_cast<double>(ky * j.c / kx);
    fit.intercept = static_cast<double>(p.yCentre + ky * (j.a - j.b * xc / kx));
    fit.rss = static_cast<double>(ky * ky * rss);
    fit.rSquared = static_cast<double>(1 - rss / tss);
    const int points = static_cast<int>(n);
    fit.adjustedRSquared =
        points > 4 ? 1 - (1 - fit.rSquared) * (points - 1.0) / (points - 4) : fit.rSquared;
    if (points <= 4)
        return;

    const Exact betaL = j.b, betaR = j.b + j.c;
    Matrix jacobian(static_cast<Eigen::Index>(n), 4);
    for (std::size_t i = 0; i < n; ++i) {
        const Exact t = p.X(i) - psi;
        const Eigen::Index row = static_cast<Eigen::Index>(i);
        jacobian(row, 0) = 1;
        jacobian(row, 1) = std::min<Exact>(t, 0);
        jacobian(row, 2) = std::max<Exact>(t, 0);
        // At the break itself the point counts with the line before it, as (x − ψ)₊ does.
        jacobian(row, 3) = -(t > OnTheBreak ? betaR : betaL);
    }
    const Eigen::HouseholderQR<Matrix> qr(jacobian);
    const Matrix r = qr.matrixQR().topRows(4).template triangularView<Eigen::Upper>();
    const Matrix rInverse = r.inverse();
    const Exact variance = rss / (points - 4);
    const Matrix covariance = rInverse * rInverse.transpose() * variance;
    // a = α − βL·ψ, b = βL, c = βR − βL, then to the points' own units.
    Matrix toAbc(4, 4);
    toAbc << 1, -psi, 0, -betaL, 0, 1, 0, 0, 0, -1, 1, 0, 0, 0, 0, 1;
    Matrix toUnits(4, 4);
    toUnits << ky, -ky * xc / kx, 0, 0, 0, ky / kx, 0, 0, 0, 0, ky / kx, 0, 0, 0, 0, kx;
    const Matrix g = toUnits * toAbc;
    const Matrix carried = g * covariance * g.transpose();
    for (int k = 0; k < 4; ++k)
        fit.standardErrors[static_cast<std::size_t>(k)] =
            static_cast<double>(std::sqrt(std::max<Exact>(0, carried(k, k))));
    const Matrix map = rInverse.transpose();
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b)
            fit.leverageMap[static_cast<std::size_t>(4 * a + b)] = static_cast<double>(map(a, b));
    fit.rateCentre = p.xCentre;
    fit.rateScale = p.xScale;
    fit.scaledBreak = static_cast<double>(psi);
    fit.scaledSlopeBefore = static_cast<double>(betaL);
    fit.scaledSlopeAfter = static_cast<double>(betaR);
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
    const int n = static_cast<int>(rates.size());
    fit.points = n;
    setJoinedFit(fit, p, best.psi);
    const double kx = p.xScale, ky = p.yScale;

    // The profile interval: outwards from ψ to where the best joined fit's RSS passes the bound.
    const double f = n > 4 ? fisherF95(n - 4) : std::numeric_limits<double>::infinity();
    // The bound from the same sums as the profile it is held against, so that the best break
    // itself always lies within it.
    const Joined<Exact> atBest = p.joinedAt(best.psi);
    const Exact bound = atBest.rss * (1 + f / (n - 4));
    // Inside a gap the profile may rise above the bound and fall again (where the slope change
    // passes zero): each gap is walked in small steps, not only at its ends.
    constexpr int StepsPerGap = 32;
    const auto edge = [&](int direction, bool& open) -> Exact {
        Exact inside = best.psi;
        std::size_t group = 0;
        p.joinedNear(inside, group);
        // The distinct rates beyond ψ in that direction, within the admissible range.
        for (std::size_t j = direction < 0 ? m - 2 : 1; direction < 0 ? j >= 1 : j <= m - 2;
             j = direction < 0 ? j - 1 : j + 1) {
            const Exact u = p.U(j);
            if (direction < 0 ? !(u < best.psi) : !(u > best.psi))
                continue;
            const Exact from = inside;
            for (int k = 1; k <= StepsPerGap; ++k) {
                const Exact at = k == StepsPerGap ? u : from + (u - from) * k / StepsPerGap;
                if (p.joinedNear(at, group).rss > bound) {
                    Exact out = at;
                    for (int step = 0; step < 200; ++step) {
                        const Exact mid = (out + inside) / 2;
                        if (mid == out || mid == inside)
                            break;
                        (p.joinedNear(mid, group).rss > bound ? out : inside) = mid;
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
    if (!(lowest <= highest))
        lowest = highest = atBest.a + atBest.b * best.psi;
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
    // The data's own statistic in extended precision from the residuals; the draws' in doubles.
    SortedPoints<Exact> exact(q, p);
    exact.sum();
    test.likelihoodRatio = static_cast<double>(likelihoodRatio(exact, true));
    // The ratio does not depend on the straight line's own level, slope or spread: the draws
    // are standard normal noise.
    std::mt19937_64 random(20261207);
    std::normal_distribution<double> noise;
    std::vector<double> drawn(q.size());
    // The draws stop once the p value's side of 0,05 is settled whatever the rest would give:
    // at the count of draws as large that puts p = (1 + count) / (1 + all draws) at 0,05 or
    // above (Besag and Clifford's sequential test). The verdict is the full run's; p is then
    // (1 + count) / (1 + draws made), with its Monte Carlo error stated.
    int asLarge = 0;
    int made = 0;
    while (made < BreakBootstrapDraws && asLarge < BreakSettledAsLarge) {
        for (double& e : drawn)
            e = noise(random);
        points.sum(&drawn);
        if (likelihoodRatio(points, false) >= test.likelihoodRatio)
            ++asLarge;
        ++made;
    }
    test.draws = made;
    test.pValue = (1.0 + asLarge) / (1.0 + made);
    return test;
}

double breakStudentized(const BreakFit& fit, double rate, double pressure) {
    const double t = (rate - fit.rateCentre) / fit.rateScale - fit.scaledBreak;
    const double g[4] = {1, std::min(t, 0.0), std::max(t, 0.0),
                         -(t > OnTheBreak ? fit.scaledSlopeAfter : fit.scaledSlopeBefore)};
    double h = 0;
    for (int a = 0; a < 4; ++a) {
        double row = 0;
        for (int b = 0; b < 4; ++b)
            row += fit.leverageMap[static_cast<std::size_t>(4 * a + b)] * g[b];
        h += row * row;
    }
    const int dof = fit.points - 4;
    if (dof < 1)
        return std::numeric_limits<double>::quiet_NaN();
    const double spread = std::sqrt(fit.rss / dof * std::max(0.0, 1 - h));
    return externallyStudentized(pressure - fit.pressureAt(rate), spread, dof);
}

double breakMonteCarloError(const BreakTest& test) {
    if (test.draws <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    return 3 * std::sqrt(test.pValue * (1 - test.pValue) / test.draws);
}

QString breakSignificanceText(const BreakTest& test) {
    if (test.draws == 0)
        return QStringLiteral("не определена");
    const double floor = 1.0 / (1.0 + test.draws);
    if (test.pValue <= floor)
        return QStringLiteral("p < ") + formatFixed(floor, 3);
    if (test.pValue < 0.05)
        return QStringLiteral("p = ") + formatFixed(test.pValue, 3);
    // Stopped early: p is a Monte Carlo estimate of fewer draws, said with its error.
    const QString error = test.draws < BreakBootstrapDraws
                              ? QStringLiteral(" ± %1 (%2 выборок)")
                                    .arg(formatFixed(breakMonteCarloError(test), 2))
                                    .arg(test.draws)
                              : QString();
    return QStringLiteral("p = ") + formatFixed(test.pValue, 2) + error +
           QStringLiteral(" — излом не значим");
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
