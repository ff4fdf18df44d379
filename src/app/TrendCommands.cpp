#include "app/TrendCommands.h"

#include "analysis/EstimationModes.h"
#include "analysis/ResultRows.h"
#include "diagram/RedrawPipeline.h"

#include <algorithm>

namespace id {

namespace {

// Takes every trend off, hides what showed them and rebuilds the diagram and the results.
void redrawWithoutTrends(AnalysisState& s, CommandContext& ctx) {
    ResetTrends(s);
    s.ResultsShown = false;
    s.PiChartShown = false;
    RedrawIndicatorDiagram(s, ctx);
    UpdateResultsTable(s);
}

} // namespace

// The trend of a slot fitted again to the points given, over its own rates; the others stand.
void refitSlot(AnalysisState& s, CommandContext& ctx, int slot, OneBasedArray<double> rates,
               OneBasedArray<double> pressures) {
    const int standing = s.TrendCount;
    s.FitRates = std::move(rates);
    s.FitPressures = std::move(pressures);
    s.FitRateFrom = s.trend(slot).RateFrom;
    s.FitRateTo = s.trend(slot).RateTo;
    s.TrendCount = static_cast<std::int16_t>(slot);
    RedrawIndicatorDiagram(s, ctx, true);
    s.TrendCount = static_cast<std::int16_t>(standing);
}

void addTrendByAllPoints(AnalysisState& s, CommandContext& ctx, int kind) {
    if (kind != LinearTrend)
        switchEstimationOffQuietly(s);
    s.TrendCount = 1;
    s.FirstTrend.Kind = static_cast<std::int16_t>(kind);
    // A model that stood beside the trend goes with its coefficient.
    s.SecondTrend = {};
    s.SecondProductivityIndex = 0;
    RedrawIndicatorDiagram(s, ctx);
}

void toggleSelectionMode(AnalysisState& s, CommandContext& ctx) {
    resetResults(s);
    if (s.WellType == InjectionWell)
        s.AllowedBottomholePressure = 0;
    if (s.SelectionMode) {
        s.SelectionMode = false;
        fitAllMeasurements(s);
        s.FitRateFrom = 0;
        double largest = 0;
        for (int i = 1; i <= s.measurementCount(); ++i)
            largest = std::max(largest, s.Measurements.rate(i));
        s.FitRateTo = largest;
    } else {
        s.SelectionMode = true;
    }
    redrawWithoutTrends(s, ctx);
}

void deleteTrends(AnalysisState& s, CommandContext& ctx) {
    resetResults(s);
    if (s.WellType == InjectionWell)
        s.AllowedBottomholePressure = 0;
    redrawWithoutTrends(s, ctx);
}

} // namespace id
