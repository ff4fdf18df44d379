#pragma once

#include "diagram/TickRule.h"

#include <QPointF>
#include <functional>

namespace id {

class PictureSurface;

// One axis of a chart: tick marks on the plot surface and labels on the canvas around it, by
// the common tick rule. The chart says where a mark goes and where a label's text starts.
struct AxisPainter {
    double low = 0;
    double high = 0;
    double intervals = 0;
    // Draws the mark of an inner tick on the plot.
    std::function<void(double value)> mark;
    // Top-left corner of a label on the canvas, given its text width and height.
    std::function<QPointF(const AxisTick& tick, double width, double height)> place;
    // A label that would collide with something else is left out; its mark stays.
    std::function<bool(const QPointF& at, double width, double height)> skip;

    void paint(PictureSurface& canvas) const;
};

} // namespace id
