#include "diagram/AxisPainter.h"

#include "platform/PictureSurface.h"

namespace id {

void AxisPainter::paint(PictureSurface& canvas) const {
    for (const AxisTick& tick : axisTicks(low, high, intervals)) {
        const double width = canvas.TextWidth(tick.label);
        const double height = canvas.TextHeight(tick.label);
        if (tick.hasMark)
            mark(tick.value);
        const QPointF at = axisLabelPlace(frame, low, high, tick, width, height);
        if (skip && skip(at, width, height))
            continue;
        canvas.CurrentX = at.x();
        canvas.CurrentY = at.y();
        canvas.Print(tick.label);
    }
}

} // namespace id
