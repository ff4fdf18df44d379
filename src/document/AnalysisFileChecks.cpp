#include "document/AnalysisFileChecks.h"

#include "analysis/InflowModels.h"
#include "diagram/BreakTrends.h"
#include "diagram/TickRule.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/AnalysisFault.h"
#include "state/TrendMath.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace id::analysisfile {

namespace {

bool agrees(double stored, double derived) {
    return std::abs(stored - derived) <= 1e-9 * std::max(std::abs(stored), std::abs(derived));
}

// What the file says it computed must be what its own data give: each trend the least squares of
// its points, the first trend's results its own. Why not, if not (a hand-edited file).
// A trend is the least squares of its own points, and says what they give: the coefficient of a
// line, R². Files of the first version kept no points: their trends cannot be checked.
// A model is fitted again as it was: to its points, with its Pнас and, if given, its Pпл.
std::optional<QString> modelProblem(TrendRecord& t, bool keepFit) {
    InflowModelInputs in{inflowModelOfKind(t.Kind), t.Rates.values(), t.Pressures.values(),
                         std::nullopt, t.SaturationPressure};
    if (t.ReservoirGiven)
        in.reservoirPressure = t.Coefficients[t.Coefficients.size()];
    InflowFitResult refit = fitInflowModel(in);
    if (!refit.fit)
        return QStringLiteral("не может быть построена по своим точкам");
    // An iterative fit made elsewhere (another build, other rounding) stops a little apart:
    // parameters within a millionth of their standard error are the same fit.
    const std::vector<double> values = refit.fit->values();
    for (int k = 1; k <= t.Coefficients.size(); ++k) {
        const InflowParameter& p = refit.fit->parameters[static_cast<std::size_t>(k - 1)];
        if (!agrees(t.Coefficients[k], p.value) &&
            !(std::abs(t.Coefficients[k] - p.value) <= 1e-6 * p.standardError))
            return QStringLiteral("не соответствует своим точкам");
    }
    if (!agrees(t.Coefficient, t.Kind == CompositeModel ? t.Coefficients[1] : 0))
        return QStringLiteral("указывает не свой коэффициент продуктивности");
    if (!(std::abs(t.RSquared - refit.fit->rSquared) <= 1e-6))
        return QStringLiteral("указывает не свой R²");
    if (keepFit) {
        t.Statistics = SharedFitStatistics(refit.fit->statistics);
        refit.fit->statistics = *t.Statistics.get();
        t.Model.value = std::make_shared<const InflowFit>(std::move(*refit.fit));
    }
    return std::nullopt;
}

// The fit made for the check gives the trend its statistics (with keepFit).
std::optional<QString> trendProblem(TrendRecord& t, int wellType, bool pointsKept,
                                    bool keepFit = false) {
    if (t.Kind == NoTrend)
        return std::nullopt;
    // Models came after the points were kept: one without them is no model of the program's.
    if (t.Rates.size() < coefficientCount(t.Kind))
        return pointsKept || isInflowModelKind(t.Kind)
                   ? std::optional(QStringLiteral("без точек, по которым она построена"))
                   : std::nullopt;
    if (isInflowModelKind(t.Kind))
        return modelProblem(t, keepFit);
    // A break's line is fitted with the other one: it says what it gives on its own points.
    if (t.Joined) {
        const double sign = wellType == ProducingWell ? -1 : 1;
        if (t.Kind != LinearTrend || !agrees(t.Coefficient, sign / t.Coefficients[1]))
            return QStringLiteral("указывает не свой коэффициент продуктивности");
        if (!(std::abs(t.RSquared - lineRSquared(t.Rates, t.Pressures, t.Coefficients)) <= 1e-9))
            return QStringLiteral("указывает не свой R²");
        return std::nullopt;
    }
    SpreadsheetFitService::PolynomialFit fit;
    try {
        fit = LeastSquaresFitService().fit(t.Rates.values(), t.Pressures.values(), t.Kind - 1);
    } catch (const AnalysisFault&) {
        return QStringLiteral("не может быть построена по своим точкам");
    }
    for (int k = 1; k <= t.Kind; ++k)
        if (!agrees(t.Coefficients[k], fit.coefficients[static_cast<std::size_t>(k - 1)]))
            return QStringLiteral("не соответствует своим точкам");
    const double sign = wellType == ProducingWell ? -1 : 1;
    if (!agrees(t.Coefficient, t.Kind == LinearTrend ? sign / t.Coefficients[1] : 0))
        return QStringLiteral("указывает не свой коэффициент продуктивности");
    const double rSquared = fit.statistics ? fit.statistics->rSquared : 1;
    if (!(std::abs(t.RSquared - rSquared) <= 1e-9))
        return QStringLiteral("указывает не свой R²");
    if (keepFit && fit.statistics)
        t.Statistics = SharedFitStatistics(std::move(*fit.statistics));
    return std::nullopt;
}

} // namespace

