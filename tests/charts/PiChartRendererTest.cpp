#include "charts/view/PiChartRenderer.h"
#include "charts/PiChartMath.h"
#include "platform/view/PictureSurface.h"
#include "support/Approx.h"
#include "support/GuiFixture.h"

#include <QRectF>

namespace id {
namespace {

class PiChartTest : public test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        doc.IdAxisXMin = 0;
        doc.IdAxisXMax = 300;
        doc.ReservoirPressure = 20;
    }
    void addPoint(double q, double p) { doc.Measurements.append(q, p); }
    void trend(int slot, int kind, Coefficients c, double to, double from = 0) {
        doc.TrendCount = static_cast<std::int16_t>(slot);
        doc.trend(slot) = {static_cast<std::int16_t>(kind), std::move(c), from, to, 1, 0};
    }
    void linearTrend(int slot, double slope, double constant, double to, double from = 0) {
        trend(slot, LinearTrend, {slope, constant}, to, from);
    }
    // Draws the chart; with automatic axes as the first trend's rebuild sets them.
    void redraw(bool automaticAxes = true) {
        if (automaticAxes) {
            doc.PiAxisYBottom = 0;
            doc.PiAxisYTop = automaticPiAxisTop(doc);
            doc.PiAxisXMin = doc.IdAxisXMin;
            doc.PiAxisXMax = doc.IdAxisXMax;
        }
        RedrawPiChart(doc, p7(), p8());
    }
    AnalysisState doc;
    PictureSurface& p7() { return *form().Picture7; }
    PictureSurface& p8() { return *form().Picture8; }
    std::vector<DrawOp> curve() {
        std::vector<DrawOp> lines;
        for (const DrawOp& op : p8().operations(DrawOp::Line))
            if (op.width == 3)
                lines.push_back(op);
        return lines;
    }
};

TEST_F(PiChartTest, AutomaticIndexAxisAndRateAxisLabels) {
    addPoint(37, 10); // index 3.7
    addPoint(50, 20); // at the reservoir pressure: left out
    linearTrend(1, -0.5, 20, 250);
    redraw();
    EXPECT_EQ(doc.PiAxisYBottom, 0);
    EXPECT_EQ(doc.PiAxisYTop, 4);
    EXPECT_EQ(doc.PiAxisXMax, 300);
    EXPECT_EQ(p7().printedTexts(),
              QStringList({"0,0", "76,0", "152,0", "228,0", "Дебит, м  /сут", "3", "0,0", "2,0",
                           "4,0", "PI,", "м", "сут*МПа", "3"}));
    const auto texts = p7().operations(DrawOp::Text);
    EXPECT_DOUBLE_EQ(texts[8].y1, 0); // the top label on the top edge
    EXPECT_DOUBLE_EQ(texts[0].y1, p8().heightTwips());
}

TEST_F(PiChartTest, NoQualifyingPointGivesAnAxisUpToOne) {
    addPoint(50, 20);
    linearTrend(1, -0.5, 20, 250);
    redraw();
    EXPECT_EQ(doc.PiAxisYTop, 1);
    const QStringList texts = p7().printedTexts();
    EXPECT_EQ(texts.mid(6, 3), QStringList({"0,0", "0,5", "1,0"}));
}

TEST_F(PiChartTest, HalfUnitIndexAxisHasAMiddleLabelWithTwoDecimals) {
    linearTrend(1, -0.5, 20, 250);
    doc.PiAxisXMin = 0;
    doc.PiAxisXMax = 300;
    doc.PiAxisYBottom = 0;
    doc.PiAxisYTop = 0.5;
    redraw(false);
    EXPECT_EQ(p7().printedTexts().mid(6, 3), QStringList({"0,0", "0,25", "0,5"}));
}

TEST_F(PiChartTest, LinearTrendIsAHorizontalLineAtItsIndexForBothWellTypes) {
    addPoint(37, 10);
    linearTrend(1, -0.5, 20, 250);
    redraw();
    auto lines = curve();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(lines[0].y1, 2.0);
    EXPECT_DOUBLE_EQ(lines[0].y2, 2.0);
    EXPECT_DOUBLE_EQ(lines[0].x1, 0);
    EXPECT_DOUBLE_EQ(lines[0].x2, 250);

    doc.WellType = InjectionWell;
    linearTrend(1, 0.5, 8, 250);
    redraw();
    lines = curve();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(lines[0].y1, 2.0);
}

