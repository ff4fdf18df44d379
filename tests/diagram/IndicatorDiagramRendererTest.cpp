#include "diagram/view/IndicatorDiagramRenderer.h"
#include "charts/view/AnalysisPainter.h"
#include "platform/view/PictureSurface.h"
#include "support/Approx.h"
#include "support/GuiFixture.h"

#include <QRegularExpression>
#include <deque>
#include <tuple>

namespace id {
namespace {

class DiagramTest : public test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        form().Picture3->show();
        form().Picture4->show();
    }
    void producing(double xMax, double yMax) {
        doc.WellType = ProducingWell;
        doc.IdAxisXMin = 0;
        doc.IdAxisXMax = xMax;
        doc.IdAxisYTop = yMax;
        doc.IdAxisYBottom = 0;
    }
    void injection(double xMax, double yMax) {
        doc.WellType = InjectionWell;
        doc.IdAxisXMin = 0;
        doc.IdAxisXMax = xMax;
        doc.IdAxisYTop = 0;
        doc.IdAxisYBottom = yMax;
    }
    void addPoint(double q, double p) { doc.Measurements.append(q, p); }
    void draw() { drawIndicatorDiagram(doc, *form().Picture3, *form().Picture4); }
    PictureSurface& p3() { return *form().Picture3; }
    AnalysisState doc;
    PictureSurface& p4() { return *form().Picture4; }
    // The first text op of the surface with the text, kept for the test's length.
    const DrawOp* findText(PictureSurface& surface, const QString& text) {
        for (const DrawOp& op : surface.operations(DrawOp::Text))
            if (op.text == text)
                return &found.emplace_back(op);
        return nullptr;
    }
    std::deque<DrawOp> found;
};

TEST_F(DiagramTest, TickLabelsAndTitlesOfAProducingWell) {
    producing(100, 25);
    doc.Inputs.SaturationPressure = 0;
    draw();
    EXPECT_EQ(p3().printedTexts(), QStringList({"0,0", "26,0", "52,0", "78,0", "Дебит, м  /сут",
                                                "3", "0,0", "9,0", "18,0", "Pз,", "МПа"}));
    // Inner ticks only: three on the rate axis, two on the pressure axis.
    EXPECT_EQ(p4().operations(DrawOp::Line).size(), 5u);
}

TEST_F(DiagramTest, LabelsSitUnderAndLeftOfThePlotArea) {
    producing(100, 25);
    draw();
    const double w3 = p3().widthTwips();
    const double w4 = p4().widthTwips();
    const double h4 = p4().heightTwips();
    const auto texts = p3().operations(DrawOp::Text);
    // Rate labels on the line just below the plot area; the first flush with its left edge.
    EXPECT_DOUBLE_EQ(texts[0].x1, w3 - w4);
    EXPECT_DOUBLE_EQ(texts[0].y1, h4);
    p3().setFontSize(11);
    EXPECT_REL(26 * w4 / 100 + (w3 - w4) - p3().TextWidth("26,0") / 2, texts[1].x1, 1e-12);
    // Pressure labels right-aligned to the plot's left edge; the bottom one ends on its bottom.
    EXPECT_REL(w3 - w4 - p3().TextWidth("9,0"), texts[7].x1, 1e-12);
    EXPECT_REL(h4 - p3().TextHeight("0,0"), texts[6].y1, 1e-12);
    // The raised 3 stands on the title's line, in the gap after "м".
    EXPECT_DOUBLE_EQ(texts[5].y1, texts[4].y1);
    EXPECT_EQ(texts[5].fontSize, 6);
    EXPECT_DOUBLE_EQ(texts[9].x1, 0);
    EXPECT_DOUBLE_EQ(texts[9].y1, 0);
}

TEST_F(DiagramTest, AxisEndingOnATickIsLabelledRightAligned) {
    producing(12, 25);
    draw();
    const auto texts = p3().operations(DrawOp::Text);
    EXPECT_EQ(texts[0].text, "0,0");
    EXPECT_EQ(texts[1].text, "4,0");
    EXPECT_EQ(texts[2].text, "8,0");
    EXPECT_EQ(texts[3].text, "12,0");
    p3().setFontSize(11);
    EXPECT_REL(p3().widthTwips() - p3().TextWidth("12,0"), texts[3].x1, 1e-12);
}

TEST_F(DiagramTest, SmallRangesGetAMiddleTickWithTheReadBackRule) {
    struct Case {
        double max;
        QString middle;
    };
    for (const Case& c : {Case{0.5, "0,25"}, Case{1.0, "0,5"}}) {
        producing(c.max, 25);
        draw();
        const QStringList texts = p3().printedTexts();
        EXPECT_EQ(texts.mid(0, 3), QStringList({"0,0", c.middle, c.max == 1.0 ? "1,0" : "0,5"}));
    }
}

