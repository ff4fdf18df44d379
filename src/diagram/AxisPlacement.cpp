#include "diagram/AxisPlacement.h"

namespace id {

namespace {

// How far along the axis the tick stands, from its low end, in twips.
double along(const AxisFrame& f, double low, double high, double value, double length) {
    if (f.middleForNarrowRange && !(high - low > 1))
        return length / 2;
    return (value - low) * length / (high - low);
}

} // namespace

QPointF axisLabelPlace(const AxisFrame& f, double low, double high, const AxisTick& tick,
                       double width, double height) {
    if (f.side != AxisFrame::Left) {
        double x = 0;
        switch (tick.place) {
        case AxisTick::Low:
            x = f.plotLeft;
            break;
        case AxisTick::Inner:
            x = along(f, low, high, tick.value, f.plotWidth) + f.plotLeft - width / 2;
            break;
        case AxisTick::High:
            x = f.plotLeft + f.plotWidth - width;
            break;
        }
        const double y =
            f.side == AxisFrame::Bottom ? f.plotTop + f.plotHeight : f.plotTop - height;
        return {x, y};
    }
    const double x = f.plotLeft - width;
    const double bottom = f.plotTop + f.plotHeight;
    double y = 0;
    switch (tick.place) {
    case AxisTick::Low:
        y = f.downwards ? f.plotTop : bottom - height;
        break;
    case AxisTick::Inner: {
        const double offset = along(f, low, high, tick.value, f.plotHeight);
        y = f.downwards ? f.plotTop + offset - height / 2 : bottom - offset - height / 2;
        break;
    }
    case AxisTick::High:
        y = f.downwards ? bottom - height : f.plotTop;
        break;
    }
    return {x, y};
}

} // namespace id
