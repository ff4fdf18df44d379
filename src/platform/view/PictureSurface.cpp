#include "platform/view/PictureSurface.h"

#include "platform/Palette.h"
#include "platform/Twips.h"
#include "state/ChartStyle.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
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

bool recordingOn = false;

double distanceToChord(const QPointF& p, const QPointF& a, const QPointF& b) {
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    return std::abs(d.x() * (a.y() - p.y()) - d.y() * (a.x() - p.x())) / length;
}

} // namespace

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
    over_.known = false;
}

void PictureSurface::record(DrawOp op) {
    if (recordingOn)
        operations_.push_back(std::move(op));
}

PictureSurface::Layer PictureSurface::layer() const {
    // The image is the layer's now, with nothing drawn over it.
    over_ = {image_.cacheKey(), QRegion(), true};
    return {image_, operations_, customScale_, {scaleLeft_, scaleTop_, scaleWidth_, scaleHeight_},
            font_,  CurrentX,    CurrentY};
}

void PictureSurface::Cls() {
    writableImage(false);
    image_.fill(Qt::white);
    operations_.clear();
    record({.kind = DrawOp::Clear});
    CurrentX = scaleLeft_;
    CurrentY = scaleTop_;
    drewAnything();
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
    const QPointF baseline(topLeft.x(), topLeft.y() + metrics.ascent());
    p.drawText(baseline, text);
    record({.kind = DrawOp::Text,
            .x1 = CurrentX,
            .y1 = CurrentY,
            .text = text,
            .fontSize = font_.pointSizeF(),
            .color = ForeColor});
    CurrentX += TextWidth(text);
    drew(QRectF(topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.height()))
             .united(metrics.boundingRect(text).translated(baseline))
             .adjusted(-2, -2, 2, 2));
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
    drew(QRectF(toPixels(x, y), QSizeF(source.size()) / source.devicePixelRatio())
             .adjusted(-1, -1, 1, 1));
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

void PictureSurface::paintEvent(QPaintEvent* event) {
    ensureImage();
    QPainter p(this);
    // Rectangle by rectangle of what is to be painted (a surface with surfaces inside it is
    // painted around them): Qt copies an image clipped to one rectangle straight, but blends it
    // span by span, handing the spans to other threads, under any other clip.
    for (const QRect& r : event->region()) {
        p.setClipRect(r);
        p.drawImage(r.topLeft(), image_,
                    QRectF(r.topLeft() * image_.devicePixelRatio(),
                           QSizeF(r.size()) * image_.devicePixelRatio()));
    }
    p.setClipping(false);
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
