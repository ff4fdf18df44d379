#include "analysis/BreakSearch.h"

#include "analysis/BreakSortedPoints.h"
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
#include <optional>

namespace id {

using namespace breaksearch;

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

// The joined fit's line and figures from its residuals summed directly; its RSS in scaled units.
Exact setJoinedFigures(BreakFit& fit, const SortedPoints<Exact>& p, const Joined<Exact>& j,
                       Exact psi) {
    const std::size_t n = p.size();
    const Exact kx = p.xScale, ky = p.yScale, xc = p.xCentre;
    Exact rss = 0, mean = 0, tss = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Exact x = p.X(i);
        const Exact residual = p.Y(i) - (j.a + j.b * x + j.c * std::max<Exact>(0, x - psi));
        rss += residual * residual;
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
    return rss;
}

// The covariance and the leverage map of the joined fit with its RSS in scaled units.
void setJoinedCovariance(BreakFit& fit, const SortedPoints<Exact>& p, const Joined<Exact>& j,
                         Exact psi, Exact rss) {
    using Matrix = Eigen::Matrix<Exact, Eigen::Dynamic, Eigen::Dynamic>;
    const std::size_t n = p.size();
    const Exact kx = p.xScale, ky = p.yScale, xc = p.xCentre;
    const int points = static_cast<int>(n);
    const Exact betaL = j.b, betaR = j.b + j.c;
    // The Jacobian's R by QR a block of rows at a time, each block stacked under the R so far:
    // the same R (up to the rows' signs, which no figure below depends on) without the n × 4
    // matrix.
    constexpr Eigen::Index Block = 512;
    Matrix stack(4 + Block, 4);
    Matrix r = Matrix::Zero(4, 4);
    for (std::size_t from = 0; from < n; from += Block) {
        const Eigen::Index rows = static_cast<Eigen::Index>(std::min<std::size_t>(Block, n - from));
        stack.topRows(4) = r;
        for (Eigen::Index k = 0; k < rows; ++k) {
            const Exact t = p.X(from + static_cast<std::size_t>(k)) - psi;
            // At the break itself the point counts with the line before it, as (x − ψ)₊ does.
            stack.row(4 + k) << 1, std::min<Exact>(t, 0), std::max<Exact>(t, 0),
                -(t > OnTheBreak ? betaR : betaL);
        }
        const Eigen::HouseholderQR<Matrix> qr(stack.topRows(4 + rows));
        r = qr.matrixQR().topRows(4).template triangularView<Eigen::Upper>();
    }
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

// The joined fit at the break found, every figure from the points themselves: the residuals
// summed directly, the four parameters' covariance from a QR of the Jacobian in the form
// α + βL·(x − ψ)₋ + βR·(x − ψ)₊ (scaled units, extended precision) carried to a, b, c and ψ, and
// the map that gives any point's leverage from the same QR.
void setJoinedFit(BreakFit& fit, const SortedPoints<Exact>& p, Exact psi) {
    const Joined<Exact> j = p.joinedAt(psi);
    const Exact rss = setJoinedFigures(fit, p, j, psi);
    if (static_cast<int>(p.size()) <= 4)
        return;
    setJoinedCovariance(fit, p, j, psi, rss);
}

// The best break of the points, their sums made; why there is none when it is refused.
QString searchBreak(const std::vector<double>& rates, SortedPoints<Exact>& p, Joined<Exact>& best) {
    const std::size_t m = p.groupCount();
    if (rates.empty() || m < 5)
        return QStringLiteral("Для поиска излома нужно не меньше 5 замеров с различными "
                              "дебитами, а их %1.")
            .arg(rates.empty() ? 0 : m);
    if (!(p.yScale > 0))
        return QStringLiteral("Все значения забойного давления одинаковы: излома нет.");
    p.sum();
    best = p.search();
    if (!std::isfinite(static_cast<double>(best.rss)))
        return QStringLiteral("Излом не найден: подбор не определён для этих точек.");
    // Points on one straight line have no break, wherever the search would put one.
    if (const std::optional<Line<Exact>> one = lineOf(p.total());
        one && one->rss <= p.total().n * 1e-24L)
        return QStringLiteral("Точки лежат на одной прямой: излома нет.");
    // On the first or last admissible rate the best break wants fewer than two rates on a side:
    // only a line drawn on beyond the points could place it.
    if (best.psi == p.U(1) || best.psi == p.U(m - 2)) {
        const double at = p.xCentre + p.xScale * static_cast<double>(best.psi);
        return QStringLiteral("Излом приходится на край замеров (Q = %1): по одну сторону "
                              "от него меньше двух различных дебитов, и найти его можно "
                              "только продолжив прямую за точки.")
            .arg(formatGeneral(at));
    }
    return {};
}

// A side's least-squares line with what the profile needs of it, two divisions in all.
struct SideLine {
    Exact inverseN, mean, inverseSpread, slope, intercept, rss;
};
std::optional<SideLine> sideLine(const Sums<Exact>& s) {
    if (!(s.n >= 2))
        return std::nullopt;
    SideLine l{};
    l.inverseN = 1 / s.n;
    l.mean = s.x * l.inverseN;
    const Exact sxx = s.xx - s.x * l.mean;
    if (!(sxx > 0))
        return std::nullopt;
    const Exact meanY = s.y * l.inverseN;
    const Exact sxy = s.xy - s.x * meanY;
    l.inverseSpread = 1 / sxx;
    l.slope = sxy * l.inverseSpread;
    l.intercept = meanY - l.slope * l.mean;
    l.rss = std::max<Exact>(0, s.yy - s.y * meanY - l.slope * sxy);
    return l;
}

// Where the profile first passes the bound inside one gap, walking from `from` to `to`; none when
// it stays within. Inside a gap the points on each side are fixed, and the best joined fit is the
// two sides' separate lines made to meet at ψ:
//   RSS(ψ) = RSS_L + RSS_R + (Δa + Δb·ψ)² / (1/n_L + 1/n_R + (ψ − x̄_L)²/S_L + (ψ − x̄_R)²/S_R),
// so RSS(ψ) > bound exactly where a quadratic in ψ is positive: its roots split the gap, and the
// profile may rise above the bound and fall again anywhere inside it without being missed.
std::optional<Exact> gapCrossing(const SortedPoints<Exact>& p, std::size_t r, Exact bound,
                                 Exact from, Exact to) {
    const std::optional<SideLine> l = sideLine(p.prefix(r)), rt = sideLine(p.total() - p.prefix(r));
    if (!l || !rt)
        return std::nullopt;
    // In t = ψ − c about the gap's middle, where the terms are of the gap's own size.
    const Exact c = (from + to) / 2;
    const Exact db = l->slope - rt->slope;
    const Exact da = l->intercept - rt->intercept + db * c;
    const Exact iL = l->inverseSpread, iR = rt->inverseSpread;
    const Exact dL = l->mean - c, dR = rt->mean - c;
    const Exact k = bound - l->rss - rt->rss;
    const Exact counts = l->inverseN + rt->inverseN;
    const auto above = [&](Exact t) {
        const Exact gapOfLines = da + db * t;
        const Exact factor = counts + (t - dL) * (t - dL) * iL + (t - dR) * (t - dR) * iR;
        return gapOfLines * gapOfLines - k * factor > 0;
    };
    const Exact a2 = db * db - k * (iL + iR);
    const Exact a1 = 2 * da * db + 2 * k * (dL * iL + dR * iR);
    const Exact a0 = da * da - k * (counts + dL * dL * iL + dR * dR * iR);
    // The gap's pieces between the roots, in walking order; the first one above starts the exit.
    std::array<Exact, 4> cuts{from - c, to - c};
    std::size_t count = 2;
    if (a2 != 0) {
        const Exact disc = a1 * a1 - 4 * a2 * a0;
        if (disc >= 0) {
            const Exact q = -(a1 + std::copysign(std::sqrt(disc), a1)) / 2;
            cuts[count++] = q / a2;
            if (q != 0)
                cuts[count++] = a0 / q;
        }
    } else if (a1 != 0) {
        cuts[count++] = -a0 / a1;
    }
    const bool up = to > from;
    std::sort(cuts.begin(), cuts.begin() + static_cast<std::ptrdiff_t>(count),
              [up](Exact a, Exact b) { return up ? a < b : a > b; });
    const auto inGap = [&](Exact t) {
        return up ? t >= from - c && t <= to - c : t <= from - c && t >= to - c;
    };
    for (std::size_t i = 0; i + 1 < count; ++i)
        if (inGap(cuts[i]) && inGap(cuts[i + 1]) && cuts[i] != cuts[i + 1] &&
            above((cuts[i] + cuts[i + 1]) / 2))
            return c + cuts[i];
    return std::nullopt;
}

// One end of the profile interval: outwards from ψ in the direction (−1 or 1) to where the best
// joined fit's RSS passes the bound; open when it does not within the admissible rates.
Exact profileEdge(const SortedPoints<Exact>& p, const Joined<Exact>& best, Exact bound,
                  int direction, bool& open) {
    const std::size_t m = p.groupCount();
    Exact inside = best.psi;
    // The distinct rates beyond ψ in that direction, within the admissible range; the groups at
    // or below a break inside the gap ending at U(j) are those before j going up, up to j going
    // down.
    for (std::size_t j = direction < 0 ? m - 2 : 1; direction < 0 ? j >= 1 : j <= m - 2;
         j = direction < 0 ? j - 1 : j + 1) {
        const Exact u = p.U(j);
        if (direction < 0 ? !(u < best.psi) : !(u > best.psi))
            continue;
        if (const std::optional<Exact> out =
                gapCrossing(p, direction < 0 ? j + 1 : j, bound, inside, u))
            return *out;
        inside = u;
    }
    open = true;
    return inside;
}

// The intervals of the break's rate and pressure.
void setBreakIntervals(BreakFit& fit, const SortedPoints<Exact>& p, const Joined<Exact>& best) {
    const int n = fit.points;
    const double kx = p.xScale, ky = p.yScale;

    // The profile interval: outwards from ψ to where the best joined fit's RSS passes the bound.
    const double f = n > 4 ? fisherF95(n - 4) : std::numeric_limits<double>::infinity();
    // The bound from the same sums as the profile it is held against, so that the best break
    // itself always lies within it.
    const Joined<Exact> atBest = p.joinedAt(best.psi);
    const Exact bound = atBest.rss * (1 + f / (n - 4));
    fit.breakRateLow =
        p.xCentre + kx * static_cast<double>(profileEdge(p, best, bound, -1, fit.lowOpen));
    const Exact high = profileEdge(p, best, bound, 1, fit.highOpen);
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
}

} // namespace

BreakSearchResult findBreak(const std::vector<double>& rates,
                            const std::vector<double>& pressures) {
    SortedPoints<Exact> p(rates, pressures);
    Joined<Exact> best;
    if (QString why = searchBreak(rates, p, best); !why.isEmpty())
        return BreakSearchResult{std::nullopt, why};

    BreakFit fit;
    const int n = static_cast<int>(rates.size());
    fit.points = n;
    setJoinedFit(fit, p, best.psi);
    setBreakIntervals(fit, p, best);
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

bool curvesBeforeBreak(const std::vector<double>& rates, const std::vector<double>& pressures,
                       const BreakFit& fit) {
    std::vector<double> q, p;
    for (std::size_t i = 0; i < rates.size(); ++i)
        if (rates[i] <= fit.breakRate) {
            q.push_back(rates[i]);
            p.push_back(pressures[i]);
        }
    // Three distinct rates at least, found without sorting them.
    std::array<double, 3> distinct{};
    std::size_t found = 0;
    for (std::size_t i = 0; i < q.size() && found < 3; ++i)
        if (std::find(distinct.begin(), distinct.begin() + static_cast<std::ptrdiff_t>(found),
                      q[i]) == distinct.begin() + static_cast<std::ptrdiff_t>(found))
            distinct[found++] = q[i];
    if (found < 3 || q.size() < 4)
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