#pragma once

namespace id {

struct AppContext;

// Brings the diagram, the current trend, the results, the PI chart and the automatic
// allowed-pressure search up to date with the analysis state, in a fixed order. The caller
// chooses the mode through TrendCount and the redraw flags. A fault ends it: a trend whose fit
// or coefficient failed is taken off again (so no result of it is shown) and the fault passes
// on to the command.
void RedrawIndicatorDiagram(AppContext& context);

} // namespace id
