#include "diagram/view/AxisPainter.h"

#include "platform/view/PictureSurface.h"
#include "state/ChartStyle.h"

#include <algorithm>

namespace id {

std::vector<QRectF> AxisPainter::titleBoxes(PictureSurface& canvas) const {
    std::vector<QRectF> boxes;
    if (title.lines.isEmpty())
        return boxes;
    const double labelSize = canvas.fontSize();
    canvas.setFontSize(Style.ControlFontSize);
    const auto box = [&](const QString& line, double left, double top) {
        boxes.emplace_back(left, top, canvas.TextWidth(line), canvas.TextHeight(line));
    };
    if (title.fraction) {
        const QString& head = title.lines.value(0);
        const QString numerator = title.lines.value(1) + u' ';
        const QString& denominator = title.lines.value(2);
        const double headHeight = canvas.TextHeight(head);
        box(head, 0, 0);
        box(numerator, canvas.TextWidth(denominator) / 2 - canvas.TextWidth(numerator) / 2,
            headHeight);
        box(denominator, 0, headHeight + canvas.TextHeight(numerator));
    } else if (frame.side != AxisFrame::Left) {
        const QString& line = title.lines.front();
        box(line, canvas.widthTwips() - canvas.TextWidth(line),
            frame.side == AxisFrame::Top ? 0 : canvas.heightTwips() - canvas.TextHeight(line));
    } else {
        double height = 0;
        for (const QString& line : title.lines)
            height += canvas.TextHeight(line);
        double y = frame.downwards ? canvas.heightTwips() - height : 0;
        for (const QString& line : title.lines) {
            box(line, 0, y);
            y += canvas.TextHeight(line);
        }
    }
    canvas.setFontSize(labelSize);
    return boxes;
}

void AxisPainter::paint(PictureSurface& canvas) const {
    // A label that would print over the axis's own title is left out; its mark stays.
    const std::vector<QRectF> titled = titleBoxes(canvas);
    for (const AxisTick& tick : axisTicks(low, high, intervals)) {
        const double width = canvas.TextWidth(tick.label);
        const double height = canvas.TextHeight(tick.label);
        if (tick.hasMark)
            mark(tick.value);
        const QPointF at = axisLabelPlace(frame, low, high, tick, width, height);
        const QRectF label(at.x(), at.y(), width, height);
        if (std::any_of(titled.begin(), titled.end(),
                        [&](const QRectF& line) { return line.intersects(label); }) ||
            (skip && skip(at, width, height)))
            continue;
        canvas.CurrentX = at.x();
        canvas.CurrentY = at.y();
        canvas.Print(tick.label);
    }
    if (!title.lines.isEmpty())
        paintTitle(canvas);
}

void AxisPainter::paintTitle(PictureSurface& canvas) const {
    canvas.setFontSize(Style.ControlFontSize);
    if (title.fraction) {
        paintFraction(canvas);
    } else if (frame.side != AxisFrame::Left) {
        const QString& line = title.lines.front();
        const double right = canvas.widthTwips();
        const double y =
            frame.side == AxisFrame::Top ? 0 : canvas.heightTwips() - canvas.TextHeight(line);
        canvas.CurrentX = right - canvas.TextWidth(line);
        canvas.CurrentY = y;
        canvas.Print(line);
        if (!title.cubedTail.isEmpty()) {
            canvas.CurrentX = right - canvas.TextWidth(title.cubedTail);
            canvas.CurrentY = y;
            canvas.setFontSize(Style.SuperscriptFontSize);
            canvas.Print(QStringLiteral("3"));
        }
    } else if (frame.downwards) {
        // Stacked up from the bottom left corner, the last line lowest.
        double y = canvas.heightTwips();
        for (qsizetype i = title.lines.size() - 1; i >= 0; --i) {
            y -= canvas.TextHeight(title.lines[i]);
            canvas.CurrentX = 0;
            canvas.CurrentY = y;
            canvas.Print(title.lines[i]);
        }
    } else {
        double y = 0;
        for (const QString& line : title.lines) {
            canvas.CurrentX = 0;
            canvas.CurrentY = y;
            canvas.Print(line);
            y += canvas.TextHeight(line);
        }
    }
    canvas.setFontSize(Style.TickLabelFontSize);
}

void AxisPainter::paintFraction(PictureSurface& canvas) const {
    const QString& head = title.lines.value(0);
    const QString& numerator = title.lines.value(1);
    const QString& denominator = title.lines.value(2);
    const double headHeight = canvas.TextHeight(head);
    const double numeratorHeight = canvas.TextHeight(numerator);
    const double denominatorWidth = canvas.TextWidth(denominator);
    canvas.CurrentX = 0;
    canvas.CurrentY = 0;
    canvas.Print(head);
    canvas.CurrentX = denominatorWidth / 2 - canvas.TextWidth(numerator + u' ') / 2;
    canvas.CurrentY = headHeight;
    canvas.Print(numerator);
    canvas.Line(0, headHeight + numeratorHeight, denominatorWidth, headHeight + numeratorHeight,
                Style.TrendLineColor);
    canvas.CurrentX = 0;
    canvas.CurrentY = numeratorHeight + headHeight;
    canvas.Print(denominator);
    if (!title.cubedTail.isEmpty()) {
        const double numeratorWidth = canvas.TextWidth(numerator);
        canvas.setFontSize(Style.SuperscriptFontSize);
        canvas.CurrentX = numeratorWidth / 2 + denominatorWidth / 2;
        canvas.CurrentY = headHeight;
        canvas.Print(QStringLiteral("3"));
    }
}

} // namespace id
