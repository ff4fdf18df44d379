#include "platform/view/PictureSurface.h"
#include "support/Approx.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QSvgGenerator>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace id {
namespace {

class PictureSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        surface.resize(400, 300);
        surface.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface));
    }
    PictureSurface surface;
};

TEST_F(PictureSurfaceTest, DefaultUnitsAreTwips) {
    EXPECT_DOUBLE_EQ(surface.ScaleWidth(), 6000);
    EXPECT_DOUBLE_EQ(surface.ScaleHeight(), 4500);
    EXPECT_EQ(surface.toPixels(1500, 1500), QPointF(100, 100));
}

TEST_F(PictureSurfaceTest, PressureUpwardsScaleMapsCornersAndIsSignedNegative) {
    surface.Scale(0, 25, 100, 0); // top-left (0, 25), bottom-right (100, 0)
    EXPECT_DOUBLE_EQ(surface.ScaleWidth(), 100);
    EXPECT_DOUBLE_EQ(surface.ScaleHeight(), -25);
    EXPECT_EQ(surface.toPixels(0, 25), QPointF(0, 0));
    EXPECT_EQ(surface.toPixels(100, 0), QPointF(400, 300));
    const QPointF user = surface.toUser(QPointF(200, 150));
    EXPECT_DOUBLE_EQ(user.x(), 50);
    EXPECT_DOUBLE_EQ(user.y(), 12.5);
}

TEST_F(PictureSurfaceTest, PressureDownwardsScaleMapsCorners) {
    surface.Scale(0, 0, 100, 25);
    EXPECT_DOUBLE_EQ(surface.ScaleHeight(), 25);
    EXPECT_EQ(surface.toPixels(0, 0), QPointF(0, 0));
    EXPECT_EQ(surface.toPixels(100, 25), QPointF(400, 300));
}

TEST_F(PictureSurfaceTest, TextExtentsFollowTheScaleAndItsSign) {
    surface.setFontSize(11);
    const double widthTwips = surface.TextWidth("Pнас");
    const double heightTwips = surface.TextHeight("Pнас");
    EXPECT_GT(widthTwips, 0);
    EXPECT_GT(heightTwips, 0);
    surface.Scale(0, 25, 100, 0);
    // 6000 twips across 100 units, 4500 twips across -25 units.
    EXPECT_REL(widthTwips * 100 / 6000, surface.TextWidth("Pнас"), 1e-9);
    EXPECT_REL(-heightTwips * 25 / 4500, surface.TextHeight("Pнас"), 1e-9);
    surface.setFontSize(6);
    EXPECT_LT(std::abs(surface.TextHeight("2")), heightTwips * 25 / 4500);
}

TEST_F(PictureSurfaceTest, RecordsOperationsSinceTheLastClear) {
    surface.Scale(0, 10, 10, 0);
    surface.DrawWidth = 2;
    surface.Line(1, 2, 3, 4, 13);
    surface.FillSolid = true;
    surface.FillColor = 12;
    surface.Circle(5, 5, 0.5, 12);
    surface.CurrentX = 1;
    surface.CurrentY = 9;
    surface.setFontSize(11);
    surface.Print("0,0");
    const auto lines = surface.operations(DrawOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x2, 3);
    EXPECT_EQ(lines[0].y2, 4);
    EXPECT_EQ(lines[0].color, 13);
    EXPECT_EQ(lines[0].width, 2);
    const auto circles = surface.operations(DrawOp::Circle);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_TRUE(circles[0].filled);
    const auto texts = surface.operations(DrawOp::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "0,0");
    EXPECT_EQ(texts[0].x1, 1);
    EXPECT_EQ(texts[0].y1, 9);
    EXPECT_EQ(texts[0].fontSize, 11);
    // Printing moves along the line, not down.
    EXPECT_REL(1 + surface.TextWidth("0,0"), surface.CurrentX, 1e-12);
    EXPECT_EQ(surface.CurrentY, 9);

    surface.Cls();
    ASSERT_EQ(surface.operations().size(), 1u);
    EXPECT_EQ(surface.operations()[0].kind, DrawOp::Clear);
}

