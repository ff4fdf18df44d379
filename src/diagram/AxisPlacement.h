#pragma once

#include "diagram/TickRule.h"

#include <QPointF>

namespace id {

// Where an axis stands on its chart's canvas, in twips: the plot area's place and size on the
// canvas, and the side of the plot the axis runs along.
struct AxisFrame {
    enum Side { Bottom, Top, Left };
    Side side = Bottom;
    double plotLeft = 0;
    double plotTop = 0;
    double plotWidth = 0;
    double plotHeight = 0;
    // A left axis whose values grow down the plot (an injection well's pressure).
    bool downwards = false;
    // A range of 1 or less puts its inner label in the middle of the axis.
    bool middleForNarrowRange = false;
};

// The top-left corner of a tick's label (of the given text size) beside the axis from low to
// high: the end labels flush with the plot's corners, an inner one centred on its tick.
QPointF axisLabelPlace(const AxisFrame& frame, double low, double high, const AxisTick& tick,
                       double width, double height);

} // namespace id
