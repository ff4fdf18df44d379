#include "analysis/AllowedPressureSearch.h"

#include "diagram/TrendMath.h"
#include "platform/MessagePort.h"
#include "spreadsheet/SpreadsheetFitService.h"
#include "state/AnalysisFault.h"

#include <cmath>

namespace id {

namespace {

// A trend with its coefficients copied out of the state into local storage; the search
// evaluates two of them up to ten million times.
struct LocalTrend {
    int kind;
    double c[4] = {0, 0, 0, 0};

    LocalTrend(int k, const Coefficients& coefficients) : kind(k) {
        const int count = (k >= LinearTrend && k <= CubicTrend) ? k : 0;
        for (int i = 1; i <= count && i <= coefficients.size(); ++i)
            c[i - 1] = coefficients[i];
    }
    double at(double q) const { return evaluateTrendAt(kind, c, q); }
};

} // namespace

std::optional<double> searchTrendMeeting(int kind1, const Coefficients& c1, int kind2,
                                         const Coefficients& c2, double rateAxisMax,
                                         double tolerance) {
    const LocalTrend first(kind1, c1);
    const LocalTrend second(kind2, c2);
    const double limit = 10 * rateAxisMax;
    // The rate is accumulated step by step, so the grid is the one the method defines.
    for (double q = 0; q <= limit; q += 0.01) {
        const double p2 = second.at(q);
        if (p2 == 0)
            continue;
        const double p1 = first.at(q);
        // Cheap rejection far from the tolerance; the exact relative gap decides the rest, so
        // the result is the one of computing it everywhere.
        if (std::abs(p1 - p2) > 2 * tolerance * std::abs(p2))
            continue;
        const double gap = std::abs(p1 / p2 - 1);
        if (gap <= tolerance)
            return p2;
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
    do {
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
        p = p - step;
    } while (p > pmin);
    if (!found)
        return std::nullopt;
    return allowed;
}

void FindAllowedPressureFromTrends(AnalysisState& s, MessagePort& messages,
                                   const std::function<void()>& updateResultsTable) {
    const std::optional<double> pressure =
        searchTrendMeeting(s.FirstTrendKind, s.FirstTrendCoefficients, s.SecondTrendKind,
                           s.SecondTrendCoefficients, s.IdAxisXMax, s.AllowedPressureTolerance);
    if (pressure) {
        s.AllowedBottomholePressure = *pressure;
        updateResultsTable();
        return;
    }
    messages.showMessage(AllowedPressureNotFound);
    s.AllowedBottomholePressure = 0;
    // Refreshed on failure too, so no earlier value stays on screen.
    updateResultsTable();
}

void FindAllowedPressureFromFit(AnalysisState& s, SpreadsheetFitService& fits,
                                MessagePort& messages,
                                const std::function<void()>& updateResultsTable) {
    s.CurrentTrendKind = CubicTrend;
    s.CurrentTrendCoefficients.resetTo(4);
    const int n = s.MeasurementCount;
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
    if (n > 0 && pmax == pmin) {
        // All pressures equal: the scan would see one pressure only and find nothing.
    } else {
        try {
            const std::vector<double> c = fits.fitPolynomial(pressures, rates, 3);
            s.CurrentTrendCoefficients = {c[0], c[1], c[2], c[3]};
            pressure = scanTurningPoint(c, pmax, pmin);
        } catch (const AnalysisFault& fault) {
            cause = fault.message();
        }
    }
    if (pressure) {
        s.AllowedBottomholePressure = *pressure;
        updateResultsTable();
        return;
    }
    messages.showMessage(cause.isEmpty() ? AllowedPressureNotFound
                                         : AllowedPressureNotFound + QStringLiteral(".\n") + cause);
    s.AllowedBottomholePressure = 0;
    updateResultsTable();
}

} // namespace id
