#include "app/ModelCommands.h"

#include "analysis/EstimationModes.h"
#include "analysis/InflowModels.h"
#include "app/TrendCommands.h"
#include "diagram/AxisRounding.h"
#include "diagram/RedrawPipeline.h"

namespace id {

// How far the rate axis stretches to show a model's open flow, as a multiple of its extent.
constexpr double MostOpenFlowAxisStretch = 3;

void addInflowModel(AnalysisState& s, CommandContext& ctx, int kind) {
    // Beside a break's line a model would stand on a half of it: it replaces the break.
    const int slot = s.Break ? 1 : s.TrendCount < 2 ? s.TrendCount + 1 : 2;
    if (slot == 1) {
        switchEstimationOffQuietly(s);
        s.SecondTrend = {};
        s.SecondProductivityIndex = 0;
    }
    s.TrendCount = static_cast<std::int16_t>(slot);
    s.trend(slot) = {};
    s.trend(slot).Kind = static_cast<std::int16_t>(kind);
    RedrawIndicatorDiagram(s, ctx);
    // The curve starts at Pпл: the pressure axis takes it in.
    const InflowFit* fit = s.trend(slot).Model.get();
    if (!fit || s.WellType != ProducingWell)
        return;
    if (fit->reservoirPressure() > s.IdAxisYTop)
        s.IdAxisYTop = RoundUpAxisMax(fit->reservoirPressure());
    // So does the rate axis its open flow, where that lies within reach of the points: an open
    // flow far beyond them would leave the points in a corner.
    const double openFlow = fit->openFlow.value;
    if (openFlow > s.IdAxisXMax && openFlow <= MostOpenFlowAxisStretch * s.IdAxisXMax)
        s.IdAxisXMax = RoundUpAxisMax(openFlow);
}

void refitInflowModels(AnalysisState& s, CommandContext& ctx) {
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        TrendRecord& t = s.trend(slot);
        if (!isInflowModelKind(t.Kind))
            continue;
        // Fitted anew, the model takes its Pпл from the box.
        t.Coefficients = {};
        refitSlot(s, ctx, slot, t.Rates, t.Pressures);
    }
}

} // namespace id
