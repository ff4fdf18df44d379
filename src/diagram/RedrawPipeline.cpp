#include "diagram/RedrawPipeline.h"

#include "analysis/AllowedPressureSearch.h"
#include "analysis/FormationInputCheck.h"
#include "analysis/ResultRows.h"
#include "charts/PiChartMath.h"
#include "diagram/AxisRounding.h"
#include "diagram/TickRule.h"
#include "diagram/TrendFit.h"

namespace id {

namespace {

const QString PiChartName = QStringLiteral(" графика PI от Q");

// A PI chart whose axes cannot be drawn is not shown, with the reason; the trend and its results
// stand all the same.
void checkPiAxes(AnalysisState& s, CommandContext& ctx) {
    for (const std::optional<QString>& fault :
         {axisFault(s.PiAxisXMin, s.PiAxisXMax, QStringLiteral("X"), PiChartName),
          axisFault(s.PiAxisYBottom, s.PiAxisYTop, QStringLiteral("Y"), PiChartName)}) {
        if (fault && s.PiChartShown) {
            ctx.messages << *fault;
            s.PiChartShown = false;
        }
    }
}

} // namespace

void placePiChart(AnalysisState& s, CommandContext& ctx) {
    s.PiAxisYBottom = 0;
    s.PiAxisYTop = automaticPiAxisTop(s);
    // The trend's own index must not lie above the axis (it can, when the point that would have
    // set the axis lies on the reservoir pressure): the axis grows to take it, as it does for a
    // second trend.
    if (s.PiAxisYTop < s.ProductivityIndex)
        s.PiAxisYTop = RoundUpAxisMax(s.ProductivityIndex);
    s.PiAxisXMin = s.IdAxisXMin;
    s.PiAxisXMax = s.IdAxisXMax;
    s.PiChartShown = true;
    checkPiAxes(s, ctx);
}

namespace {

// The PI chart's axes after a first trend.
void setPiAxes(AnalysisState& s, CommandContext& ctx) {
    if (s.TrendCount == 1)
        placePiChart(s, ctx);
    else
        checkPiAxes(s, ctx);
}

void fitTrendOfSlot(AnalysisState& s, CommandContext& ctx) {
    const int slot = s.TrendCount;
    s.PiChartKept.reset();
    dropBreak(s);
    TrendRecord& trend = s.trend(slot);
    const bool model = isInflowModelKind(trend.Kind);
    const FittedTrend fit = model ? fitInflowTrend(s, trend.Kind, trend, ctx.messages)
                                  : fitTrend(s, trend.Kind, ctx.fits);
    deriveTrendResults(s, slot, trend.Kind, fit.coefficients);
    UpdateResultsTable(s);
    const double rSquared = model ? fit.rSquared : trendRSquared(s, fit.fitted, ctx.fits);
    trend.Coefficients = fit.coefficients;
    trend.RateFrom = s.FitRateFrom;
    trend.RateTo = s.FitRateTo;
    trend.RSquared = rSquared;
    trend.Coefficient = slot == 1 ? s.ProductivityIndex : s.SecondProductivityIndex;
    trend.Rates = s.FitRates;
    trend.Pressures = s.FitPressures;
    trend.Rates.resize(s.fitPointCount());
    trend.Pressures.resize(s.fitPointCount());
    trend.Statistics = fit.statistics;
    trend.Model = fit.model;
    trend.SaturationPressure = fit.saturationPressure;
    trend.ReservoirGiven = fit.reservoirGiven;
    trend.Joined = false;
    setPiAxes(s, ctx);
}

void allowedPressureStep(AnalysisState& s, CommandContext& ctx) {
    // A break gives the allowed pressure itself.
    const bool searching = !s.ManualPick && s.AutoSearch && !s.Break;
    if (s.WellType == InjectionWell && searching && s.TrendCount == 2)
        FindAllowedPressureFromTrends(s, ctx.messages);
    if (s.AllowedBottomholePressure == 0 && s.WellType == ProducingWell && searching)
        FindAllowedPressureFromFit(s, ctx.fits, ctx.messages);
}

} // namespace

void RedrawIndicatorDiagram(AnalysisState& s, CommandContext& ctx, bool refit) {
    CheckFormationInputs(s, ctx.messages);
    if (s.TrendCount > 0 && refit)
        fitTrendOfSlot(s, ctx);
    else if (s.TrendCount == 1 && s.FirstTrend.Kind != NoTrend && s.PiChartShown)
        setPiAxes(s, ctx);
    allowedPressureStep(s, ctx);
    // A second coefficient above the index axis makes the axis grow to take it.
    if (s.TrendCount == 2 && s.PiAxisYTop < s.SecondProductivityIndex) {
        s.PiAxisYTop = RoundUpAxisMax(s.SecondProductivityIndex);
        checkPiAxes(s, ctx);
    }
}

} // namespace id