TEST_F(PictureSurfaceTest, DrawingPersistsAcrossRepaints) {
    surface.Scale(0, 0, 100, 100);
    surface.DrawWidth = 4;
    surface.Line(0, 50, 100, 50, 0);
    surface.repaint();
    surface.hide();
    surface.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface));
    const QImage shown = surface.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(200, 150)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(200, 20)), QColor(Qt::white));
    surface.Cls();
    EXPECT_EQ(QColor(surface.grab().toImage().pixel(200, 150)), QColor(Qt::white));

    // Around a surface inside it, what it drew is painted, and the inner one's inside.
    PictureSurface inner(&surface);
    inner.setGeometry(100, 100, 200, 100);
    inner.show();
    surface.Line(0, 50, 100, 50, 0);
    surface.Line(87.5, 0, 87.5, 100, 0);
    inner.Scale(0, 0, 100, 100);
    inner.DrawWidth = 4;
    inner.Line(50, 0, 50, 100, 12);
    surface.repaint();
    QApplication::processEvents();
    surface.repaint(QRegion(300, 0, 100, 300) + QRegion(0, 0, 50, 50));
    // As the window shows it: the outer surface painted around the inner one.
    const QImage both = surface.screen()->grabWindow(surface.winId()).toImage();
    EXPECT_EQ(QColor(both.pixel(50, 150)), QColor(Qt::black));
    EXPECT_EQ(QColor(both.pixel(350, 150)), QColor(Qt::black));
    EXPECT_EQ(QColor(both.pixel(120, 150)), QColor(Qt::white));
    EXPECT_EQ(QColor(both.pixel(200, 110)), QColor(Qt::red));
    EXPECT_EQ(QColor(both.pixel(200, 50)), QColor(Qt::white));
    EXPECT_EQ(QColor(both.pixel(350, 20)), QColor(Qt::black));
    EXPECT_EQ(QColor(both.pixel(50, 20)), QColor(Qt::white));
}

// A layer restored again after drawings over it: the image is, to the pixel, what a fresh
// surface restoring the layer and drawing the same gives, and the window shows it.
TEST_F(PictureSurfaceTest, RestoringALayerAgainPutsBackWhatWasDrawnOverIt) {
    surface.Scale(0, 0, 100, 100);
    surface.DrawWidth = 2;
    surface.Line(0, 0, 100, 100, 0);
    surface.Circles({{10, 20}, {50, 50}, {90, 30}}, 2, 9);
    surface.CurrentX = 5;
    surface.CurrentY = 90;
    surface.Print(QStringLiteral("основа"));
    const PictureSurface::Layer base = surface.layer();
    const auto over = [](PictureSurface& s, int k) {
        s.DrawWidth = 1 + k % 3;
        s.Line(10 * k, 0, 100 - 7 * k, 100, 12);
        s.Polyline({{0, 50.0 + k}, {30, 20.0 * k}, {60, 80}, {100, 10.0 * k}}, 2);
        s.Circle(20 + 10 * k, 40, 3, 4);
        s.CurrentX = 8 * k;
        s.CurrentY = 10 + 9 * k;
        s.Print(QStringLiteral("Q = %1").arg(k));
    };
    for (int k = 1; k <= 6; ++k) {
        SCOPED_TRACE(k);
        surface.restoreLayer(base);
        over(surface, k);
        PictureSurface fresh;
        fresh.resize(surface.size());
        fresh.restoreLayer(base);
        over(fresh, k);
        EXPECT_TRUE(surface.image() == fresh.image());
        QApplication::processEvents();
        const QImage shown = surface.screen()->grabWindow(surface.winId()).toImage();
        EXPECT_TRUE(shown.convertToFormat(QImage::Format_RGB32) ==
                    surface.image().convertToFormat(QImage::Format_RGB32));
    }
}

// A curve and a marker leaving the plot, replayed onto a device without a clip (SVG): the curve
// ends where it crosses the edge, the marker outside is gone.
TEST_F(PictureSurfaceTest, ReplayKeepsEverythingInsideTheSurfaceOnAnSvg) {
    const bool wasRecording = PictureSurface::recording();
    PictureSurface::setRecording(true);
    surface.Cls();
    surface.Scale(0, 0, 100, 100);
    surface.Polyline({{50, 50}, {150, 75}, {150, 150}}, 0);
    surface.Line(-50, 20, 50, 20, 0);
    surface.Circles({{50, 50}, {120, 50}}, 2, 0);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(400, 300));
    svg.setViewBox(QRect(0, 0, 400, 300));
    {
        QPainter painter(&svg);
        surface.replay(painter, PictureSurface::MarkerReplay::Circles);
    }
    PictureSurface::setRecording(wasRecording);

    // Every coordinate the drawing's elements name, in the surface's pixels (400 × 300).
    std::vector<QPointF> drawn;
    static const QRegularExpression pair(R"((-?[\d.]+)[ ,](-?[\d.]+))");
    QXmlStreamReader xml(buffer.data());
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes a = xml.attributes();
            if (a.hasAttribute("cx"))
                drawn.emplace_back(a.value("cx").toDouble(), a.value("cy").toDouble());
            for (const char* name : {"points", "d"})
                for (auto m = pair.globalMatch(a.value(name)); m.hasNext();) {
                    const QRegularExpressionMatch match = m.next();
                    drawn.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
                }
        }
    ASSERT_GE(drawn.size(), 5u);
    for (const QPointF& point : drawn) {
        EXPECT_GE(point.x(), -1e-6);
        EXPECT_LE(point.x(), 400 + 1e-6);
        EXPECT_GE(point.y(), -1e-6);
        EXPECT_LE(point.y(), 300 + 1e-6);
    }
    // The first chord meets the right edge halfway to (150, 75): at (100, 62.5), the second
    // chord lies wholly outside; the line starts at the left edge; the inside marker stays.
    const auto has = [&](QPointF wanted) {
        return std::any_of(drawn.begin(), drawn.end(), [&](QPointF p) {
            return std::abs(p.x() - wanted.x()) < 0.01 && std::abs(p.y() - wanted.y()) < 0.01;
        });
    };
    EXPECT_TRUE(has({400, 187.5}));
    EXPECT_TRUE(has({0, 60}));
    EXPECT_TRUE(has({200, 150}));
}

