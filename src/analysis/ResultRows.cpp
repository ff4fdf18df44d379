#include "analysis/ResultRows.h"

#include "analysis/BreakSearch.h"

#include "state/NumberText.h"
#include "state/TrendMath.h"

#include <algorithm>

#include <cmath>

namespace id {

namespace {

QString firstCoefficientCaption(const AnalysisState& s) {
    const bool injection = s.WellType == InjectionWell;
    // Numbered while a second coefficient is shown, also after a selection started over.
    if (s.TrendCount == 2 || s.SecondProductivityIndex > 0)
        return injection ? QStringLiteral("Коэф.приемистости 1, м3/(сут*МПа)")
                         : QStringLiteral("Коэф.продуктивности 1, м3/(сут*МПа)");
    return injection ? QStringLiteral("Коэф.приемистости, м3/(сут*МПа)")
                     : QStringLiteral("Коэф.продуктивности, м3/(сут*МПа)");
}

// What the standing inflow models give beyond the reservoir pressure and J: the open flow, and
// Fetkovich's exponent. A second model's rows are numbered.
void addModelRows(const AnalysisState& s, std::vector<ResultRow>& rows) {
    int models = 0;
    for (int slot = 1; slot <= std::min<int>(s.TrendCount, 2); ++slot) {
        const TrendRecord& t = s.trend(slot);
        if (!isInflowModelKind(t.Kind) || t.Coefficients.size() != coefficientCount(t.Kind))
            continue;
        const QString number = ++models == 2 ? QStringLiteral(" 2") : QString();
        const double openFlow =
            modelRate(inflowModelOfKind(t.Kind), t.Coefficients.values(), t.SaturationPressure, 0);
        rows.push_back({QStringLiteral("Максимальный дебит%1 (Pз = 0), м3/сут").arg(number),
                        formatResult(openFlow, 2)});
        if (t.Kind == FetkovichModel)
            rows.push_back({QStringLiteral("Показатель n%1 (Феткович)").arg(number),
                            formatResult(t.Coefficients[2], 3)});
    }
}

} // namespace

// A value beyond what a double holds to its last shown decimal is written in exponent form, so
// it stays readable in its cell instead of running to twenty meaningless digits.
QString formatResult(double value, int decimals) {
    if (std::abs(value) >= 1e15)
        return formatScientific(value, 4);
    return formatFixed(value, decimals);
}

std::optional<double> estimateValue(const AnalysisState& s) {
    const FormationInputs& f = s.Inputs;
    if (!(s.ProductivityIndex > 0))
        return std::nullopt;
    double estimate = 0;
    if (s.Estimation == EstimationMode::TransmissibilityFromSkin)
        // The constants are the ones the method is published with: 3.14, not pi.
        estimate = ((f.SkinFactor + std::log(f.DrainageRadius / f.WellRadius)) *
                    s.ProductivityIndex / 2 / 3.14) *
                   1.1574;
    else if (s.Estimation == EstimationMode::SkinFromTransmissibility)
        estimate = f.Transmissibility * 6.28 * 0.864 / s.ProductivityIndex -
                   std::log(f.DrainageRadius / f.WellRadius);
    else
        return std::nullopt;
    return std::isfinite(estimate) ? std::optional(estimate) : std::nullopt;
}

std::vector<ResultRow> resultRows(const AnalysisState& s) {
    std::vector<ResultRow> rows;
    if (s.ProductivityIndex > 0)
        rows.push_back({firstCoefficientCaption(s), formatResult(s.ProductivityIndex, 2)});
    if (s.ReservoirPressure > 0)
        rows.push_back(
            {QStringLiteral("Пластовое давление, МПа"), formatResult(s.ReservoirPressure, 2)});
    if (s.SecondProductivityIndex > 0)
        rows.push_back({s.WellType == InjectionWell
                            ? QStringLiteral("Коэф.приемистости 2, м3/(сут*МПа)")
                            : QStringLiteral("Коэф.продуктивности 2, м3/(сут*МПа)"),
                        formatResult(s.SecondProductivityIndex, 2)});
    if (const std::optional<double> estimate = estimateValue(s))
        rows.push_back({s.Estimation == EstimationMode::TransmissibilityFromSkin
                            ? QStringLiteral("Гидропроводность, Д*см/сПз")
                            : QStringLiteral("Скин-эффект"),
                        formatResult(*estimate, 1)});
    if (s.AllowedBottomholePressure > 0)
        rows.push_back({QStringLiteral("Предельно-допустимое Pз, МПа"),
                        formatResult(s.AllowedBottomholePressure, 2)});
    if (s.Break) {
        if (allowedPressureFromBreak(s)) {
            const auto [low, high] = s.Break->Fit.pressureInterval();
            rows.push_back({QStringLiteral("Интервал Pз (95 %), МПа"),
                            formatResult(low, 2) + QStringLiteral(" … ") + formatResult(high, 2)});
        }
        rows.push_back({QStringLiteral("Значимость излома"), breakSignificanceText(s.Break->Test)});
    }
    addModelRows(s, rows);
    return rows;
}

void UpdateResultsTable(AnalysisState& s) {
    if (const std::optional<double> estimate = estimateValue(s)) {
        if (s.Estimation == EstimationMode::TransmissibilityFromSkin)
            s.Inputs.Transmissibility = *estimate;
        else
            s.Inputs.SkinFactor = *estimate;
    }
    s.ResultsShown = !resultRows(s).empty();
}

} // namespace id
