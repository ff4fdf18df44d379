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

// A value beyond what a double holds to its last shown decimal is written in exponent form, so
// it stays readable in its cell instead of running to twenty meaningless digits.
QString formatResult(double value, int decimals) {
    if (std::abs(value) >= 1e15)
        return formatScientific(value, 4);
    return formatFixed(value, decimals);
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

std::vector<ResultRow> computeResultRows(AnalysisState& s) {
    const EstimationMode mode = s.Estimation;
    FormationInputs& f = s.Inputs;
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
    // An estimate that overflows (from a productivity coefficient beyond any well's) is not
    // shown or kept: "inf" is no value to read off a table.
    if (mode == EstimationMode::TransmissibilityFromSkin) {
        if (s.ProductivityIndex > 0) {
            // The constants are the ones the method is published with: 3.14, not pi.
            const double estimate = ((f.SkinFactor + std::log(f.DrainageRadius / f.WellRadius)) *
                                     s.ProductivityIndex / 2 / 3.14) *
                                    1.1574;
            if (std::isfinite(estimate)) {
                f.Transmissibility = estimate;
                rows.push_back({QStringLiteral("Гидропроводность, Д*см/сПз"),
                                formatResult(f.Transmissibility, 1)});
            }
        }
    } else if (mode == EstimationMode::SkinFromTransmissibility && s.ProductivityIndex > 0) {
        const double estimate = f.Transmissibility * 6.28 * 0.864 / s.ProductivityIndex -
                                std::log(f.DrainageRadius / f.WellRadius);
        if (std::isfinite(estimate)) {
            f.SkinFactor = estimate;
            rows.push_back({QStringLiteral("Скин-эффект"), formatResult(f.SkinFactor, 1)});
        }
    }
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

void refreshResultRows(AnalysisState& s) {
    if (s.ResultsShown)
        s.ResultRows = computeResultRows(s);
}

void UpdateResultsTable(AnalysisState& s) {
    s.ResultRows = computeResultRows(s);
    s.ResultsShown = !s.ResultRows.empty();
}

} // namespace id
