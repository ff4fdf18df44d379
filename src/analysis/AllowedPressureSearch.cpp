#include "analysis/AllowedPressureSearch.h"

#include "analysis/ResultRows.h"
#include "spreadsheet/SpreadsheetFitService.h"
#include "state/AnalysisFault.h"
#include "state/TrendMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace id {

namespace {

constexpr double GridStep = 0.01;

// A trend evaluated the way the search's definition evaluates it, many times over.
struct LocalTrend {
    int kind;
    double c[4] = {0, 0, 0, 0};

    LocalTrend(int k, const Coefficients& coefficients) : kind(k) {
        const int count = (k >= LinearTrend && k <= CubicTrend) ? k : 0;
        for (int i = 1; i <= count && i <= coefficients.size(); ++i)
            c[i - 1] = coefficients[i];
    }
    double at(double q) const { return evaluateTrendAt(kind, c, q); }
    std::array<double, 4> ascending() const {
        std::array<double, 4> a{0, 0, 0, 0};
        const int count = (kind >= LinearTrend && kind <= CubicTrend) ? kind : 0;
        for (int i = 0; i < count; ++i)
            a[static_cast<std::size_t>(count - 1 - i)] = c[i];
        return a;
    }
};

using Cubic = std::array<double, 4>; // coefficients of q^0 .. q^3

double evaluate(const Cubic& f, double q) {
    return ((f[3] * q + f[2]) * q + f[1]) * q + f[0];
}

int signOf(double v) {
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// Real roots of the quadratic a q² + b q + c (or of what is left of it when leading
// coefficients are zero), unordered.
std::vector<double> quadraticRoots(double a, double b, double c) {
    // Scaled first, so the discriminant cannot overflow.
    const double largest = std::max({std::abs(a), std::abs(b), std::abs(c)});
    if (largest == 0 || !std::isfinite(largest))
        return {};
    a /= largest;
    b /= largest;
    c /= largest;
    if (a == 0) {
        if (b == 0)
            return {};
        return {-c / b};
    }
    const double discriminant = b * b - 4 * a * c;
    if (!(discriminant >= 0))
        return {};
    // The form without cancellation.
    const double root = std::sqrt(discriminant);
    const double q = -0.5 * (b + (b < 0 ? -root : root));
    if (q == 0)
        return {0};
    return {q / a, c / q};
}

// Real roots of f inside [lo, hi]: the interval is split where f turns, and each monotone
// piece with a change of sign is bisected down to adjacent doubles.
std::vector<double> rootsIn(const Cubic& f, double lo, double hi) {
    std::vector<double> cuts{lo, hi};
    for (double r : quadraticRoots(3 * f[3], 2 * f[2], f[1]))
        if (r > lo && r < hi)
            cuts.push_back(r);
    std::sort(cuts.begin(), cuts.end());
    std::vector<double> roots;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        double a = cuts[i];
        double b = cuts[i + 1];
        const int sa = signOf(evaluate(f, a));
        const int sb = signOf(evaluate(f, b));
        if (sa == 0) {
            roots.push_back(a);
            continue;
        }
        if (sb == 0) {
            roots.push_back(b);
            continue;
        }
        if (sa == sb)
            continue;
        for (int step = 0; step < 2200; ++step) {
            const double mid = a / 2 + b / 2;
            if (mid <= a || mid >= b)
                break;
            if (signOf(evaluate(f, mid)) == sa)
                a = mid;
            else
                b = mid;
        }
        roots.push_back(a);
    }
    return roots;
}

// The rates the search visits: 0, then 0.01 added again and again in double arithmetic.
// Within one binary exponent range above 1 every addition moves the rate by the same amount,
// so the walk can be jumped over exactly instead of repeated.
struct RateGrid {
    // The first visited rate at or above target (or the rate where the additions stop moving).
    static double firstAtOrAbove(double target) {
        double q = 0;
        while (q < target) {
            const double next = q + GridStep;
            if (next == q)
                return q;
            const double move = next - q;
            if (q >= 1) {
                const double top = std::ldexp(1.0, std::ilogb(q) + 1);
                const double room = std::floor((std::min(top, target) - q) / move) - 1;
                if (room >= 1) {
                    q += room * move;
                    continue;
                }
            }
            q = next;
        }
        return q;
    }
};

bool meets(const LocalTrend& first, const LocalTrend& second, double q, double tolerance,
           double& pressure) {
    const double p2 = second.at(q);
    if (p2 == 0 || !std::isfinite(p2))
        return false;
    const double gap = std::abs(first.at(q) / p2 - 1);
    if (!(gap <= tolerance))
        return false;
    pressure = p2;
    return true;
}

// Rounding of the walk's own arithmetic can decide the test either way only where the exact gap
// lies within this many units of rounding of the values involved.
constexpr double RoundingUnits = 32;
// Grid rates walked one by one where rounding decides, at most, over the whole search; beyond
// it such stretches are decided by the exact gap.
constexpr long long UndecidedBudget = 2000000;

// A grid rate passes where |d| <= t |p2| with d = p1 - p2, t the tolerance: where
// below = d - t p2 and above = d + t p2 differ in sign. Coefficients are quartered, and
// divided by t where t > 1, so none can overflow. Where one of them, or p2, is within the
// rounding bound of zero, the walk's rounding decides and the grid is walked; elsewhere the
// exact sign decides for a whole stretch at once.
struct GapPolynomials {
    Cubic below{}, above{}, p2{}, bound{}, bound2{};
};

GapPolynomials gapPolynomials(const LocalTrend& first, const LocalTrend& second, double tolerance) {
    const Cubic a1 = first.ascending();
    const Cubic a2 = second.ascending();
    const double scale = std::max(1.0, tolerance);
    const double t = tolerance / scale;
    const double unit = RoundingUnits * std::numeric_limits<double>::epsilon();
    GapPolynomials g;
    for (std::size_t k = 0; k < 4; ++k) {
        const double d = (a1[k] / 4 - a2[k] / 4) / scale;
        g.below[k] = d - t * (a2[k] / 4);
        g.above[k] = d + t * (a2[k] / 4);
        g.p2[k] = a2[k] / 4;
        g.bound[k] = unit * (std::abs(a1[k]) / 4 / scale + (1 / scale + t) * std::abs(a2[k]) / 4);
        g.bound2[k] = unit * std::abs(a2[k]) / 4;
    }
    return g;
}

// The ends of the stretches over which the signs stay: 0, the limit, and the rates between
// where a polynomial reaches its rounding bound, ascending.
std::vector<double> stretchBreaks(const GapPolynomials& g, double limit) {
    std::vector<double> breaks{0, limit};
    const auto addRoots = [&](const Cubic& f, const Cubic& e, double sign) {
        Cubic h{};
        for (std::size_t k = 0; k < 4; ++k)
            h[k] = f[k] + sign * e[k];
        if (std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); }))
            for (double r : rootsIn(h, 0, limit))
                breaks.push_back(r);
    };
    for (double sign : {-1.0, 1.0}) {
        addRoots(g.below, g.bound, sign);
        addRoots(g.above, g.bound, sign);
        addRoots(g.p2, g.bound2, sign);
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    return breaks;
}

} // namespace