TEST_F(PiChartTest, SecondTrendOverlaysItsCurveOnly) {
    addPoint(37, 10);
    linearTrend(1, -0.5, 20, 250);
    redraw();
    const std::vector<DrawOp> before = p8().operations();
    const QStringList labels = p7().printedTexts();
    linearTrend(2, -0.25, 20, 120, 60);
    redraw(false);
    const std::vector<DrawOp>& after = p8().operations();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_DOUBLE_EQ(after.back().y1, 4.0);
    EXPECT_DOUBLE_EQ(after.back().x2, 120);
    EXPECT_EQ(p7().printedTexts(), labels);
    EXPECT_EQ(doc.PiAxisYTop, 4);
}

TEST_F(PiChartTest, CubicCurveStartsAtZeroAndSkipsUndefinedValues) {
    addPoint(37, 10);
    // Secant slope c1 x^2 + c2 x + c3 vanishes at x = 100: the curve breaks there.
    trend(1, CubicTrend, {0.0001, 0, -1, 20}, 200);
    redraw();
    const auto lines = curve();
    EXPECT_DOUBLE_EQ(lines.front().x1, 0);
    EXPECT_GE(lines.size(), 498u);
    EXPECT_LE(lines.size(), 500u);
    for (const DrawOp& line : lines)
        EXPECT_TRUE(std::isfinite(line.y1) && std::isfinite(line.y2));
}

TEST_F(PiChartTest, PolynomialCurvesNeverCrossTheirPole) {
    addPoint(37, 10);
    struct Case {
        int kind;
        Coefficients c;
        double pole;
    };
    // Index -1 / (c1 x + c2) for the quadratic: its denominator changes sign at x = 100.
    const Case cases[] = {{QuadraticTrend, {-0.01, 1, 20}, 100},
                          {QuadraticTrend, {0.01, -1, 20}, 100},
                          {CubicTrend, {0.0001, 0, -1, 20}, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pole);
        trend(1, c.kind, c.c, 250);
        redraw();
        const auto lines = curve();
        EXPECT_GT(lines.size(), 400u); // sampled, not one straight chord
        for (const DrawOp& line : lines) {
            EXPECT_FALSE(line.x1 < c.pole && line.x2 > c.pole);
            EXPECT_EQ(line.y1 > 0, line.y2 > 0);
        }
    }
}

TEST_F(PiChartTest, IndexLabelsNeverPrintOverTheAxisTitle) {
    for (double point : {3.7, 6.5, 8.5, 11.0, 13.0, 27.0, 140.0, 1400.0, 14000.0, 9e6}) {
        SCOPED_TRACE(point);
        doc.Measurements.clear();
        addPoint(point * 10, 10); // index = point
        linearTrend(1, -0.5, 20, 250);
        redraw();
        std::vector<QRectF> titles;
        std::vector<QRectF> labels;
        for (const DrawOp& op : p7().operations(DrawOp::Text)) {
            p7().setFontSize(op.fontSize);
            const QRectF box(op.x1, op.y1, p7().TextWidth(op.text), p7().TextHeight(op.text));
            if (op.text == "PI," || op.text == "м" || op.text == "сут*МПа")
                titles.push_back(box);
            else if (op.x1 < p7().widthTwips() - p8().widthTwips() && op.text != "3")
                labels.push_back(box);
        }
        ASSERT_EQ(titles.size(), 3u);
        for (const QRectF& label : labels)
            for (const QRectF& title : titles)
                EXPECT_FALSE(label.intersects(title));
    }
}

TEST_F(PiChartTest, ZeroSlopeDrawsNoCurveAndDoesNotFail) {
    addPoint(37, 10);
    linearTrend(1, 0, 20, 250);
    EXPECT_NO_THROW(redraw());
    EXPECT_TRUE(curve().empty());
}

TEST(PiChartMath, PointOnTheReservoirPressureWithinRoundingHasNoIndex) {
    // The line through (45; 3), (27; 2), (54; 1) meets q = 0 at 3, computed as 3.0000000000000004.
    AnalysisState s;
    for (const auto& [q, p] : {std::pair{45.0, 3.0}, {27.0, 2.0}, {54.0, 1.0}})
        s.Measurements.append(q, p);
    s.ReservoirPressure = 3.0000000000000004;
    EXPECT_EQ(automaticPiAxisTop(s), 30);
}

TEST(PiChartMath, IndexValuesAndTheirGaps) {
    EXPECT_EQ(piCurveValue(LinearTrend, {-0.5, 20}, ProducingWell, 10), 2.0);
    EXPECT_EQ(piCurveValue(QuadraticTrend, {0.01, -1, 20}, ProducingWell, 50), 2.0);
    EXPECT_FALSE(piCurveValue(QuadraticTrend, {0.01, -1, 20}, ProducingWell, 100));
    EXPECT_FALSE(piCurveValue(LinearTrend, {-0.5, 20}, 3, 10));
}

} // namespace
} // namespace id
