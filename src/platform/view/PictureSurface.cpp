#include "platform/view/PictureSurface.h"

#include "platform/Palette.h"
#include "platform/Twips.h"
#include "state/ChartStyle.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <cmath>
#include <cstring>

namespace id {

namespace {

int buttonCode(Qt::MouseButtons buttons) {
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= LeftButton;
    if (buttons & Qt::RightButton)
        code |= RightButton;
    if (buttons & Qt::MiddleButton)
        code |= MiddleButton;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= ShiftKey;
    if (modifiers & Qt::ControlModifier)
        code |= CtrlKey;
    if (modifiers & Qt::AltModifier)
        code |= AltKey;
    return code;
}

// Clips a line to a rectangle, so that a curve running off towards infinity is drawn as far as
// it can be seen and no further.
bool clipLine(QPointF& a, QPointF& b, const QRectF& box) {
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
        !std::isfinite(b.y()))
        return false;
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(),
                         box.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
        } else {
            const double t = q[i] / p[i];
            if (p[i] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
        }
    }
    if (t0 > t1)
        return false;
    const QPointF start = a;
    a = start + QPointF(dx * t0, dy * t0);
    b = start + QPointF(dx * t1, dy * t1);
    return true;
}

bool recordingOn = false;

// Markers beyond this many are exported as one picture.
constexpr std::ptrdiff_t VectorMarkersMost = 2000;

// Deviation, in pixels, a thinned curve may have from the points it was sampled at: well below
// what antialiasing shows.
constexpr double PolylineTolerance = 0.1;

double distanceToChord(const QPointF& p, const QPointF& a, const QPointF& b) {
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    return std::abs(d.x() * (a.y() - p.y()) - d.y() * (a.x() - p.x())) / length;
}

} // namespace

// The points a polyline needs to stay within the tolerance of all of them (Douglas-Peucker):
// a finely sampled curve keeps a vertex every few pixels instead of one per sample, and the
// stroker joins far fewer segments.
std::vector<QPointF> thinnedPolyline(const std::vector<QPointF>& points, double tolerance) {
    if (points.size() <= 2)
        return points;
    std::vector<char> keep(points.size(), 0);
    keep.front() = keep.back() = 1;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, points.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = distanceToChord(points[i], points[first], points[last]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest > tolerance) {
            keep[at] = 1;
            spans.emplace_back(first, at);
            spans.emplace_back(at, last);
        }
    }
    std::vector<QPointF> kept;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (keep[i])
            kept.push_back(points[i]);
    return kept;
}

namespace {} // namespace

void PictureSurface::setRecording(bool on) {
    recordingOn = on;
}

bool PictureSurface::recording() {
    return recordingOn;
}

PictureSurface::PictureSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    font_ = font();
    font_.setPointSizeF(8);
    setMouseTracking(true);
}

double PictureSurface::widthTwips() const {
    return pixelsToTwips(width(), zoom_);
}
double PictureSurface::heightTwips() const {
    return pixelsToTwips(height(), zoom_);
}

void PictureSurface::setZoom(double zoom) {
    zoom_ = zoom;
    markers_ = {};
}

QFont PictureSurface::paintFont() const {
    if (zoom_ == 1.0)
        return font_;
    QFont zoomed = font_;
    zoomed.setPointSizeF(font_.pointSizeF() * zoom_);
    return zoomed;
}

int PictureSurface::penWidth(int width) const {
    // Whole pixels keep lines crisp at every zoom.
    return zoom_ == 1.0 ? width : std::max(1, static_cast<int>(std::lround(width * zoom_)));
}

void PictureSurface::Scale(double x1, double y1, double x2, double y2) {
    customScale_ = true;
    scaleLeft_ = x1;
    scaleTop_ = y1;
    scaleWidth_ = x2 - x1;
    scaleHeight_ = y2 - y1;
    record({.kind = DrawOp::Scale, .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2});
}

double PictureSurface::pixelScaleX() const {
    const double w = customScale_ ? scaleWidth_ : widthTwips();
    return width() / w;
}

double PictureSurface::pixelScaleY() const {
    const double h = customScale_ ? scaleHeight_ : heightTwips();
    return height() / h;
}

QPointF PictureSurface::toPixels(double x, double y) const {
    return {(x - scaleLeft_) * pixelScaleX(), (y - scaleTop_) * pixelScaleY()};
}

QPointF PictureSurface::toUser(QPointF pixels) const {
    return {scaleLeft_ + pixels.x() / pixelScaleX(), scaleTop_ + pixels.y() / pixelScaleY()};
}

