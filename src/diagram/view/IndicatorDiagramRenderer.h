#pragma once

#include "diagram/ChartInputs.h"

namespace id {

class PictureSurface;

// Draws the indicator diagram of the analysis: point markers, both axes with their ticks,
// labels and titles, and the saturation-pressure line. Picture3 is the canvas around the plot
// area Picture4.
void drawIndicatorDiagram(const ChartInputs& state, PictureSurface& picture3,
                          PictureSurface& picture4);

// Draws the trend of a slot over the diagram: its curve, equation and R² label (the second
// trend's label sits lower).
void drawTrendOnDiagram(const ChartInputs& state, int slot, PictureSurface& picture4);
// The 95 % interval of a break's pressure: a short upright bar on the break.
void drawBreakInterval(const ChartInputs& state, PictureSurface& picture4);

} // namespace id