TEST_F(DiagramTest, PointMarkersAreFilledCirclesSizedByThePlotWidth) {
    producing(100, 25);
    addPoint(10, 20);
    addPoint(60, 12);
    draw();
    const auto circles = p4().operations(DrawOp::Circle);
    ASSERT_EQ(circles.size(), 2u);
    EXPECT_DOUBLE_EQ(circles[1].x1, 60);
    EXPECT_DOUBLE_EQ(circles[1].y1, 12);
    EXPECT_DOUBLE_EQ(circles[0].radius, 100.0 / 120);
    EXPECT_TRUE(circles[0].filled);
    EXPECT_EQ(circles[0].color, 12);
    EXPECT_EQ(circles[0].width, 2);
}

TEST_F(DiagramTest, SaturationLineOfTwentyDashesWithItsLabelAbove) {
    producing(100, 25);
    doc.Inputs.SaturationPressure = 10;
    draw();
    int dashes = 0;
    for (const DrawOp& op : p4().operations(DrawOp::Line))
        if (op.color == 13) {
            ++dashes;
            EXPECT_DOUBLE_EQ(op.y1, 10);
            EXPECT_NEAR(op.x2 - op.x1, 5.0 * 2 / 3, 1e-12);
        }
    EXPECT_EQ(dashes, 20);
    const DrawOp* label = findText(p4(), "Pнас");
    ASSERT_NE(label, nullptr);
    EXPECT_DOUBLE_EQ(label->x1, 1);
    EXPECT_GT(label->y1, 10); // pressure grows upwards: the text's top lies above the line
}

// No label under a title, and none level with "Pнас", where it would read as one with it.
TEST_F(DiagramTest, LabelsKeepClearOfTitlesAndTheSaturationCaption) {
    for (const auto& [well, yMax, saturation] : {std::tuple{ProducingWell, 25.0, 9.0},
                                                 {ProducingWell, 2500.0, 1800.0},
                                                 {ProducingWell, 250000.0, 0.0},
                                                 {InjectionWell, 250000.0, 0.0}}) {
        SCOPED_TRACE(yMax);
        well == ProducingWell ? producing(100, yMax) : injection(100, yMax);
        doc.Inputs.SaturationPressure = saturation;
        draw();
        std::vector<QRectF> titles, labels;
        for (const DrawOp& op : p3().operations(DrawOp::Text)) {
            p3().setFontSize(op.fontSize);
            const QRectF box(op.x1, op.y1, p3().TextWidth(op.text), p3().TextHeight(op.text));
            (op.text.contains(QRegularExpression("^-?[0-9]+,[0-9]+$")) ? labels : titles)
                .push_back(box);
        }
        ASSERT_EQ(titles.size(), 4u); // the rate title, its "3", the two pressure lines
        for (const QRectF& label : labels)
            for (const QRectF& title : titles)
                EXPECT_FALSE(label.intersects(title));
        const DrawOp* caption = findText(p4(), "Pнас");
        if (saturation > 0) {
            EXPECT_EQ(findText(p3(), QLocale().toString(saturation, 'f', 1)), nullptr);
        }
        EXPECT_EQ(caption != nullptr, saturation > 0);
    }
}

TEST_F(DiagramTest, NoSaturationLineForAnInjectionWellOrWithoutPressure) {
    injection(100, 25);
    doc.Inputs.SaturationPressure = 10;
    draw();
    EXPECT_EQ(findText(p4(), "Pнас"), nullptr);
    producing(100, 25);
    doc.Inputs.SaturationPressure = -1;
    draw();
    EXPECT_EQ(findText(p4(), "Pнас"), nullptr);
}

TEST_F(DiagramTest, InjectionWellHasZeroPressureAtTheTop) {
    injection(100, 25);
    draw();
    const DrawOp scale = p4().operations(DrawOp::Scale).front();
    EXPECT_EQ(scale.y1, 0);
    EXPECT_EQ(scale.y2, 25);
    const auto texts = p3().operations(DrawOp::Text);
    ASSERT_EQ(p3().printedTexts(),
              QStringList({"0,0", "26,0", "52,0", "78,0", "Приемистость, м  /сут", "3", "0,0",
                           "9,0", "18,0", "МПа", "Pз,"}));
    const double h3 = p3().heightTwips();
    const double h4 = p4().heightTwips();
    EXPECT_REL(h3 - h4 - p3().TextHeight("0,0"), texts[0].y1, 1e-12); // rate labels above
    EXPECT_DOUBLE_EQ(texts[4].y1, 0);                                 // title top right
    EXPECT_DOUBLE_EQ(texts[6].y1, h3 - h4);                           // 0 at the top edge
    // Rate ticks hang down from the top edge.
    const DrawOp tick = p4().operations(DrawOp::Line).front();
    EXPECT_EQ(tick.y1, 0);
    EXPECT_GT(tick.y2, 0);
}

