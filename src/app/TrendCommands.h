#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

namespace id {

// The commands on the trend lines by all points: adding one, the selection mode, taking them off.

// "Линейная", "Полиномиальная 2-й степени", "Полиномиальная 3-й степени": kind 2, 3, 4
void addTrendByAllPoints(AnalysisState& state, CommandContext& context, int kind);
// "Линии тренда по выбранным точкам"
void toggleSelectionMode(AnalysisState& state, CommandContext& context);
// "Удалить линию тренда"
void deleteTrends(AnalysisState& state, CommandContext& context);

// The trend of a slot fitted again to the points given, over its own rates; the others stand.
void refitSlot(AnalysisState& state, CommandContext& context, int slot, OneBasedArray<double> rates,
               OneBasedArray<double> pressures);

} // namespace id
