#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

namespace id {

// A click that ticks or unticks box 1 ("Ручной выбор…") or box 2 ("Автопоиск…").
void tickAllowedPressureBox(AnalysisState& state, CommandContext& context, int box, bool ticked);

// Whether a mouse press on the plot picks the allowed pressure: the right button with Shift
// alone, while manual choice is on (and the automatic search off).
bool picksAllowedPressure(const AnalysisState& state, int button, int shift);
// A mouse press on the plot: when it picks, the pressure under the pointer becomes the allowed
// pressure.
void pickAllowedPressure(AnalysisState& state, int button, int shift, double pressure);

} // namespace id