// Files of the first version kept no trend's points. A polynomial trend gets those it was made
// from when that is determined: the fit set, or else all the measured points, whose least squares
// is the trend. Otherwise it stays without them, and the analysis cannot be saved as it is.
void rebuildFirstVersionPoints(TrendRecord& t, const AnalysisState& s) {
    if (!isPolynomialKind(t.Kind) || t.Rates.size() > 0)
        return;
    for (const auto& [rates, pressures] :
         {std::pair{&s.FitRates, &s.FitPressures},
          std::pair{&s.Measurements.rates(), &s.Measurements.pressures()}}) {
        if (rates->size() < coefficientCount(t.Kind))
            continue;
        SpreadsheetFitService::PolynomialFit fit;
        try {
            fit = LeastSquaresFitService().fit(rates->values(), pressures->values(), t.Kind - 1);
        } catch (const AnalysisFault&) {
            continue;
        }
        bool same = true;
        for (int k = 1; k <= t.Kind; ++k)
            same = same && agrees(t.Coefficients[k], fit.coefficients[std::size_t(k - 1)]);
        if (same) {
            t.Rates = *rates;
            t.Pressures = *pressures;
            return;
        }
    }
}

// What the file says it computed must be what its own data give: each trend (and each kept on
// the PI chart) its points' least squares, the results its trends'. Why not, if not (a
// hand-edited file).
std::optional<QString> disagreement(AnalysisState& s, bool pointsKept) {
    for (int slot = 1; slot <= 2; ++slot) {
        if (const auto problem = trendProblem(s.trend(slot), s.WellType, pointsKept, true))
            return QStringLiteral("линия тренда %1 %2").arg(slot).arg(*problem);
        if (slot <= s.TrendCount && s.trend(slot).Kind == NoTrend)
            return QStringLiteral("линия тренда %1 отсутствует").arg(slot);
        if (s.PiChartKept)
            if (const auto problem =
                    trendProblem(slot == 1 ? s.PiChartKept->FirstTrend : s.PiChartKept->SecondTrend,
                                 s.WellType, pointsKept))
                return QStringLiteral("линия тренда %1 графика PI-Q %2").arg(slot).arg(*problem);
    }
    const double sign = s.WellType == ProducingWell ? -1 : 1;
    const auto index = [&](const TrendRecord& t) {
        return t.Kind == LinearTrend      ? sign / t.Coefficients[1]
               : t.Kind == CompositeModel ? t.Coefficients[1]
                                          : 0;
    };
    const TrendRecord& first = s.FirstTrend;
    if (s.TrendCount >= 1 &&
        (!agrees(s.ProductivityIndex, index(first)) ||
         !agrees(s.ReservoirPressure, first.Coefficients[coefficientCount(first.Kind)])))
        return QStringLiteral("результаты не соответствуют первой линии тренда");
    if (s.TrendCount == 2 && !agrees(s.SecondProductivityIndex, index(s.SecondTrend)))
        return QStringLiteral("результаты не соответствуют второй линии тренда");
    if (s.Break) {
        const BreakFit& f = s.Break->Fit;
        if (s.TrendCount != 2 || !s.FirstTrend.Joined || !s.SecondTrend.Joined ||
            !agrees(s.FirstTrend.Coefficients[1], f.slope) ||
            !agrees(s.FirstTrend.Coefficients[2], f.intercept) ||
            !agrees(s.SecondTrend.Coefficients[1], f.secondSlope()) ||
            !agrees(s.SecondTrend.Coefficients[2], f.secondIntercept()))
            return QStringLiteral("излом не соответствует своим линиям");
    }
    // A counted line of a break stands only with its break.
    for (int slot = 1; slot <= s.TrendCount; ++slot)
        if (s.trend(slot).Joined && !s.Break)
            return QStringLiteral("линия тренда %1 — линия излома без излома").arg(slot);
    if (s.AllowedBottomholePressure > 0 && !s.ManualPick && !s.AutoSearch &&
        !allowedPressureFromBreak(s))
        return QStringLiteral("предельно-допустимое Pз указано без способа его определения");
    return std::nullopt;
}

// A shown chart must be one the program could draw: why one could not be, if so.
std::optional<QString> undrawableAxis(const AnalysisState& s) {
    if (s.DiagramShown) {
        if (axisFault(s.IdAxisXMin, s.IdAxisXMax, "X", "ИД"))
            return QStringLiteral("ось дебита диаграммы не может быть построена");
        if (axisFault(s.IdAxisYBottom, s.IdAxisYTop, "Y", "ИД"))
            return QStringLiteral("ось давления диаграммы не может быть построена");
    }
    if (s.PiChartKept && s.PiChartShown && s.TrendCount == 0) {
        const KeptPiChart& k = *s.PiChartKept;
        if (axisFault(k.PiAxisXMin, k.PiAxisXMax, "X", "PI-Q") ||
            axisFault(k.PiAxisYBottom, k.PiAxisYTop, "Y", "PI-Q"))
            return QStringLiteral("ось графика PI-Q не может быть построена");
    }
    if (s.PiChartShown) {
        if (axisFault(s.PiAxisXMin, s.PiAxisXMax, "X", "PI-Q"))
            return QStringLiteral("ось дебита графика PI-Q не может быть построена");
        if (axisFault(s.PiAxisYBottom, s.PiAxisYTop, "Y", "PI-Q"))
            return QStringLiteral("ось графика PI-Q не может быть построена");
    }
    return std::nullopt;
}

} // namespace id::analysisfile