void PictureSurface::ensureImage() {
    if (!customScale_) {
        scaleWidth_ = widthTwips();
        scaleHeight_ = heightTwips();
    }
    const qreal dpr = devicePixelRatioF();
    // A surface that only records keeps a one-pixel image, for its font metrics.
    const QSize wanted = recordOnly_ ? QSize(1, 1) : size() * dpr;
    if (image_.size() == wanted && !image_.isNull())
        return;
    QImage fresh(wanted.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    fresh.setDevicePixelRatio(dpr);
    fresh.fill(Qt::white);
    if (!image_.isNull()) {
        QPainter p(&fresh);
        p.drawImage(QPointF(0, 0), image_);
    }
    image_ = fresh;
}

void PictureSurface::record(DrawOp op) {
    if (recordingOn)
        operations_.push_back(std::move(op));
}

PictureSurface::Layer PictureSurface::layer() const {
    return {image_, operations_, customScale_, {scaleLeft_, scaleTop_, scaleWidth_, scaleHeight_},
            font_,  CurrentX,    CurrentY};
}

void PictureSurface::writableImage(bool keepPixels) {
    ensureImage();
    if (image_.isDetached())
        return;
    // Shared with a kept layer: drawing would detach it into a fresh block from the system.
    // The buffer this surface drew in before takes the pixels instead.
    if (spare_.size() == image_.size() && spare_.format() == image_.format() &&
        spare_.isDetached()) {
        if (keepPixels)
            std::memcpy(spare_.bits(), image_.constBits(),
                        static_cast<std::size_t>(image_.sizeInBytes()));
        spare_.setDevicePixelRatio(image_.devicePixelRatio());
        std::swap(image_, spare_);
        spare_ = QImage();
    } else if (!keepPixels) {
        // Cleared anyway: a buffer of its own without copying the shared pixels first.
        QImage fresh(image_.size(), image_.format());
        fresh.setDevicePixelRatio(image_.devicePixelRatio());
        image_ = fresh;
    }
}

void PictureSurface::restoreLayer(const Layer& layer) {
    // The surface's own buffer is kept for the next drawing over the layer.
    if (image_.isDetached() && !image_.isNull())
        spare_ = std::move(image_);
    image_ = layer.image;
    operations_ = layer.operations;
    customScale_ = layer.customScale;
    scaleLeft_ = layer.scale[0];
    scaleTop_ = layer.scale[1];
    scaleWidth_ = layer.scale[2];
    scaleHeight_ = layer.scale[3];
    font_ = layer.font;
    CurrentX = layer.currentX;
    CurrentY = layer.currentY;
    update();
}

void PictureSurface::Cls() {
    writableImage(false);
    image_.fill(Qt::white);
    operations_.clear();
    record({.kind = DrawOp::Clear});
    CurrentX = scaleLeft_;
    CurrentY = scaleTop_;
    update();
}

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
    if (clipLine(a, b, visible))
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
    update();
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
    const auto flush = [&] {
        if (run.size() >= 2) {
            const std::vector<QPointF> kept = thinnedPolyline(run, PolylineTolerance);
            path.moveTo(kept.front());
            for (std::size_t k = 1; k < kept.size(); ++k)
                path.lineTo(kept[k]);
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
    update();
}

void PictureSurface::Circle(double x, double y, double radius, int colorIndex) {
    writableImage();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(paletteColor(colorIndex), penWidth(DrawWidth)));
    p.setBrush(FillSolid ? QBrush(paletteColor(FillColor)) : QBrush(Qt::NoBrush));
    const double r = std::abs(radius * pixelScaleX());
    p.drawEllipse(toPixels(x, y), r, r);
    record({.kind = DrawOp::Circle,
            .x1 = x,
            .y1 = y,
            .radius = radius,
            .color = colorIndex,
            .width = DrawWidth,
            .filled = FillSolid});
    update();
}

void PictureSurface::Circles(const std::vector<QPointF>& centres, double radius, int colorIndex) {
    writableImage();
    const double r = std::abs(radius * pixelScaleX());
    const int width = penWidth(DrawWidth);
    const QPen pen(paletteColor(colorIndex), width);
    const QBrush brush = FillSolid ? QBrush(paletteColor(FillColor)) : QBrush(Qt::NoBrush);
    QPainter p(&image_);
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
    if (recordingOn && !centres.empty())
        record({.kind = DrawOp::Circle,
                .x1 = centres.front().x(),
                .y1 = centres.front().y(),
                .radius = radius,
                .color = colorIndex,
                .width = DrawWidth,
                .filled = FillSolid,
                .centres = std::make_shared<const std::vector<QPointF>>(centres)});
    update();
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
        case DrawOp::Line: {
            QPen pen(paletteColor(op.color), penWidth(op.width));
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            QPointF a = at(op.x1, op.y1);
            QPointF b = at(op.x2, op.y2);
            // Cut at the surface's edge here, not by the painter's clip, which some devices
            // (SVG) do not keep: a curve leaving the plot ends at its edge on every device.
            if (clipLine(a, b, QRectF(0, 0, width(), height())))
                painter.drawLine(a, b);
            break;
        }
        case DrawOp::Circle: {
            // The run of markers alike, as one drawing.
            std::size_t end = i + 1;
            while (end < operations_.size() && operations_[end].kind == DrawOp::Circle &&
                   operations_[end].radius == op.radius && operations_[end].color == op.color &&
                   operations_[end].width == op.width && operations_[end].filled == op.filled)
                ++end;
            std::vector<QPointF> centres;
            for (std::size_t j = i; j < end; ++j) {
                const DrawOp& marker = operations_[j];
                if (marker.centres)
                    centres.insert(centres.end(), marker.centres->begin(), marker.centres->end());
                else
                    centres.emplace_back(marker.x1, marker.y1);
            }
            // Markers centred off the surface are left out: on screen a sliver of them shows at
            // most, and a device without a clip would show them whole.
            const QRectF area(0, 0, width(), height());
            std::erase_if(centres,
                          [&](const QPointF& c) { return !area.contains(at(c.x(), c.y())); });
            replayMarkers(painter, op, centres, at, sx, markers);
            i = end - 1;
            break;
        }
        case DrawOp::Text: {
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
            const QPointF topLeft = at(op.x1, op.y1);
            painter.save();
            painter.translate(topLeft.x(), topLeft.y() + metrics.ascent());
            if (here > onScreen && onScreen > 0)
                painter.scale(onScreen / here, 1);
            painter.drawText(QPointF(0, 0), op.text);
            painter.restore();
            break;
        }
        case DrawOp::Image:
            break;
        }
    }
    painter.restore();
}

