#include "diagram/TrendFit.h"

#include "diagram/TrendMath.h"
#include "spreadsheet/SpreadsheetFitService.h"
#include "state/AnalysisFault.h"

#include <algorithm>

namespace id {

void fitCurrentTrend(AnalysisState& s, SpreadsheetFitService& fits) {
    const int kind = s.CurrentTrendKind;
    if (kind < LinearTrend || kind > CubicTrend)
        throw AnalysisFault(QStringLiteral("Вид линии тренда не выбран"));
    const std::vector<double>& rates = s.FitRates.values();
    const std::vector<double>& pressures = s.FitPressures.values();
    const std::vector<double> c = fits.fitPolynomial(
        std::vector<double>(rates.begin(), rates.begin() + s.FitPointCount),
        std::vector<double>(pressures.begin(), pressures.begin() + s.FitPointCount), kind - 1);
    s.CurrentTrendCoefficients.resetTo(kind);
    for (int k = 1; k <= kind; ++k)
        s.CurrentTrendCoefficients[k] = c[static_cast<std::size_t>(k - 1)];
}

void deriveTrendResults(AnalysisState& s) {
    const Coefficients& c = s.CurrentTrendCoefficients;
    const double sign = s.WellType == ProducingWell ? -1 : 1;
    if (s.CurrentTrendKind == LinearTrend && c[1] == 0)
        throw AnalysisFault(QStringLiteral("Наклон линии тренда равен нулю: коэффициент "
                                           "продуктивности не определён"));
    if (s.TrendCount == 1) {
        switch (s.CurrentTrendKind) {
        case LinearTrend:
            s.ProductivityIndex = sign / c[1];
            s.ReservoirPressure = c[2];
            break;
        case QuadraticTrend:
            s.ProductivityIndex = 0;
            s.ReservoirPressure = c[3];
            break;
        case CubicTrend:
            s.ProductivityIndex = 0;
            s.ReservoirPressure = c[4];
            break;
        default:
            break;
        }
    } else if (s.TrendCount == 2) {
        s.SecondProductivityIndex = s.CurrentTrendKind == LinearTrend ? sign / c[1] : 0;
    }
}

void computeTrendRSquared(AnalysisState& s, SpreadsheetFitService& fits) {
    std::vector<double> measured;
    std::vector<double> fitted;
    for (int i = 1; i <= s.FitPointCount; ++i) {
        measured.push_back(s.FitPressures[i]);
        fitted.push_back(
            evaluateTrend(s.CurrentTrendKind, s.CurrentTrendCoefficients, s.FitRates[i]));
    }
    const auto [low, high] = std::minmax_element(fitted.begin(), fitted.end());
    const bool flatTrend = !fitted.empty() && *low == *high;
    const bool flatData = flatTrend && std::all_of(measured.begin(), measured.end(),
                                                   [&](double p) { return p == measured.front(); });
    // A flat trend through scattered points explains none of their spread: R² is 0, although
    // the correlation itself is undefined.
    double rSquared = 0;
    if (!flatTrend || flatData) {
        const double r = fits.correlation(measured, fitted);
        rSquared = r * r;
    }
    s.TrendRSquared = rSquared;
    if (s.TrendCount == 1)
        s.FirstTrendRSquared = s.TrendRSquared;
    else if (s.TrendCount == 2)
        s.SecondTrendRSquared = s.TrendRSquared;
}

double rSquaredOfSlot(const AnalysisState& s) {
    if (s.ReplayingIdTrends) {
        if (s.TrendCount == 1)
            return s.FirstTrendRSquared;
        if (s.TrendCount == 2)
            return s.SecondTrendRSquared;
    }
    return s.TrendRSquared;
}

} // namespace id
