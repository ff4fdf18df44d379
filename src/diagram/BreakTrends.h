#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

namespace id {

// "Излом (две прямые) автоматически": the exact break of the fit set, its two lines in slots 1
// and 2, its pressure the allowed bottom-hole pressure, its significance tested. Data that make
// no break end the command with the reason.
void addBreakTrends(AnalysisState& state, CommandContext& context);

// A line's R² on its own points: 1 − RSS/TSS, 1 for points on a flat line.
double lineRSquared(const OneBasedArray<double>& rates, const OneBasedArray<double>& pressures,
                    const Coefficients& line);

} // namespace id
