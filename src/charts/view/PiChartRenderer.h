#pragma once

#include "diagram/ChartInputs.h"

namespace id {

class PictureSurface;

// Draws the productivity-index chart of the analysis whole: the index and rate axes with their
// labels and titles, and the index curve of every trend on the diagram. Picture7 is the canvas
// around the plot area Picture8.
void RedrawPiChart(const PiChartInputs& state, PictureSurface& picture7, PictureSurface& picture8);
// Its two parts: the cleared chart with its axes, then the curves over it.
void drawPiChartAxes(const PiChartInputs& state, PictureSurface& picture7,
                     PictureSurface& picture8);
void drawPiChartCurves(const PiChartInputs& state, PictureSurface& picture8);

} // namespace id
