#pragma once

#include <QSize>
#include <QSizeF>

namespace id {

// The work window's zoom: the steps "Крупнее" and "Мельче" go through, and the zoom that fits the
// whole layout into a window.
constexpr double MinZoom = 0.5;
constexpr double MaxZoom = 3.0;

// The next step above (below) the zoom; the zoom itself at the end of the steps. A zoom between
// steps (one that fitted a window) goes to its neighbour step.
double zoomedIn(double zoom);
double zoomedOut(double zoom);
// The largest zoom at which a layout of the design size (unrounded pixels) fits the available
// size whole, within the zoom's limits; 1 for an empty design.
double fittingZoom(QSize available, QSizeF design);
// A remembered zoom, or 1 when it is not a usable one.
double usableZoom(double zoom);

} // namespace id
