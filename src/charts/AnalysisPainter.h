#pragma once

#include "diagram/ChartInputs.h"

namespace id {

class PictureSurface;

// The surfaces of the two charts: canvas and plot area of the diagram, then of the PI chart.
struct ChartSurfaces {
    PictureSurface& picture3;
    PictureSurface& picture4;
    PictureSurface& picture7;
    PictureSurface& picture8;
};

// Draws every chart the analysis shows, whole, from the analysis alone: the diagram with each
// trend on it, then the PI chart with each trend's curve. Charts not shown are left alone.
void drawAnalysis(const ChartInputs& state, const ChartSurfaces& surfaces);

} // namespace id