std::optional<double> searchTrendMeeting(int kind1, const Coefficients& c1, int kind2,
                                         const Coefficients& c2, double rateAxisMax,
                                         double tolerance) {
    const LocalTrend first(kind1, c1);
    const LocalTrend second(kind2, c2);
    const double limit = 10 * rateAxisMax;
    if (!(limit >= 0) || !std::isfinite(limit) || !(tolerance >= 0))
        return std::nullopt;
    double pressure = 0;
    if (!std::isfinite(tolerance)) {
        // Every finite gap passes: the first rates decide.
        for (double q = 0; q <= limit && q < 1; q += GridStep)
            if (meets(first, second, q, tolerance, pressure))
                return pressure;
        return std::nullopt;
    }

    const GapPolynomials g = gapPolynomials(first, second, tolerance);
    const std::vector<double> breaks = stretchBreaks(g, limit);

    long long walked = 0;
    for (std::size_t i = 0; i + 1 < breaks.size() || (i == 0 && breaks.size() == 1); ++i) {
        const double from = breaks[i];
        const double to = i + 1 < breaks.size() ? breaks[i + 1] : from;
        const double mid = from / 2 + to / 2;
        const double b = evaluate(g.below, mid);
        const double a = evaluate(g.above, mid);
        const double p = evaluate(g.p2, mid);
        const bool undecided = std::abs(b) <= evaluate(g.bound, mid) ||
                               std::abs(a) <= evaluate(g.bound, mid) ||
                               std::abs(p) <= evaluate(g.bound2, mid);
        const bool passes = p != 0 && ((b <= 0 && a >= 0) || (b >= 0 && a <= 0));
        if (!undecided && !passes)
            continue;
        // The stretch's grid rates, from its first: all of them where rounding decides, else
        // the first few (which pass but for a rounding of the definition's own arithmetic).
        const long long most = undecided && walked < UndecidedBudget ? UndecidedBudget : 64;
        double q = RateGrid::firstAtOrAbove(from);
        const double start = q;
        for (long long n = 0; n < most && q <= to && q <= limit; ++n, ++walked) {
            if (meets(first, second, q, tolerance, pressure))
                return pressure;
            const double next = q + GridStep;
            if (next == q)
                break; // the rate no longer moves: the walk would stand here for ever
            q = next;
        }
        // Past the budget, a stretch whose exact gap is within the tolerance meets at its start.
        if (undecided && walked >= UndecidedBudget && passes && start <= std::min(to, limit)) {
            const double p2AtStart = second.at(start);
            if (p2AtStart != 0 && std::isfinite(p2AtStart))
                return p2AtStart;
        }
    }
    return std::nullopt;
}