// Stamped markers look like circles stroked one by one: a 20-point diagram at the program's
// marker size, filled and open, at arbitrary sub-pixel positions and overlapping.
TEST_F(PictureSurfaceTest, StampedMarkersMatchStrokedCircles) {
    std::vector<QPointF> centres;
    for (int i = 0; i < 20; ++i)
        centres.emplace_back(3.7 + 4.93 * i, 2 + 20 * std::abs(std::sin(i * 0.77)));
    centres.emplace_back(centres[5].x() + 0.4, centres[5].y() + 0.3);
    for (bool filled : {true, false}) {
        SCOPED_TRACE(filled ? "filled" : "open");
        PictureSurface stroked;
        stroked.resize(surface.size());
        for (PictureSurface* s : {&surface, &stroked}) {
            s->Cls();
            s->Scale(0, 25, 100, 0);
            s->DrawWidth = 2;
            s->FillSolid = filled;
            s->FillColor = 1;
        }
        for (const QPointF& c : centres)
            stroked.Circle(c.x(), c.y(), 100.0 / 150, 1);
        surface.Circles(centres, 100.0 / 150, 1);
        ASSERT_EQ(surface.operations(DrawOp::Circle).size(), centres.size());
        // Only antialiased edge pixels may differ, by a faint shade: the eighth-pixel phase.
        const auto expectAlike = [&](const QImage& first, const QImage& second, int shade) {
            const QImage a = first.convertToFormat(QImage::Format_RGB32);
            const QImage b = second.convertToFormat(QImage::Format_RGB32);
            int differing = 0;
            int largest = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x) {
                    const QRgb p = a.pixel(x, y);
                    const QRgb q = b.pixel(x, y);
                    const int d =
                        std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                  std::abs(qBlue(p) - qBlue(q))});
                    differing += d > 8;
                    largest = std::max(largest, d);
                }
            const int scale = a.width() / surface.width();
            EXPECT_LT(differing, 12 * scale * scale * static_cast<int>(centres.size()));
            EXPECT_LE(largest, shade);
        };
        expectAlike(surface.image(), stroked.image(), 32);
        // An export at twice the size: the markers as one stamped picture, or circle by circle.
        QImage replayed[2];
        for (const auto mode :
             {PictureSurface::MarkerReplay::Auto, PictureSurface::MarkerReplay::Circles}) {
            QImage& image = replayed[mode == PictureSurface::MarkerReplay::Circles];
            image = QImage(surface.size() * 2, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            p.scale(2, 2);
            surface.replay(p, mode);
        }
        expectAlike(replayed[0], replayed[1], 40);
    }
}

TEST_F(PictureSurfaceTest, ReportsMouseInUserCoordinatesWithButtonAndShift) {
    surface.Scale(0, 25, 100, 0);
    QSignalSpy pressed(&surface, &PictureSurface::mousePressed);
    QSignalSpy released(&surface, &PictureSurface::mouseReleased);
    QTest::mousePress(&surface, Qt::RightButton, Qt::ShiftModifier, QPoint(200, 150));
    QTest::mouseRelease(&surface, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 60));
    ASSERT_EQ(pressed.size(), 1);
    EXPECT_EQ(pressed[0][0].toInt(), RightButton);
    EXPECT_EQ(pressed[0][1].toInt(), ShiftKey);
    EXPECT_DOUBLE_EQ(pressed[0][2].toDouble(), 50);
    EXPECT_DOUBLE_EQ(pressed[0][3].toDouble(), 12.5);
    ASSERT_EQ(released.size(), 1);
    EXPECT_EQ(released[0][0].toInt(), LeftButton);
    EXPECT_EQ(released[0][1].toInt(), CtrlKey);
    EXPECT_DOUBLE_EQ(released[0][3].toDouble(), 20);
}

} // namespace
} // namespace id
