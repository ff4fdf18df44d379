#include "diagram/TrendFit.h"

#include "analysis/FormationInputCheck.h"
#include "analysis/InflowModels.h"
#include "analysis/ReadingChecks.h"
#include "spreadsheet/SpreadsheetFitService.h"
#include "state/AnalysisFault.h"
#include "state/NumberText.h"
#include "state/TrendMath.h"

#include <algorithm>
#include <cmath>

namespace id {

FittedTrend fitTrend(const AnalysisState& s, int kind, SpreadsheetFitService& fits) {
    if (kind < LinearTrend || kind > CubicTrend)
        throw AnalysisFault(QStringLiteral("Вид линии тренда не выбран"));
    const std::vector<double>& rates = s.FitRates.values();
    const std::vector<double>& pressures = s.FitPressures.values();
    // Readings of a scale where squares under- or overflow give figures that mean nothing.
    for (int i = 0; i < s.fitPointCount(); ++i)
        for (const double v :
             {rates[static_cast<std::size_t>(i)], pressures[static_cast<std::size_t>(i)]})
            if (v != 0 && !(std::abs(v) >= SmallestReading && std::abs(v) <= LargestReading))
                throw AnalysisFault(
                    QStringLiteral("Значение %1 вне допустимого масштаба (по модулю от %2 до %3): "
                                   "линия тренда по нему не строится.")
                        .arg(formatGeneral(v), formatGeneral(SmallestReading),
                             formatGeneral(LargestReading)));
    SpreadsheetFitService::PolynomialFit fit = fits.fit(
        std::vector<double>(rates.begin(), rates.begin() + s.fitPointCount()),
        std::vector<double>(pressures.begin(), pressures.begin() + s.fitPointCount()), kind - 1);
    FittedTrend result{Coefficients(kind), std::move(fit.fitted), {}};
    if (fit.statistics)
        result.statistics = SharedFitStatistics(std::move(*fit.statistics));
    for (int k = 1; k <= kind; ++k)
        result.coefficients[k] = fit.coefficients[static_cast<std::size_t>(k - 1)];
    return result;
}

FittedTrend fitInflowTrend(const AnalysisState& s, int kind, const TrendRecord& standing,
                           QStringList& messages) {
    InflowModelInputs in;
    in.model = inflowModelOfKind(kind);
    const int n = s.fitPointCount();
    in.rates.assign(s.FitRates.values().begin(), s.FitRates.values().begin() + n);
    in.pressures.assign(s.FitPressures.values().begin(), s.FitPressures.values().begin() + n);
    // A standing model fitted again keeps the Pпл it was given; the box counts for a new one.
    if (standing.Kind == kind && standing.Coefficients.size() == coefficientCount(kind))
        in.reservoirPressure =
            standing.ReservoirGiven
                ? std::optional(standing.Coefficients[standing.Coefficients.size()])
                : std::nullopt;
    else
        in.reservoirPressure = modelReservoirPressure(s.Inputs, messages);
    if (in.model == InflowModel::Composite) {
        // The box's default would be a saturation pressure nobody gave.
        const std::optional<double> pb = readNumber(s.Inputs.Pnas);
        if (!pb || !(*pb > 0))
            throw AnalysisFault(QStringLiteral("Для модели «%1» введите давление насыщения Pнас.")
                                    .arg(inflowModelName(InflowModel::Composite)));
        in.saturationPressure = s.Inputs.SaturationPressure;
    }
    InflowFitResult result = fitInflowModel(in);
    if (!result.fit)
        throw AnalysisFault(result.error);
    FittedTrend trend;
    const std::vector<double> values = result.fit->values();
    trend.coefficients = Coefficients(static_cast<int>(values.size()));
    for (std::size_t k = 0; k < values.size(); ++k)
        trend.coefficients[static_cast<int>(k) + 1] = values[k];
    trend.statistics = SharedFitStatistics(result.fit->statistics);
    // The model keeps its statistics' few numbers only, as the trend does.
    result.fit->statistics = *trend.statistics.get();
    trend.rSquared = result.fit->rSquared;
    trend.saturationPressure = in.saturationPressure;
    trend.reservoirGiven = in.reservoirPressure.has_value();
    trend.model.value = std::make_shared<const InflowFit>(std::move(*result.fit));
    return trend;
}

void deriveTrendResults(AnalysisState& s, int slot, int kind, const Coefficients& c) {
    const double sign = s.WellType == ProducingWell ? -1 : 1;
    if (kind == LinearTrend && c[1] == 0)
        throw AnalysisFault(QStringLiteral("Наклон линии тренда равен нулю: коэффициент "
                                           "продуктивности не определён"));
    if (kind == LinearTrend && !std::isfinite(sign / c[1]))
        throw AnalysisFault(QStringLiteral("Наклон линии тренда слишком мал: коэффициент "
                                           "продуктивности не определён"));
    // The composite model's J is the productivity coefficient of its straight part.
    const double coefficient = kind == LinearTrend      ? sign / c[1]
                               : kind == CompositeModel ? c[1]
                                                        : 0;
    if (slot == 1) {
        s.ProductivityIndex = coefficient;
        if (coefficientCount(kind) > 0)
            s.ReservoirPressure = c[coefficientCount(kind)];
    } else if (slot == 2) {
        s.SecondProductivityIndex = coefficient;
    }
}

double trendRSquared(const AnalysisState& s, const std::vector<double>& fitted,
                     SpreadsheetFitService& fits) {
    std::vector<double> measured;
    for (int i = 1; i <= s.fitPointCount(); ++i)
        measured.push_back(s.FitPressures[i]);
    const auto [low, high] = std::minmax_element(fitted.begin(), fitted.end());
    const bool flatTrend = !fitted.empty() && *low == *high;
    const bool flatData = flatTrend && std::all_of(measured.begin(), measured.end(),
                                                   [&](double p) { return p == measured.front(); });
    // A flat trend through scattered points explains none of their spread: R² is 0, although
    // the correlation itself is undefined.
    if (flatTrend && !flatData)
        return 0;
    const double r = fits.correlation(measured, fitted);
    return r * r;
}

} // namespace id
