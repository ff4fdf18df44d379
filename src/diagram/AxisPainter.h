#pragma once

#include "diagram/AxisPlacement.h"

#include <QPointF>
#include <functional>

namespace id {

class PictureSurface;

// One axis of a chart: tick marks on the plot surface and labels on the canvas around it, by
// the common tick rule, the labels placed by the side of the plot the axis runs along. The chart
// says how a mark is drawn.
struct AxisPainter {
    double low = 0;
    double high = 0;
    double intervals = 0;
    AxisFrame frame;
    // Draws the mark of an inner tick on the plot.
    std::function<void(double value)> mark;
    // A label that would collide with something else is left out; its mark stays.
    std::function<bool(const QPointF& at, double width, double height)> skip;

    void paint(PictureSurface& canvas) const;
};

} // namespace id
