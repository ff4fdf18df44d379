#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <vector>

// The least-squares lines and joined fits of a break search, from running sums over the points
// sorted by rate.
namespace id::breaksearch {

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
    SortedPoints(const std::vector<double>& rates, const std::vector<double>& pressures);

    // Sets the pressures (scaled) and makes the running sums.
    bool ready() const { return xScale > 0 && yScale > 0; }
    void sum(const std::vector<double>* scaledPressures = nullptr);
    std::size_t groupCount() const { return groupStart.size() - 1; }
    std::size_t size() const { return x.size(); }
    Real U(std::size_t g) const { return X(groupStart[g]); }
    Real X(std::size_t i) const { return (x[i] - xCentre) / xScale; }
    Real Y(std::size_t i) const { return (y[i] - yCentre) / yScale; }
    const Sums<Real>& total() const { return total_; }
    // The sums of the groups before group k (k from 0 to the group count).
    const Sums<Real>& prefix(std::size_t k) const;

    // The best joined fit with the break at psi, the groups from r on lying beyond it. Written as
    // y = α + βL·(x − ψ)₋ + βR·(x − ψ)₊, whose two slope columns never overlap: the usual
    // columns 1, x, (x − ψ)₊ are nearly alike when few points lie on one side.
    Joined<Real> joinedAt(Real psi, std::size_t r) const;
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
    Joined<Real> search() const;

    std::vector<double> x, y;
    // The input index of each sorted point.
    std::vector<std::size_t> order;
    std::vector<std::size_t> groupStart;
    double xCentre = 0, xScale = 0, yCentre = 0, yScale = 0;

private:
    // The running sums are kept at every Block-th group only (a hundred thousand rates would
    // take ten megabytes of them); those between are summed again from there, a block at a
    // time, in the same order, so to the same last bit.
    static constexpr std::size_t Block = 64;
    void addGroup(Sums<Real>& s, std::size_t g) const {
        for (std::size_t i = groupStart[g]; i < groupStart[g + 1]; ++i)
            s.add(X(i), scaled_ ? (*scaled_)[i] : Y(i));
    }
    std::vector<Sums<Real>> checkpoints_;
    Sums<Real> total_;
    const std::vector<double>* scaled_ = nullptr;
    mutable std::vector<Sums<Real>> block_;
    mutable std::size_t blockFirst_ = std::size_t(-1);
};

template <typename Real>
SortedPoints<Real>::SortedPoints(const std::vector<double>& rates,
                                 const std::vector<double>& pressures) {
    const std::size_t n = rates.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    // Regimes are usually entered in order of rate: then the order stands as it is.
    if (!std::is_sorted(rates.begin(), rates.end()))
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

// scaledPressures, when given, must outlive the sums' use.
template <typename Real> void SortedPoints<Real>::sum(const std::vector<double>* scaledPressures) {
    const std::size_t m = groupCount();
    scaled_ = scaledPressures;
    blockFirst_ = std::size_t(-1);
    checkpoints_.clear();
    checkpoints_.reserve(m / Block + 1);
    Sums<Real> s{};
    for (std::size_t g = 0; g < m; ++g) {
        if (g % Block == 0)
            checkpoints_.push_back(s);
        addGroup(s, g);
    }
    if (m % Block == 0)
        checkpoints_.push_back(s);
    total_ = s;
}

template <typename Real> const Sums<Real>& SortedPoints<Real>::prefix(std::size_t k) const {
    const std::size_t first = k / Block * Block;
    if (first != blockFirst_) {
        const std::size_t last = std::min(first + Block, groupCount());
        block_.resize(last - first + 1);
        Sums<Real> s = checkpoints_[first / Block];
        block_[0] = s;
        for (std::size_t g = first; g < last; ++g) {
            addGroup(s, g);
            block_[g - first + 1] = s;
        }
        blockFirst_ = first;
    }
    return block_[k - first];
}

template <typename Real> Joined<Real> SortedPoints<Real>::joinedAt(Real psi, std::size_t r) const {
    const Sums<Real>& all = total();
    const Sums<Real> left = prefix(r);
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
    const Real inverseL = 1 / sttL, inverseR = 1 / sttR;
    const Real schur = all.n - stL * stL * inverseL - stR * stR * inverseR;
    if (!(schur > 0))
        return j;
    const Real inverseSchur = 1 / schur;
    const Real alpha = (all.y - stL * styL * inverseL - stR * styR * inverseR) * inverseSchur;
    const Real betaL = (styL - alpha * stL) * inverseL;
    const Real betaR = (styR - alpha * stR) * inverseR;
    j.a = alpha - betaL * psi;
    j.b = betaL;
    j.c = betaR - betaL;
    j.rss = std::max<Real>(0, all.yy - (alpha * all.y + betaL * styL + betaR * styR));
    j.v = inverseSchur;
    if (!std::isfinite(static_cast<double>(j.rss)))
        j.rss = std::numeric_limits<Real>::infinity();
    return j;
}

template <typename Real> Joined<Real> SortedPoints<Real>::search() const {
    const std::size_t m = groupCount();
    Joined<Real> best;
    // Each gap's separate lines: the joined fit at the gap's first rate can do no better than
    // they do (it is they, made to meet), so that rate need not be tried once something beats
    // them. Zero where there are no such lines: no bound.
    std::vector<Real> separate(m, 0);
    for (std::size_t k = 1; k + 2 < m; ++k) {
        const Sums<Real> left = prefix(k + 1);
        const std::optional<Line<Real>> l = lineOf(left);
        const std::optional<Line<Real>> r = lineOf(total() - left);
        if (!l || !r)
            continue;
        separate[k] = l->rss + r->rss;
        if (l->slope == r->slope)
            continue;
        const Real psi = (r->intercept - l->intercept) / (l->slope - r->slope);
        if (psi > U(k) && psi < U(k + 1) && l->rss + r->rss < best.rss)
            best = {l->intercept, l->slope, r->slope - l->slope, psi, l->rss + r->rss};
    }
    // A margin for the rounding of two ways of summing the same fit.
    constexpr Real Margin = 1 + 1e-12;
    for (std::size_t j = 1; j + 1 < m; ++j) {
        if (separate[j] > best.rss * Margin)
            continue;
        const Joined<Real> at = joinedAt(U(j), j + 1);
        if (at.rss < best.rss)
            best = at;
    }
    return best;
}

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

} // namespace id::breaksearch
