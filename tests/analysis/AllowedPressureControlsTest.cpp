#include "app/view/AnalysisWindow.h"
#include "diagram/RedrawPipeline.h"
#include "platform/view/PictureSurface.h"
#include "support/AnalysisFixture.h"
#include "support/Approx.h"

#include <QCheckBox>
#include <QLineEdit>

namespace id {
namespace {

// Rate against pressure rises as the pressure falls to 9 MPa and falls below it.
const QString TurningWell = "19\t18\n51\t16\n75\t14\n91\t12\n99\t10\n99\t8\n91\t6\n";

class AllowedPressureTest : public test::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        form().Pnas->setText("5");
    }
    void pressOnPlot(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double pressure) {
        PictureSurface* plot = form().Picture4;
        const QPointF at = plot->toPixels(state().IdAxisXMax / 2, pressure);
        QTest::mousePress(plot, button, modifiers, at.toPoint());
        QTest::mouseRelease(plot, button, modifiers, at.toPoint());
    }
};

TEST_F(AllowedPressureTest, TickingBothBoxesIsRefusedWithAMessage) {
    build(TurningWell);
    form().Check1->click();
    EXPECT_TRUE(messages.messages().isEmpty());
    form().Check2->click();
    EXPECT_EQ(messages.messages(),
              QStringList({"Выбирите один способ определения предельно-допустимого Pз"}));
    EXPECT_TRUE(form().Check1->isChecked());
    EXPECT_TRUE(form().Check2->isChecked());
    // Neither method works now.
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    pressOnPlot(Qt::RightButton, Qt::ShiftModifier, 12.3);
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
}

TEST_F(AllowedPressureTest, ManualPickNeedsTheRightButtonWithShiftAlone) {
    build(TurningWell);
    form().Check1->click();
    pressOnPlot(Qt::RightButton, Qt::NoModifier, 12.3);
    pressOnPlot(Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, 12.3);
    pressOnPlot(Qt::LeftButton, Qt::ShiftModifier, 12.3);
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    pressOnPlot(Qt::RightButton, Qt::ShiftModifier, 12.3);
    EXPECT_NEAR(state().AllowedBottomholePressure, 12.3, 0.1);
    EXPECT_EQ(resultCaptions(), QStringList({"Предельно-допустимое Pз, МПа"}));
    EXPECT_NEAR(form().MSFlexGrid2->height(), 350 / 15.0, 1);

    form().Check1->click(); // unticking clears the value
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
}

TEST_F(AllowedPressureTest, ProducingWellSearchesOnceWhenTickedAndKeepsWhatItFound) {
    build(TurningWell);
    form().Check2->click();
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_NEAR(state().AllowedBottomholePressure, 8.88, 1e-6);
    EXPECT_EQ(resultCaptions(), QStringList({"Предельно-допустимое Pз, МПа"}));

    // The next rebuild keeps the value; the search does not run again.
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_EQ(state().FirstTrend.Kind, LinearTrend);
    EXPECT_NEAR(state().AllowedBottomholePressure, 8.88, 1e-6);
    EXPECT_EQ(resultCaptions().last(), "Предельно-допустимое Pз, МПа");

    form().Check2->click();
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    EXPECT_NE(resultCaptions().last(), "Предельно-допустимое Pз, МПа");
}

TEST_F(AllowedPressureTest, FailedSearchSaysSoAndShowsNoValue) {
    build("10\t18\n20\t16\n30\t14\n40\t12\n50\t10\n");
    form().Check2->click();
    EXPECT_EQ(messages.messages(),
              QStringList({"Предельно-допустимое забойное давление не найдено"}));
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    EXPECT_TRUE(resultCaptions().isEmpty());
}

TEST_F(AllowedPressureTest, InjectionWellWaitsForTwoTrends) {
    start({.WellType = InjectionWell});
    driver = test::GridDriver{form().MSFlexGrid1};
    build("50\t9\n100\t10,2\n150\t11,1\n200\t12,4\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_EQ(state().TrendCount, 1);
    form().Check2->click();
    EXPECT_EQ(state().TrendCount, 0); // ticking clears the trends
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
    EXPECT_FALSE(form().Picture7->isVisible());
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
}

TEST_F(AllowedPressureTest, BuildUnticksTheBoxesThroughTheirOwnRule) {
    build(TurningWell);
    form().Check1->click();
    pressOnPlot(Qt::RightButton, Qt::ShiftModifier, 12.3);
    ASSERT_GT(state().AllowedBottomholePressure, 0);
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_FALSE(form().Check1->isChecked());
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    EXPECT_TRUE(form().Check1->isVisible());
}

// The window's picture of a rebuild with a second trend: drawn whole from the analysis, the
// first trend under the second, the second's label lower, both index curves on the PI chart.
class PipelineTest : public test::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        form().Pnas->setText("5");
        build("10\t18\n20\t16\n30\t14,5\n40\t12\n");
        choose(menus().mTrendLine);
    }
    void secondTrend(double q1, double p1, double q2, double p2) {
        trendOnPoints(2, LinearTrend, {q1, q2}, {p1, p2});
    }
    int piCurves() {
        int n = 0;
        for (const DrawOp& op : form().Picture8->operations(DrawOp::Line))
            n += op.width == 3;
        return n;
    }
};

TEST_F(PipelineTest, SecondTrendIsDrawnOverTheFirstWithItsLabelLower) {
    const std::vector<DrawOp> first = form().Picture4->operations();
    secondTrend(20, 16, 40, 12);
    const std::vector<DrawOp>& both = form().Picture4->operations();
    ASSERT_GT(both.size(), first.size());
    // The picture starts as the one-trend picture did.
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(both[i].text, first[i].text);
    EXPECT_EQ(resultCaptions().at(2), "Коэф.продуктивности 2, м3/(сут*МПа)");
    const auto texts = form().Picture4->operations(DrawOp::Text);
    EXPECT_REL(state().IdAxisYTop * (1 - 1 / 5.5), texts[texts.size() - 3].y1, 1e-12);
    EXPECT_EQ(piCurves(), 2);
}

TEST_F(PipelineTest, SecondCoefficientAboveTheIndexAxisGrowsIt) {
    struct Case {
        double p2;
        double top;
    };
    const double automaticTop = state().PiAxisYTop;
    // Coefficient 20 is above the axis, 5 is not.
    for (const Case& c : {Case{15, 25}, Case{12, automaticTop}}) {
        SCOPED_TRACE(c.p2);
        SetUp();
        secondTrend(20, 16, 40, c.p2);
        EXPECT_EQ(state().PiAxisYTop, c.top);
        EXPECT_EQ(piCurves(), 2);
    }
}

} // namespace
} // namespace id