std::optional<double> scanTurningPoint(const std::vector<double>& c, double pmax, double pmin) {
    const double step = (pmax - pmin) / 100;
    double runningMax = 0;
    bool found = false;
    double previous = 0;
    double allowed = 0;
    double p = pmax;
    // A step too small to move the pressure (a span of denormals) ends the scan after pmax, as
    // a zero step does; the count bound is a last guard.
    for (int visited = 0; visited < 1000; ++visited) {
        const double q = std::pow(p, 3) * c[0] + std::pow(p, 2) * c[1] + p * c[2] + c[3];
        if (found) {
            if (q > previous)
                return std::nullopt;
            previous = q;
        } else if (q >= 0) {
            if (q >= runningMax) {
                runningMax = q;
            } else {
                found = true;
                allowed = p;
                previous = q;
            }
        }
        const double next = p - step;
        if (!(next > pmin) || !(next < p))
            break;
        p = next;
    }
    if (!found || !std::isfinite(allowed))
        return std::nullopt;
    return allowed;
}

void FindAllowedPressureFromTrends(AnalysisState& s, QStringList& messages) {
    const std::optional<double> pressure =
        searchTrendMeeting(s.FirstTrend.Kind, s.FirstTrend.Coefficients, s.SecondTrend.Kind,
                           s.SecondTrend.Coefficients, s.IdAxisXMax, AllowedPressureTolerance);
    if (pressure) {
        s.AllowedBottomholePressure = *pressure;
        UpdateResultsTable(s);
        return;
    }
    messages << AllowedPressureNotFound;
    s.AllowedBottomholePressure = 0;
    // Refreshed on failure too, so no earlier value stays on screen.
    UpdateResultsTable(s);
}

void FindAllowedPressureFromFit(AnalysisState& s, SpreadsheetFitService& fits,
                                QStringList& messages) {
    const int n = s.measurementCount();
    std::vector<double> pressures;
    std::vector<double> rates;
    for (int i = 1; i <= n; ++i) {
        pressures.push_back(s.Measurements.pressure(i));
        rates.push_back(s.Measurements.rate(i));
    }
    double pmax = n > 0 ? pressures.front() : 0;
    double pmin = pmax;
    for (int i = 1; i < n; ++i) {
        const double p = pressures[static_cast<std::size_t>(i)];
        if (!(p > pmin))
            pmin = p;
        if (p >= pmax)
            pmax = p;
    }

    QString cause;
    std::optional<double> pressure;
    std::vector<double> distinct = pressures;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (n > 0 && pmax == pmin) {
        // All pressures equal: the scan would see one pressure only and find nothing.
    } else if (distinct.size() < 4) {
        cause = QStringLiteral("Для поиска нужно не меньше 4 замеров с различными значениями "
                               "забойного давления");
    } else {
        try {
            // The cubic of rate against pressure is the search's own: it is no trend of the
            // diagram and is not kept.
            const std::vector<double> c = fits.fitPolynomial(pressures, rates, 3);
            pressure = scanTurningPoint(c, pmax, pmin);
        } catch (const AnalysisFault& fault) {
            cause = fault.message();
        }
    }
    if (pressure) {
        s.AllowedBottomholePressure = *pressure;
        UpdateResultsTable(s);
        return;
    }
    messages << (cause.isEmpty() ? AllowedPressureNotFound
                                 : AllowedPressureNotFound + QStringLiteral(".\n") + cause);
    s.AllowedBottomholePressure = 0;
    UpdateResultsTable(s);
}

} // namespace id
