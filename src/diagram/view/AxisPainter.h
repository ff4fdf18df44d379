#pragma once

#include "diagram/AxisPlacement.h"

#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <functional>
#include <vector>

namespace id {

class PictureSurface;

// An axis's title, at the canvas corner where the axis ends: right-aligned at the canvas's edge
// beside a horizontal axis, at the top left (bottom left for one that grows downwards) for a left
// axis, or written as a fraction there.
struct AxisTitle {
    // Its lines in reading order (one beside a horizontal axis).
    QStringList lines;
    // A superscript "3" over a unit's cubed metres: it stands this text's width from the end of
    // a horizontal title, or after the fraction's numerator.
    QString cubedTail;
    // A left title written as a fraction: the first line, then the second over the third with a
    // rule between.
    bool fraction = false;
};

// One axis of a chart: tick marks on the plot surface, labels and the title on the canvas around
// it, by the common tick rule, all placed by the side of the plot the axis runs along. The chart
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
    AxisTitle title;

    void paint(PictureSurface& canvas) const;
    // Where the title's lines print on the canvas.
    std::vector<QRectF> titleBoxes(PictureSurface& canvas) const;

private:
    void paintTitle(PictureSurface& canvas) const;
    void paintFraction(PictureSurface& canvas) const;
};

} // namespace id
