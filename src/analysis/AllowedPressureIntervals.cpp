#include "analysis/AllowedPressureIntervals.h"

#include "analysis/AllowedPressureSearch.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "spreadsheet/RepeatedPolynomialFit.h"
#include "state/AnalysisFault.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <random>

namespace id {

namespace {

double evaluate(const std::vector<double>& c, double q) {
    double p = 0;
    for (double coefficient : c)
        p = p * q + coefficient;
    return p;
}

// How far the two trends are from meeting at the rate: negative within the tolerance.
double gap(const std::vector<double>& c1, const std::vector<double>& c2, double q,
           double tolerance) {
    const double p2 = evaluate(c2, q);
    if (p2 == 0 || !std::isfinite(p2))
        return INFINITY;
    return std::abs(evaluate(c1, q) / p2 - 1) - tolerance;
}

} // namespace

std::optional<double> meetingPressure(int, const std::vector<double>& c1, int,
                                      const std::vector<double>& c2, double rateLimit,
                                      double tolerance) {
    if (!(rateLimit > 0) || !std::isfinite(rateLimit))
        return std::nullopt;
    if (gap(c1, c2, 0, tolerance) <= 0)
        return evaluate(c2, 0);
    constexpr int Steps = 4000;
    const auto difference = [&](double q) { return evaluate(c1, q) - evaluate(c2, q); };
    double previous = 0;
    for (int i = 1; i <= Steps; ++i) {
        double q = rateLimit * i / Steps;
        // Steep lines cross the narrow band between two steps: where they cross, they are within
        // it, so the band is entered before.
        if (gap(c1, c2, q, tolerance) > 0 &&
            std::signbit(difference(previous)) != std::signbit(difference(q))) {
            double low = previous;
            double high = q;
            for (int k = 0; k < 80; ++k) {
                const double mid = low / 2 + high / 2;
                (std::signbit(difference(mid)) == std::signbit(difference(previous)) ? low : high) =
                    mid;
            }
            if (gap(c1, c2, high, tolerance) <= 0)
                q = high;
        }
        if (gap(c1, c2, q, tolerance) <= 0) {
            double low = previous;
            double high = q;
            for (int k = 0; k < 80; ++k) {
                const double mid = low / 2 + high / 2;
                (gap(c1, c2, mid, tolerance) <= 0 ? high : low) = mid;
            }
            return evaluate(c2, high);
        }
        previous = q;
    }
    return std::nullopt;
}

std::optional<Interval> meetingPressureInterval(const TrendUncertainty& a,
                                                const TrendUncertainty& b, double rateLimit,
                                                double tolerance) {
    const std::optional<double> estimate =
        meetingPressure(a.kind, a.coefficients, b.kind, b.coefficients, rateLimit, tolerance);
    const int dof = std::min(a.statistics.degreesOfFreedom, b.statistics.degreesOfFreedom);
    if (!estimate || dof < 1)
        return std::nullopt;
    double variance = 0;
    for (const TrendUncertainty* trend : {&a, &b}) {
        const SpreadsheetFitService::FitStatistics& st = trend->statistics;
        const std::size_t k = trend->coefficients.size();
        if (st.scaledCovariance.size() != k)
            return std::nullopt;
        // Centred coefficient j moves the raw ones (highest power first) along
        // valueHalf * d(t^j)/d(raw), t = (x - centre) / half.
        const long double u = 1.0L / st.rateHalf;
        const long double v = -static_cast<long double>(st.rateCentre) / st.rateHalf;
        std::vector<double> gradient(k);
        for (std::size_t j = 0; j < k; ++j) {
            const double h = std::sqrt(st.scaledCovariance[j][j]) * 1e-3;
            if (!(h > 0))
                continue;
            std::vector<double> up = trend->coefficients;
            std::vector<double> down = trend->coefficients;
            long double binomial = 1;
            for (std::size_t power = 0; power <= j; ++power) {
                if (power > 0)
                    binomial = binomial * static_cast<long double>(j - power + 1) /
                               static_cast<long double>(power);
                const double step = static_cast<double>(
                    st.valueHalf * h * binomial * std::pow(u, static_cast<long double>(power)) *
                    std::pow(v, static_cast<long double>(j - power)));
                up[k - 1 - power] += step;
                down[k - 1 - power] -= step;
            }
            const bool first = trend == &a;
            const auto at = [&](const std::vector<double>& c) {
                return first ? meetingPressure(a.kind, c, b.kind, b.coefficients, rateLimit,
                                               tolerance)
                             : meetingPressure(a.kind, a.coefficients, b.kind, c, rateLimit,
                                               tolerance);
            };
            const std::optional<double> pUp = at(up);
            const std::optional<double> pDown = at(down);
            if (!pUp || !pDown)
                return std::nullopt;
            gradient[j] = (*pUp - *pDown) / (2 * h);
        }
        for (std::size_t i = 0; i < k; ++i)
            for (std::size_t j = 0; j < k; ++j)
                variance += gradient[i] * st.scaledCovariance[i][j] * gradient[j];
    }
    const double half = studentT95(dof) * std::sqrt(variance);
    return Interval{*estimate - half, *estimate + half};
}

namespace {

std::optional<Interval> bootstrapTurningPoint(const std::vector<double>& pressures,
                                              const std::vector<double>& rates);

} // namespace

std::optional<Interval> turningPointInterval(const std::vector<double>& pressures,
                                             const std::vector<double>& rates) {
    if (pressures.size() != rates.size() || pressures.size() < 5)
        return std::nullopt;
    // The statistics page asks again after every command that changes what it shows; the
    // measurements seldom change between two of them.
    static std::mutex lastLock;
    static std::vector<double> lastPressures;
    static std::vector<double> lastRates;
    static std::optional<Interval> lastInterval;
    {
        const std::lock_guard lock(lastLock);
        if (pressures == lastPressures && rates == lastRates)
            return lastInterval;
    }
    const std::optional<Interval> interval = bootstrapTurningPoint(pressures, rates);
    const std::lock_guard lock(lastLock);
    lastPressures = pressures;
    lastRates = rates;
    lastInterval = interval;
    return interval;
}

namespace {

std::optional<Interval> bootstrapTurningPoint(const std::vector<double>& pressures,
                                              const std::vector<double>& rates) {
    const auto [lowest, highest] = std::minmax_element(pressures.begin(), pressures.end());
    const double pmin = *lowest;
    const double pmax = *highest;
    LeastSquaresFitService fits;
    SpreadsheetFitService::PolynomialFit fit;
    try {
        fit = fits.fit(pressures, rates, 3, false);
    } catch (const AnalysisFault&) {
        return std::nullopt;
    }
    std::vector<double> residuals(rates.size());
    for (std::size_t i = 0; i < rates.size(); ++i)
        residuals[i] = rates[i] - fit.fitted[i];
    constexpr int Resamples = 1000;
    const std::optional<RepeatedPolynomialFit> refit =
        RepeatedPolynomialFit::forRates(pressures, 3);
    if (!refit)
        return std::nullopt;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> pick(0, residuals.size() - 1);
    std::vector<double> found;
    std::vector<double> resampled(rates.size());
    for (int r = 0; r < Resamples; ++r) {
        for (std::size_t i = 0; i < rates.size(); ++i)
            resampled[i] = fit.fitted[i] + residuals[pick(random)];
        if (const auto c = refit->coefficients(resampled))
            if (const std::optional<double> p = scanTurningPoint(*c, pmax, pmin))
                found.push_back(*p);
    }
    if (found.size() < Resamples / 2)
        return std::nullopt;
    std::sort(found.begin(), found.end());
    const auto percentile = [&](double share) {
        const std::size_t i =
            static_cast<std::size_t>(share * static_cast<double>(found.size() - 1));
        return found[i];
    };
    return Interval{percentile(0.025), percentile(0.975)};
}

} // namespace

} // namespace id
