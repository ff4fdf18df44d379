#pragma once

#include "platform/DrawOp.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QWidget>

class QPainter;
class QPen;
class QBrush;
#include <functional>
#include <vector>

namespace id {

// Mouse buttons and modifier masks as the chart handlers see them.
enum MouseButtonCode { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
enum ShiftMask { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

// The vertices of a polyline that keep it within the tolerance of every point given.
std::vector<QPointF> thinnedPolyline(const std::vector<QPointF>& points, double tolerance);
// Clips a line to a rectangle; false when none of it is inside.
bool clipLine(QPointF& a, QPointF& b, const QRectF& box);

// A drawing surface with a persistent image and a user coordinate system. What is drawn stays
// until the surface is cleared; the widget only paints the image. Every operation is also
// recorded (since the last clear) so that tests can read back labels and lines without pixels.
class PictureSurface : public QWidget {
    Q_OBJECT
public:
    explicit PictureSurface(QWidget* parent = nullptr);

    // Coordinate system: (x1, y1) is the upper-left corner, (x2, y2) the lower-right one.
    void Scale(double x1, double y1, double x2, double y2);
    // Back to the default system: twips from the upper-left corner.
    double ScaleWidth() const { return scaleWidth_; }
    double ScaleHeight() const { return scaleHeight_; }
    // Size of the surface in twips.
    double widthTwips() const;
    double heightTwips() const;

    // Clears the image and the record and puts the text position at the scale origin.
    void Cls();
    void Line(double x1, double y1, double x2, double y2, int colorIndex);
    // Connected lines through the points, painted as one path so the joints stay crisp;
    // recorded as one Line per chord.
    void Polyline(const std::vector<QPointF>& points, int colorIndex);
    // A circle of the given radius in horizontal user units; filled when FillSolid is set.
    void Circle(double x, double y, double radius, int colorIndex);
    // The same circle at every centre, stamped from one pre-rendered marker (at an eighth-pixel
    // phase) instead of stroking an antialiased ellipse each time: the same picture, many
    // times faster. Recorded as one Circle per centre.
    void Circles(const std::vector<QPointF>& centres, double radius, int colorIndex);
    // Prints text with its top-left corner at (CurrentX, CurrentY); CurrentX then moves to the
    // end of the text, CurrentY stays.
    void Print(const QString& text);
    // Text extent in user units, signed like ScaleWidth and ScaleHeight.
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;
    // Paints another surface's image with its upper-left corner at (x, y), natural size.
    void PaintPicture(const QImage& image, double x, double y);

    double CurrentX = 0;
    double CurrentY = 0;
    int DrawWidth = 1;
    int ForeColor = 0;
    bool FillSolid = false;
    int FillColor = 0;

    // Text extent in twips in the current font, whatever the scale and size of the surface.
    double textWidthTwips(const QString& text) const;
    double textHeightTwips(const QString& text) const;

    void setFontSize(double points);
    double fontSize() const { return font_.pointSizeF(); }
    void setFontFamily(const QString& family);

    // Screen zoom: the surface is that much larger in pixels, its twips, fonts and lines with it,
    // so a drawing made afresh looks the same, only larger. The owner redraws after a change.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }

    // A thin border painted around the surface on screen (not part of its image), so the edges
    // of a plot area can be seen.
    void setFramed(bool framed) { framed_ = framed; }

    // What was drawn so far with the drawing state, to start from again: a chart keeps its
    // axes and points and draws only what changed over them.
    struct Layer {
        QImage image;
        std::vector<DrawOp> operations;
        bool customScale = false;
        double scale[4] = {0, 0, 1, 1};
        QFont font;
        double currentX = 0;
        double currentY = 0;
    };
    Layer layer() const;
    void restoreLayer(const Layer& layer);

    // Paints what was drawn since the last clear (it must have been recorded) with the painter,
    // in this surface's pixels: onto a vector device the lines stay lines and the texts text.
    // Markers are drawn as the device suits (Auto: vector circles for a few on a vector device,
    // else one picture of them stamped as the screen stamps them), or as circles always.
    enum class MarkerReplay { Auto, Circles };
    void replay(QPainter& painter, MarkerReplay markers = MarkerReplay::Auto) const;

