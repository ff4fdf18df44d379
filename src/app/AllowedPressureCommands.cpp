#include "app/AllowedPressureCommands.h"

#include "analysis/EstimationModes.h"
#include "analysis/ResultRows.h"
#include "diagram/RedrawPipeline.h"

namespace id {

void tickAllowedPressureBox(AnalysisState& s, CommandContext& ctx, int box, bool ticked) {
    (box == 1 ? s.ManualPick : s.AutoSearch) = ticked;
    if (!ticked) {
        s.AllowedBottomholePressure = 0;
        UpdateResultsTable(s);
        return;
    }
    if (box == 1 ? s.AutoSearch : s.ManualPick) {
        ctx.messages << QStringLiteral("Выбирите один способ определения предельно-допустимого Pз");
        return;
    }
    if (box == 1)
        return; // manual picks are accepted from now on
    resetResults(s);
    s.AllowedBottomholePressure = 0;
    ResetTrends(s);
    s.ResultsShown = false;
    s.PiChartShown = false;
    RedrawIndicatorDiagram(s, ctx);
}

bool picksAllowedPressure(const AnalysisState& s, int button, int shift) {
    constexpr int RightButton = 2;
    constexpr int ShiftOnly = 1;
    return button == RightButton && shift == ShiftOnly && s.ManualPick && !s.AutoSearch;
}

void pickAllowedPressure(AnalysisState& s, int button, int shift, double pressure) {
    if (picksAllowedPressure(s, button, shift)) {
        s.AllowedBottomholePressure = pressure;
        UpdateResultsTable(s);
    }
}

} // namespace id