void PictureSurface::Print(const QString& text) {
    writableImage();
    QPainter p(&image_);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = paintFont();
    p.setFont(font);
    p.setPen(paletteColor(ForeColor));
    const QFontMetricsF metrics(font, &image_);
    const QPointF topLeft = toPixels(CurrentX, CurrentY);
    p.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
    record({.kind = DrawOp::Text,
            .x1 = CurrentX,
            .y1 = CurrentY,
            .text = text,
            .fontSize = font_.pointSizeF(),
            .color = ForeColor});
    CurrentX += TextWidth(text);
    update();
}

double PictureSurface::TextWidth(const QString& text) const {
    const_cast<PictureSurface*>(this)->ensureImage();
    const QFontMetricsF metrics(paintFont(), &image_);
    return metrics.horizontalAdvance(text) / pixelScaleX();
}

double PictureSurface::TextHeight(const QString&) const {
    const_cast<PictureSurface*>(this)->ensureImage();
    const QFontMetricsF metrics(paintFont(), &image_);
    return metrics.height() / pixelScaleY();
}

void PictureSurface::PaintPicture(const QImage& source, double x, double y) {
    writableImage();
    QPainter p(&image_);
    p.drawImage(toPixels(x, y), source);
    record({.kind = DrawOp::Image, .x1 = x, .y1 = y});
    update();
}

double PictureSurface::textWidthTwips(const QString& text) const {
    const_cast<PictureSurface*>(this)->ensureImage();
    return pixelsToTwips(QFontMetricsF(paintFont(), &image_).horizontalAdvance(text), zoom_);
}

double PictureSurface::textHeightTwips(const QString&) const {
    const_cast<PictureSurface*>(this)->ensureImage();
    return pixelsToTwips(QFontMetricsF(paintFont(), &image_).height(), zoom_);
}

void PictureSurface::setFontSize(double points) {
    font_.setPointSizeF(points);
}

void PictureSurface::setFontFamily(const QString& family) {
    font_.setFamily(family);
}

std::vector<DrawOp> PictureSurface::operations() const {
    std::vector<DrawOp> result;
    result.reserve(operations_.size());
    for (const DrawOp& op : operations_) {
        if (!op.centres) {
            result.push_back(op);
            continue;
        }
        DrawOp one = op;
        one.centres.reset();
        for (const QPointF& c : *op.centres) {
            one.x1 = c.x();
            one.y1 = c.y();
            result.push_back(one);
        }
    }
    return result;
}

std::vector<DrawOp> PictureSurface::operations(DrawOp::Kind kind) const {
    std::vector<DrawOp> result;
    for (const DrawOp& op : operations())
        if (op.kind == kind)
            result.push_back(op);
    return result;
}

QStringList PictureSurface::printedTexts() const {
    QStringList texts;
    for (const DrawOp& op : operations_)
        if (op.kind == DrawOp::Text)
            texts.append(op.text);
    return texts;
}

void PictureSurface::paintEvent(QPaintEvent*) {
    ensureImage();
    QPainter p(this);
    p.drawImage(QPointF(0, 0), image_);
    if (framed_) {
        p.setPen(QColor(128, 128, 128));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ensureImage();
}

void PictureSurface::mousePressEvent(QMouseEvent* event) {
    const QPointF u = toUser(event->position());
    emit mousePressed(buttonCode(event->button()), shiftCode(event->modifiers()), u.x(), u.y());
}

void PictureSurface::mouseMoveEvent(QMouseEvent* event) {
    const QPointF u = toUser(event->position());
    emit mouseMoved(buttonCode(event->buttons()), shiftCode(event->modifiers()), u.x(), u.y());
}

void PictureSurface::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF u = toUser(event->position());
    emit mouseReleased(buttonCode(event->button()), shiftCode(event->modifiers()), u.x(), u.y());
}

} // namespace id
