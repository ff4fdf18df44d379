#include "platform/view/PictureSurface.h"

#include "platform/Palette.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

// The drawing commands: lines, polylines and markers on the surface's image, recorded for the
// replay.
namespace id {

namespace {

// Deviation, in pixels, a thinned curve may have from the points it was sampled at: well below
// what antialiasing shows.
constexpr double PolylineTolerance = 0.1;

// Past this many chords a polyline's repaint is its whole box.
constexpr std::size_t MostChordBounds = 256;

// A stroke's pixels around its geometry: half the pen, and antialiasing's pixel beside.
QRectF strokeBounds(const QRectF& geometry, double penWidth) {
    const double m = std::max(penWidth, 1.0) / 2 + 2;
    return geometry.adjusted(-m, -m, m, m);
}

// A long chord's pixels as the boxes of its pieces of at most this many pixels: a line across a
// chart is a thin band of them, not the chart's whole box.
constexpr double ChordPiece = 64;

template <typename Add> void chordBounds(QPointF a, QPointF b, double penWidth, const Add& add) {
    const double length = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
    const int pieces = std::clamp(static_cast<int>(std::ceil(length / ChordPiece)), 1, 64);
    for (int k = 0; k < pieces; ++k) {
        const QPointF from = a + (b - a) * (double(k) / pieces);
        const QPointF to = a + (b - a) * (double(k + 1) / pieces);
        add(strokeBounds(QRectF(from, to).normalized(), penWidth));
    }
}

// The chords of a polyline, for their pixels: their own boxes while they are few (a curve's thin
// band), else the whole path's.
class Chords {
public:
    void add(QPointF a, QPointF b) {
        if (chords_.size() <= MostChordBounds)
            chords_.emplace_back(a, b);
    }
    template <typename Add>
    void report(const QPainterPath& path, double penWidth, const Add& add) const {
        if (chords_.size() > MostChordBounds) {
            add(strokeBounds(path.controlPointRect(), penWidth));
            return;
        }
        for (const auto& [a, b] : chords_)
            chordBounds(a, b, penWidth, add);
    }

private:
    std::vector<std::pair<QPointF, QPointF>> chords_;
};

} // namespace

void PictureSurface::Line(double x1, double y1, double x2, double y2, int colorIndex) {
    writableImage();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(paletteColor(colorIndex), penWidth(DrawWidth));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    QPointF a = toPixels(x1, y1);
    QPointF b = toPixels(x2, y2);
    const QRectF visible(-10000, -10000, width() + 20000, height() + 20000);
    const bool shown = clipLine(a, b, visible);
    if (shown)
        p.drawLine(a, b);
    record({.kind = DrawOp::Line,
            .x1 = x1,
            .y1 = y1,
            .x2 = x2,
            .y2 = y2,
            .color = colorIndex,
            .width = DrawWidth});
    CurrentX = x2;
    CurrentY = y2;
    if (shown)
        chordBounds(a, b, pen.widthF(), [this](const QRectF& r) { drew(r); });
}

void PictureSurface::Polyline(const std::vector<QPointF>& points, int colorIndex) {
    if (points.size() < 2)
        return;
    writableImage();
    const QRectF visible(-10000, -10000, width() + 20000, height() + 20000);
    QPainterPath path;
    // Chords inside the box join exactly, as one run thinned to what the screen can show; only
    // a chord running out of it is cut, and the path starts again where it comes back.
    std::vector<QPointF> run;
    Chords chords;
    const auto chord = [&](QPointF a, QPointF b) { chords.add(a, b); };
    const auto flush = [&] {
        if (run.size() >= 2) {
            const std::vector<QPointF> kept = thinnedPolyline(run, PolylineTolerance);
            path.moveTo(kept.front());
            for (std::size_t k = 1; k < kept.size(); ++k) {
                path.lineTo(kept[k]);
                chord(kept[k - 1], kept[k]);
            }
        }
        run.clear();
    };
    QPointF previous = toPixels(points.front().x(), points.front().y());
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPointF& from = points[i - 1];
        const QPointF& to = points[i];
        const QPointF next = toPixels(to.x(), to.y());
        QPointF a = previous;
        QPointF b = next;
        if (visible.contains(a) && visible.contains(b)) {
            if (run.empty())
                run.push_back(a);
            run.push_back(b);
        } else {
            flush();
            if (clipLine(a, b, visible)) {
                path.moveTo(a);
                path.lineTo(b);
                chord(a, b);
            }
        }
        previous = next;
        record({.kind = DrawOp::Line,
                .x1 = from.x(),
                .y1 = from.y(),
                .x2 = to.x(),
                .y2 = to.y(),
                .color = colorIndex,
                .width = DrawWidth});
    }
    flush();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(paletteColor(colorIndex), penWidth(DrawWidth));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    CurrentX = points.back().x();
    CurrentY = points.back().y();
    chords.report(path, pen.widthF(), [this](const QRectF& r) { drew(r); });
}

