#include "diagram/RedrawPipeline.h"

#include "analysis/AllowedPressureSearch.h"
#include "analysis/FormationInputs.h"
#include "analysis/ResultsTable.h"
#include "app/AppContext.h"
#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "charts/PiChartRenderer.h"
#include "diagram/AxisRounding.h"
#include "diagram/IndicatorDiagramRenderer.h"
#include "diagram/TrendFit.h"
#include "state/AnalysisFault.h"
#include "state/AnalysisState.h"

#include <QAction>
#include <QCheckBox>

namespace id {

namespace {

void loadSlot(AnalysisState& s, int slot) {
    const bool first = slot == 1;
    s.FitRateFrom = first ? s.FirstTrendRateFrom : s.SecondTrendRateFrom;
    s.FitRateTo = first ? s.FirstTrendRateTo : s.SecondTrendRateTo;
    s.CurrentTrendKind = first ? s.FirstTrendKind : s.SecondTrendKind;
    s.CurrentTrendCoefficients = first ? s.FirstTrendCoefficients : s.SecondTrendCoefficients;
    s.TrendCount = static_cast<std::int16_t>(slot);
}

// The trend being fitted failed: it does not stand on the diagram, so none of its results may
// stay on screen.
void dropFailedTrend(AppContext& ctx) {
    AnalysisState& s = ctx.state;
    if (s.TrendCount == 2) {
        s.SecondTrendKind = NoTrend;
        s.SecondTrendCoefficients.clear();
        s.SecondProductivityIndex = 0;
        s.SecondTrendRSquared = 0;
        loadSlot(s, 1);
    } else {
        resetResults(s);
        ResetTrends(s);
    }
    UpdateResultsTable(ctx);
}

void fitAndDerive(AppContext& ctx) {
    AnalysisState& s = ctx.state;
    try {
        fitCurrentTrend(s, ctx.fits);
        deriveTrendResults(s);
        UpdateResultsTable(ctx);
        computeTrendRSquared(s, ctx.fits);
    } catch (const AnalysisFault&) {
        dropFailedTrend(ctx);
        throw;
    }
}

void storeTrend(AnalysisState& s) {
    if (s.TrendCount == 1) {
        s.FirstTrendKind = s.CurrentTrendKind;
        s.FirstTrendCoefficients = s.CurrentTrendCoefficients;
        s.FirstTrendCoefficients.resize(s.CurrentTrendKind);
        s.FirstTrendRateFrom = s.FitRateFrom;
        s.FirstTrendRateTo = s.FitRateTo;
    } else if (s.TrendCount == 2) {
        s.SecondTrendKind = s.CurrentTrendKind;
        s.SecondTrendCoefficients = s.CurrentTrendCoefficients;
        s.SecondTrendCoefficients.resize(s.CurrentTrendKind);
        s.SecondTrendRateFrom = s.FitRateFrom;
        s.SecondTrendRateTo = s.FitRateTo;
    }
}

void allowedPressureStep(AppContext& ctx) {
    AnalysisState& s = ctx.state;
    const bool manual = ctx.form.Check1->isChecked();
    const bool automatic = ctx.form.Check2->isChecked();
    const auto refresh = [&ctx] { UpdateResultsTable(ctx); };
    if (s.WellType == InjectionWell && !manual && automatic && s.TrendCount == 2)
        FindAllowedPressureFromTrends(s, ctx.messages, refresh);
    if (s.AllowedBottomholePressure == 0 && s.WellType == ProducingWell && !manual && automatic)
        FindAllowedPressureFromFit(s, ctx.fits, ctx.messages, refresh);
}

void growPiAxisForSecondTrend(AppContext& ctx) {
    AnalysisState& s = ctx.state;
    if (s.TrendCount != 2 || !(s.PiAxisYTop < s.SecondProductivityIndex))
        return;
    s.PiAxisYTop = RoundUpAxisMax(s.SecondProductivityIndex);
    s.ReplayingPiTrends = true;
    loadSlot(s, 1);
    RedrawPiChart(ctx);
    loadSlot(s, 2);
    RedrawPiChart(ctx);
    s.ReplayingPiTrends = false;
}

} // namespace

void RedrawIndicatorDiagram(AppContext& ctx) {
    AnalysisState& s = ctx.state;
    WorkWindow& f = ctx.form;
    checkFormationInputsOfForm(ctx);

    // A second trend, fitted or replayed, is drawn over the first one.
    if (s.TrendCount < 2)
        drawIndicatorDiagram(s, *f.Picture3, *f.Picture4);

    if (s.TrendCount > 0) {
        // Replays draw the stored coefficients without fitting again.
        if (!s.ReplayingIdTrends)
            fitAndDerive(ctx);
        drawTrendOnDiagram(s, ctx.menus.mTrendAddSelectPoint->isChecked(), *f.Picture4);
        if (s.StopAfterTrendLabel)
            return;
        storeTrend(s);
        RedrawPiChart(ctx);
    }

    allowedPressureStep(ctx);
    growPiAxisForSecondTrend(ctx);
}

} // namespace id