    // A surface that draws only its record, for a replay elsewhere (an export): no picture of its
    // own, every drawing clipped away at once. Set before anything is drawn; recording must be on.
    void setRecordOnly(bool recordOnly) { recordOnly_ = recordOnly; }

    // Whether surfaces record their operations. Off in the program, where nothing reads them
    // and a large diagram would cost megabytes; the tests turn it on.
    static void setRecording(bool on);
    static bool recording();

    const QImage& image() const { return image_; }
    // What was drawn since the last clear, a Circle per marker.
    std::vector<DrawOp> operations() const;
    std::vector<DrawOp> operations(DrawOp::Kind kind) const;
    QStringList printedTexts() const;

    // Conversions between user coordinates and widget pixels.
    QPointF toPixels(double x, double y) const;
    QPointF toUser(QPointF pixels) const;

signals:
    void mousePressed(int button, int shift, double x, double y);
    void mouseMoved(int button, int shift, double x, double y);
    void mouseReleased(int button, int shift, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ensureImage();
    // The image made this surface's own before drawing on it, without a fresh allocation when a
    // spare buffer of its size is at hand; its pixels kept, or (a clear) left as they are.
    void writableImage(bool keepPixels = true);
    struct MarkerCache;
    // Stamps one pre-rendered marker (at an eighth-pixel phase) at each centre, in the painter's
    // pixels, inside the area.
    static void stampMarkers(QPainter& p, const QRectF& area, const std::vector<QPointF>& pixels,
                             double r, int width, const QPen& pen, const QBrush& brush, bool filled,
                             MarkerCache& cache);
    void replayMarkers(QPainter& painter, const DrawOp& style, const std::vector<QPointF>& centres,
                       const std::function<QPointF(double, double)>& at, double sx,
                       MarkerReplay mode) const;
    // The recorded operations' replay, a kind at a time; a run of markers alike is one drawing
    // (the index after it is returned).
    void replayLine(QPainter& painter, const DrawOp& op, QPointF a, QPointF b) const;
    std::size_t replayMarkerRun(QPainter& painter, std::size_t first,
                                const std::function<QPointF(double, double)>& at, double sx,
                                MarkerReplay mode) const;
    void replayText(QPainter& painter, const DrawOp& op, QPointF topLeft, double pointScale) const;
    void record(DrawOp op);
    double pixelScaleX() const;
    QFont paintFont() const;
    int penWidth(int width) const;
    double pixelScaleY() const;

    // Pre-rendered markers of the last Circles call, one per eighth-pixel phase; a chart's
    // markers keep their size from one drawing to the next.
    struct MarkerCache {
        double radius = -1;
        int width = 0;
        QRgb pen = 0;
        QRgb brush = 0;
        bool filled = false;
        QImage sprites[8][8];
    };
    MarkerCache markers_;

    // What was drawn over the layer the image last equalled (the one kept or restored, by its
    // image's key): restoring that layer again puts back only those pixels and repaints only
    // them. Unknown after a clear or a resize: the next restore is whole.
    struct OverLayer {
        qint64 layerKey = 0;
        QRegion drawn;
        bool known = false;
    };
    // A drawing's bounds (logical pixels, antialiasing margin included) added to what is over
    // the layer, and repainted.
    void drew(const QRectF& bounds);
    // The drawing over the layer no longer known: the next restore is whole.
    void drewAnything();
    bool restoreOver(const Layer& layer);
    mutable OverLayer over_;

    QImage image_;
    // The buffer drawn in before a layer was restored, for the next drawing over that layer.
    QImage spare_;
    QFont font_;
    std::vector<DrawOp> operations_;
    bool customScale_ = false;
    bool framed_ = false;
    double zoom_ = 1.0;
    bool recordOnly_ = false;
    double scaleLeft_ = 0;
    double scaleTop_ = 0;
    double scaleWidth_ = 1;
    double scaleHeight_ = 1;
};

} // namespace id
