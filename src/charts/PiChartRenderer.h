#pragma once

namespace id {

struct AppContext;

// Draws the productivity-index chart: the automatic index axis, the rate axis copied from the
// diagram, titles and the index curve of the current trend. With a second trend, or while the
// stored trends are replayed, only the curve is overlaid on what is drawn.
void RedrawPiChart(AppContext& context);

} // namespace id
