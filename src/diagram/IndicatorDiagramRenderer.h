#pragma once

namespace id {

class PictureSurface;
struct AnalysisState;

// Draws the indicator diagram from the analysis state: point markers, both axes with their
// ticks, labels and titles, and the saturation-pressure line. Picture3 is the canvas around the
// plot area Picture4. An axis whose limits coincide ends the drawing before anything is
// cleared, with a message for the user.
void drawIndicatorDiagram(const AnalysisState& state, PictureSurface& picture3,
                          PictureSurface& picture4);

// Draws the current trend's curve over the diagram, with its equation and R² label.
void drawTrendOnDiagram(const AnalysisState& state, bool selectionMode, PictureSurface& picture4);

} // namespace id