void PictureSurface::Circle(double x, double y, double radius, int colorIndex) {
    writableImage();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(paletteColor(colorIndex), penWidth(DrawWidth)));
    p.setBrush(FillSolid ? QBrush(paletteColor(FillColor)) : QBrush(Qt::NoBrush));
    const double r = std::abs(radius * pixelScaleX());
    const QPointF centre = toPixels(x, y);
    p.drawEllipse(centre, r, r);
    record({.kind = DrawOp::Circle,
            .x1 = x,
            .y1 = y,
            .radius = radius,
            .color = colorIndex,
            .width = DrawWidth,
            .filled = FillSolid});
    drew(strokeBounds(QRectF(centre - QPointF(r, r), QSizeF(2 * r, 2 * r)), p.pen().widthF()));
}

void PictureSurface::Circles(const std::vector<QPointF>& centres, double radius, int colorIndex) {
    writableImage();
    const double r = std::abs(radius * pixelScaleX());
    const int width = penWidth(DrawWidth);
    const QPen pen(paletteColor(colorIndex), width);
    const QBrush brush = FillSolid ? QBrush(paletteColor(FillColor)) : QBrush(Qt::NoBrush);
    QPainter p(&image_);
    // Every centre's box, as one: markers are drawn over the whole chart or not at all.
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (const QPointF& c : centres) {
        const QPointF at = toPixels(c.x(), c.y());
        if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
            continue;
        left = std::min(left, at.x());
        right = std::max(right, at.x());
        top = std::min(top, at.y());
        bottom = std::max(bottom, at.y());
    }
    if (!(r <= 200)) {
        // A marker larger than a small picture is rare: stroke it directly.
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(pen);
        p.setBrush(brush);
        for (const QPointF& c : centres)
            p.drawEllipse(toPixels(c.x(), c.y()), r, r);
    } else {
        std::vector<QPointF> pixels;
        pixels.reserve(centres.size());
        for (const QPointF& c : centres)
            pixels.push_back(toPixels(c.x(), c.y()));
        stampMarkers(p, QRectF(image_.rect()), pixels, r, width, pen, brush, FillSolid, markers_);
    }
    if (recording() && !centres.empty())
        record({.kind = DrawOp::Circle,
                .x1 = centres.front().x(),
                .y1 = centres.front().y(),
                .radius = radius,
                .color = colorIndex,
                .width = DrawWidth,
                .filled = FillSolid,
                .centres = std::make_shared<const std::vector<QPointF>>(centres)});
    if (left <= right) {
        // Within the image: a marker far off it is not drawn.
        const QRectF box =
            QRectF(QPointF(left - r, top - r), QPointF(right + r, bottom + r))
                .intersected(QRectF(-100, -100, QWidget::width() + 200, height() + 200));
        drew(strokeBounds(box, width + 2));
    }
}

void PictureSurface::stampMarkers(QPainter& p, const QRectF& area,
                                  const std::vector<QPointF>& pixels, double r, int width,
                                  const QPen& pen, const QBrush& brush, bool filled,
                                  MarkerCache& cache) {
    constexpr int Phases = 8;
    const int margin = static_cast<int>(std::ceil(r + width / 2.0)) + 2;
    const int side = 2 * margin + 1;
    const QRgb penColor = pen.color().rgba();
    const QRgb brushColor = brush.color().rgba();
    if (cache.radius != r || cache.width != width || cache.pen != penColor ||
        cache.filled != filled || (filled && cache.brush != brushColor))
        cache = MarkerCache{r, width, penColor, brushColor, filled, {}};
    const QRectF visible = area.adjusted(-side, -side, side, side);
    for (const QPointF& at : pixels) {
        if (!std::isfinite(at.x()) || !std::isfinite(at.y()) || !visible.contains(at))
            continue;
        int ix = static_cast<int>(std::floor(at.x()));
        int iy = static_cast<int>(std::floor(at.y()));
        int fx = static_cast<int>(std::lround((at.x() - ix) * Phases));
        int fy = static_cast<int>(std::lround((at.y() - iy) * Phases));
        if (fx == Phases)
            fx = 0, ++ix;
        if (fy == Phases)
            fy = 0, ++iy;
        QImage& sprite = cache.sprites[fx][fy];
        if (sprite.isNull()) {
            sprite = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
            sprite.fill(Qt::transparent);
            QPainter s(&sprite);
            s.setRenderHint(QPainter::Antialiasing);
            s.setPen(pen);
            s.setBrush(brush);
            s.drawEllipse(QPointF(margin + double(fx) / Phases, margin + double(fy) / Phases), r,
                          r);
        }
        p.drawImage(ix - margin, iy - margin, sprite);
    }
}

} // namespace id