TEST_F(DiagramTest, AxesThatCannotBeDrawnLeaveTheOldPicture) {
    producing(100, 25);
    doc.DiagramShown = true;
    const ChartSurfaces surfaces{p3(), p4(), *form().Picture7, *form().Picture8};
    drawAnalysis(doc, surfaces);
    const std::vector<DrawOp> before = p3().operations();
    for (double top : {0.0, 1e16}) {
        producing(100, top);
        drawAnalysis(doc, surfaces);
        EXPECT_EQ(p3().operations().size(), before.size());
    }
}

class TrendDrawingTest : public DiagramTest {
protected:
    void trend(int slot, int kind, Coefficients c, double from, double to, double rSquared = 1) {
        doc.TrendCount = static_cast<std::int16_t>(slot);
        doc.trend(slot) = {static_cast<std::int16_t>(kind), std::move(c), from, to, rSquared, 0};
    }
    void drawTrend(bool selection = false) {
        doc.SelectionMode = selection;
        drawTrendOnDiagram(doc, doc.TrendCount, p4());
    }
};

TEST_F(TrendDrawingTest, LinearTrendIsOneLineFromZeroRateWithItsLabel) {
    producing(50, 25);
    doc.IdAxisXMin = 10;
    draw();
    p4().Cls();
    trend(1, LinearTrend, {-0.5, 20}, 15, 40);
    drawTrend();
    const auto lines = p4().operations(DrawOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x1, 0); // from zero rate, not from the axis minimum
    EXPECT_EQ(lines[0].y1, 20);
    EXPECT_EQ(lines[0].x2, 40);
    EXPECT_EQ(lines[0].y2, 0);
    EXPECT_EQ(lines[0].width, 2);
    EXPECT_EQ(p4().printedTexts(), QStringList({"y=-0,5000x+20,0000", "R  =1,000", "2"}));
    const auto texts = p4().operations(DrawOp::Text);
    EXPECT_REL(25 - 25.0 / 30, texts[0].y1, 1e-12);
    EXPECT_REL(25 - 25.0 / 10, texts[1].y1, 1e-12);
    p4().setFontSize(11);
    EXPECT_REL(50 - 1.1 * p4().TextWidth("y=-0,5000x+20,0000"), texts[0].x1, 1e-12);
}

TEST_F(TrendDrawingTest, SelectionModeStartsAtTheSelectedRates) {
    producing(50, 25);
    trend(1, LinearTrend, {0.1, -3}, 15, 40);
    drawTrend(true);
    EXPECT_EQ(p4().operations(DrawOp::Line).front().x1, 15);
    EXPECT_EQ(p4().printedTexts().front(), "y=0,1000x-3,0000");
}

TEST_F(TrendDrawingTest, PolynomialsAreChordsWithRaisedExponents) {
    producing(100, 25);
    trend(1, CubicTrend, {0.0001, -0.002, -0.1, 20}, 0, 100);
    drawTrend();
    const auto chords = p4().operations(DrawOp::Line);
    EXPECT_GE(chords.size(), 500u);
    EXPECT_LE(chords.size(), 501u);
    EXPECT_REL(0.2, chords[0].x2 - chords[0].x1, 1e-12);
    EXPECT_LT(chords.back().x2 - 100, 0.2);
    EXPECT_EQ(p4().printedTexts().mid(0, 3),
              QStringList({"y=0,0001000x  -0,002000x  -0,1000x+20,0000", "3", "2"}));
    const auto texts = p4().operations(DrawOp::Text);
    p4().setFontSize(11);
    EXPECT_REL(texts[0].x1 + p4().TextWidth("y=0,0001000x"), texts[1].x1, 1e-12);
    EXPECT_REL(texts[0].x1 + p4().TextWidth("y=0,0001000x  -0,002000x"), texts[2].x1, 1e-12);
    EXPECT_EQ(texts[1].fontSize, 6);
    EXPECT_EQ(texts[1].y1, texts[0].y1);
}

TEST_F(TrendDrawingTest, SecondTrendLabelSitsLower) {
    injection(100, 25);
    trend(2, QuadraticTrend, {0.001, 0.1, 2}, 30, 90);
    drawTrend(true);
    const auto texts = p4().operations(DrawOp::Text);
    EXPECT_EQ(texts[0].text, "y=0,001000x  +0,1000x+2,0000");
    EXPECT_REL(25 / 5.5, texts[0].y1, 1e-12);
    EXPECT_REL(25 / 4.0, texts[2].y1, 1e-12);
}

TEST_F(TrendDrawingTest, EachTrendShowsItsOwnRSquared) {
    producing(100, 25);
    trend(1, LinearTrend, {-0.5, 20}, 0, 40, 0.9);
    trend(2, LinearTrend, {-0.2, 18}, 20, 40, 0.5);
    drawTrendOnDiagram(doc, 1, p4());
    drawTrendOnDiagram(doc, 2, p4());
    EXPECT_EQ(p4().printedTexts().filter("R  =").join(' '), "R  =0,900 R  =0,500");
}

} // namespace
} // namespace id
