#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

#include <utility>

namespace id {

// The axes the range dialog sets: the diagram's rate and pressure axes, the PI chart's index axis.
enum class AxisChoice { DiagramRate, DiagramPressure, PiIndex };

// The axis's limits as the axis dialog shows them, the lower first (for a pressure axis whichever
// edge of the screen it is on).
std::pair<double, double> axisRange(const AnalysisState& state, AxisChoice axis);

// The dialog's OK: the axis from lo to hi (lo below hi, the lower pressure first), or with
// automatic set from the measurements, rounded up. The diagram is rebuilt as after any command;
// with two trends on it they are redrawn from their stored coefficients, never refitted. The PI
// chart keeps its index axis but for the PI dialog's change.
void setAxisRange(AnalysisState& state, CommandContext& context, AxisChoice axis, double lo,
                  double hi, bool automatic);

} // namespace id
