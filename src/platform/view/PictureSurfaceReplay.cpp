#include "platform/view/PictureSurface.h"

#include "platform/Palette.h"
#include "state/ChartStyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

// Drawing the recorded operations again on any device: the screen, a copy, an export.
namespace id {

namespace {

// Markers beyond this many are exported as one picture.
constexpr std::ptrdiff_t VectorMarkersMost = 2000;

} // namespace

void PictureSurface::replayMarkers(QPainter& painter, const DrawOp& style,
                                   const std::vector<QPointF>& centres,
                                   const std::function<QPointF(double, double)>& at, double sx,
                                   MarkerReplay mode) const {
    const DrawOp* const first = &style;
    const QPen pen(paletteColor(first->color), penWidth(first->width));
    const QBrush brush =
        first->filled ? QBrush(paletteColor(Style.PointFillColor)) : QBrush(Qt::NoBrush);
    const double r = std::abs(first->radius * sx);
    const bool raster = painter.device()->devType() == QInternal::Image;
    // A few markers stay vector circles; beyond that they are one picture, made as the screen
    // makes its markers, at the device's resolution (at least twice the screen's on a
    // vector device): a file of a hundred thousand circles would be tens of megabytes that a
    // viewer redraws slowly, for the same look.
    if (mode == MarkerReplay::Circles ||
        (!raster && static_cast<std::ptrdiff_t>(centres.size()) <= VectorMarkersMost)) {
        painter.setPen(pen);
        painter.setBrush(brush);
        for (const QPointF& c : centres)
            painter.drawEllipse(at(c.x(), c.y()), r, r);
        painter.setBrush(Qt::NoBrush);
        return;
    }
    const QTransform& t = painter.worldTransform();
    const double deviceScale = std::hypot(t.m11(), t.m12());
    const double k = raster ? std::max(1.0, deviceScale) : std::max(2.0, deviceScale);
    QImage layer(
        QSize(static_cast<int>(std::ceil(width() * k)), static_cast<int>(std::ceil(height() * k))),
        QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    std::vector<QPointF> pixels;
    pixels.reserve(centres.size());
    for (const QPointF& c : centres)
        pixels.push_back(at(c.x(), c.y()) * k);
    const int width = static_cast<int>(std::lround(penWidth(first->width) * k));
    QPen layerPen = pen;
    layerPen.setWidth(width);
    MarkerCache cache;
    {
        QPainter p(&layer);
        stampMarkers(p, QRectF(layer.rect()), pixels, r * k, width, layerPen, brush, first->filled,
                     cache);
    }
    painter.drawImage(QRectF(0, 0, layer.width() / k, layer.height() / k), layer);
}

void PictureSurface::replay(QPainter& painter, MarkerReplay markers) const {
    // The scale in force, as the drawing set it.
    double left = 0;
    double top = 0;
    double sx = width() / widthTwips();
    double sy = height() / heightTwips();
    const auto at = [&](double x, double y) { return QPointF((x - left) * sx, (y - top) * sy); };
    // Point sizes as the screen image lays them out, whatever the device's resolution.
    const double pointScale = 96.0 / painter.device()->logicalDpiY();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(QRectF(0, 0, width(), height()));
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        const DrawOp& op = operations_[i];
        switch (op.kind) {
        case DrawOp::Clear:
            painter.fillRect(QRectF(0, 0, width(), height()), Qt::white);
            break;
        case DrawOp::Scale:
            left = op.x1;
            top = op.y1;
            sx = width() / (op.x2 - op.x1);
            sy = height() / (op.y2 - op.y1);
            break;
        case DrawOp::Line:
            replayLine(painter, op, at(op.x1, op.y1), at(op.x2, op.y2));
            break;
        case DrawOp::Circle:
            i = replayMarkerRun(painter, i, at, sx, markers) - 1;
            break;
        case DrawOp::Text:
            replayText(painter, op, at(op.x1, op.y1), pointScale);
            break;
        case DrawOp::Image:
            break;
        }
    }
    painter.restore();
}

void PictureSurface::replayLine(QPainter& painter, const DrawOp& op, QPointF a, QPointF b) const {
    QPen pen(paletteColor(op.color), penWidth(op.width));
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    // Cut at the surface's edge here, not by the painter's clip, which some devices (SVG) do not
    // keep: a curve leaving the plot ends at its edge on every device.
    if (clipLine(a, b, QRectF(0, 0, width(), height())))
        painter.drawLine(a, b);
}

std::size_t PictureSurface::replayMarkerRun(QPainter& painter, std::size_t first,
                                            const std::function<QPointF(double, double)>& at,
                                            double sx, MarkerReplay mode) const {
    const DrawOp& op = operations_[first];
    // The run of markers alike, as one drawing.
    std::size_t end = first + 1;
    while (end < operations_.size() && operations_[end].kind == DrawOp::Circle &&
           operations_[end].radius == op.radius && operations_[end].color == op.color &&
           operations_[end].width == op.width && operations_[end].filled == op.filled)
        ++end;
    std::vector<QPointF> centres;
    for (std::size_t j = first; j < end; ++j) {
        const DrawOp& marker = operations_[j];
        if (marker.centres)
            centres.insert(centres.end(), marker.centres->begin(), marker.centres->end());
        else
            centres.emplace_back(marker.x1, marker.y1);
    }
    // Markers centred off the surface are left out: on screen a sliver of them shows at
    // most, and a device without a clip would show them whole.
    const QRectF area(0, 0, width(), height());
    std::erase_if(centres, [&](const QPointF& c) { return !area.contains(at(c.x(), c.y())); });
    replayMarkers(painter, op, centres, at, sx, mode);
    return end;
}

void PictureSurface::replayText(QPainter& painter, const DrawOp& op, QPointF topLeft,
                                double pointScale) const {
    QFont font = font_;
    font.setPointSizeF(op.fontSize * pointScale * zoom_);
    painter.setFont(font);
    painter.setPen(paletteColor(op.color));
    const QFontMetricsF metrics(font, painter.device());
    // Another device hints the glyphs otherwise and may widen a text: it is narrowed to
    // its width on screen, so that nothing laid out to fit runs over a frame or a line.
    QFont screen = font_;
    screen.setPointSizeF(op.fontSize * zoom_);
    const double onScreen = QFontMetricsF(screen, &image_).horizontalAdvance(op.text);
    const double here = metrics.horizontalAdvance(op.text);
    painter.save();
    painter.translate(topLeft.x(), topLeft.y() + metrics.ascent());
    if (here > onScreen && onScreen > 0)
        painter.scale(onScreen / here, 1);
    painter.drawText(QPointF(0, 0), op.text);
    painter.restore();
}

} // namespace id
