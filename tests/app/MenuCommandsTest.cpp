#include "platform/view/PictureSurface.h"
#include "support/AnalysisFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace id {
namespace {

using MenuCommandsTest = test::AnalysisFixture;

const QString FourPoints = "10\t18\n20\t16\n30\t14,5\n40\t12\n";

TEST_F(MenuCommandsTest, BuildReadsOnlyCompleteRows) {
    form().Pnas->setText("5");
    driver.typeRows({{"10", "20"}, {"20", ""}, {"30", "16"}});
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_EQ(state().measurementCount(), 2);
    EXPECT_EQ(state().Measurements.rate(2), 30);
    EXPECT_EQ(state().fitPointCount(), 2);
    EXPECT_EQ(state().IdAxisXMax, 35);
    EXPECT_EQ(state().IdAxisYTop, 25);
    EXPECT_EQ(state().IdAxisYBottom, 0);
    EXPECT_EQ(state().FitRateTo, 30);
    EXPECT_TRUE(form().Picture3->isVisible());
    EXPECT_TRUE(form().Check1->isVisible());
    EXPECT_TRUE(form().Check2->isVisible());
    EXPECT_FALSE(form().Check1->isChecked());
    EXPECT_FALSE(form().Check2->isChecked());
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
    EXPECT_TRUE(menus().mTrend->menuAction()->isEnabled());
}

TEST_F(MenuCommandsTest, BuildIsOfferedOnlyWithACompleteFirstRow) {
    driver.click(1, 1);
    driver.key(Qt::Key_Return); // numbers the first row and leaves it empty
    driver.click(2, 1);
    driver.type("20");
    driver.click(2, 2);
    driver.type("16");
    emit menus().mIdd->aboutToShow();
    EXPECT_FALSE(menus().mIdAdd->isEnabled());
    driver.typeRows({{"10", ""}});
    emit menus().mIdd->aboutToShow();
    EXPECT_FALSE(menus().mIdAdd->isEnabled());
    driver.typeRows({{"10", "5"}});
    emit menus().mIdd->aboutToShow();
    EXPECT_TRUE(menus().mIdAdd->isEnabled());
}

TEST_F(MenuCommandsTest, CellThatIsNotANumberStopsTheBuildAndKeepsTheAnalysis) {
    form().Pnas->setText("5");
    build(FourPoints);
    ASSERT_TRUE(choose(menus().mTrendLine));
    const double productivity = state().ProductivityIndex;
    driver.click(3, 1);
    driver.type(",,");
    edit([&](AnalysisState& s) {
        s.ProductivityIndex = productivity;
    }); // what the edit discarded, to see it survive
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_EQ(messages.last(), "В строке 3 таблицы записано не число: «30,,». График не построен");
    EXPECT_EQ(state().ProductivityIndex, productivity);
    EXPECT_EQ(state().measurementCount(), 4);
}

TEST_F(MenuCommandsTest, TrendMenuFollowsThePointCount) {
    form().Pnas->setText("5");
    struct Case {
        QString data;
        bool line, quadratic, cubic;
    };
    const Case cases[] = {
        {"10\t18\n", false, false, false},
        {"10\t18\n20\t16\n", true, false, false},
        {"10\t18\n20\t16\n30\t15\n", true, true, false},
        {FourPoints, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data.toStdString());
        start();
        driver = test::GridDriver{form().MSFlexGrid1};
        form().Pnas->setText("5");
        build(c.data);
        emit menus().mTrend->aboutToShow();
        EXPECT_TRUE(menus().mTrendAdd->menuAction()->isEnabled());
        EXPECT_EQ(menus().mTrendLine->isEnabled(), c.line);
        EXPECT_EQ(menus().mTrendPolinom2->isEnabled(), c.quadratic);
        EXPECT_EQ(menus().mTrendPolinom3->isEnabled(), c.cubic);
        EXPECT_FALSE(menus().mTrendDelete->isEnabled());
    }
}

TEST_F(MenuCommandsTest, DiagramMenuFollowsTheShownCharts) {
    form().Pnas->setText("5");
    emit menus().mIdd->aboutToShow();
    EXPECT_FALSE(menus().mIdFormat->menuAction()->isEnabled());
    EXPECT_FALSE(menus().mEditCopy->menuAction()->isEnabled());
    build(FourPoints);
    emit menus().mIdd->aboutToShow();
    EXPECT_TRUE(menus().mIdFormat->menuAction()->isEnabled());
    EXPECT_TRUE(menus().mEditCopy->menuAction()->isEnabled());
    EXPECT_FALSE(menus().mIdFormatYPIQ->isEnabled());
    EXPECT_FALSE(menus().mEditCopyPIGraf->isEnabled());
    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    emit menus().mIdd->aboutToShow();
    EXPECT_TRUE(menus().mIdFormatYPIQ->isEnabled());
    EXPECT_TRUE(menus().mEditCopyPIGraf->isEnabled());
    EXPECT_FALSE(menus().mIdSkin->menuAction()->isEnabled());
    ASSERT_TRUE(choose(menus().mTrendLine));
    emit menus().mIdd->aboutToShow();
    EXPECT_TRUE(menus().mIdSkin->menuAction()->isEnabled());
}

TEST_F(MenuCommandsTest, ChoosingTheCheckedWellTypeChangesNothing) {
    form().Pnas->setText("5");
    build(FourPoints);
    ASSERT_TRUE(choose(menus().mTrendLine));
    const double productivity = state().ProductivityIndex;
    ASSERT_TRUE(choose(menus().mEditWellDob));
    EXPECT_TRUE(menus().mEditWellDob->isChecked());
    EXPECT_FALSE(menus().mEditWellNag->isChecked());
    EXPECT_EQ(state().ProductivityIndex, productivity);
    EXPECT_TRUE(form().Picture3->isVisible());
}

TEST_F(MenuCommandsTest, SwitchingToAnInjectionWell) {
    form().Pnas->setText("5");
    build(FourPoints);
    ASSERT_TRUE(choose(menus().mIdSkinGidro));
    ASSERT_TRUE(choose(menus().mEditWellNag));
    EXPECT_EQ(state().WellType, InjectionWell);
    EXPECT_TRUE(menus().mEditWellNag->isChecked());
    EXPECT_FALSE(menus().mEditWellDob->isChecked());
    EXPECT_EQ(frame->windowTitle(), "Индикаторная диаграмма нагнетательной скважины[*]");
    EXPECT_EQ(form().MSFlexGrid1->text(0, 1), "Приемистость, м3/сут");
    EXPECT_EQ(form().MSFlexGrid1->rowHeight(0), 37);
    EXPECT_NEAR(form().Picture4->y(), 1300 / 15.0, 1);
    EXPECT_FALSE(form().Pnas->isVisible());
    EXPECT_FALSE(form().Picture3->isVisible());
    EXPECT_FALSE(form().Check1->isVisible());
    EXPECT_FALSE(menus().mTrend->menuAction()->isEnabled());
    EXPECT_TRUE(menus().mIdSkinNot->isChecked());
    EXPECT_FALSE(form().Skin->isVisible());
    EXPECT_EQ(form().MSFlexGrid1->text(1, 1), "10"); // the table keeps its contents

    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_EQ(state().IdAxisYTop, 0);
    EXPECT_EQ(state().IdAxisYBottom, 20);
}

TEST_F(MenuCommandsTest, PolynomialTrendSwitchesTheSkinEstimateOff) {
    form().Pnas->setText("5");
    build(FourPoints);
    ASSERT_TRUE(choose(menus().mTrendLine));
    ASSERT_TRUE(choose(menus().mIdSkinSkin));
    EXPECT_TRUE(form().Skin->isVisible());
    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    EXPECT_TRUE(menus().mIdSkinNot->isChecked());
    EXPECT_FALSE(menus().mIdSkinSkin->isChecked());
    EXPECT_FALSE(form().Skin->isVisible());
    EXPECT_FALSE(form().Label3->isVisible());
    EXPECT_FALSE(form().Rwell->isVisible());
    EXPECT_EQ(state().TrendCount, 1);
    EXPECT_EQ(state().FirstTrend.Kind, QuadraticTrend);
    EXPECT_EQ(resultCaptions(), QStringList({"Пластовое давление, МПа"}));
}

TEST_F(MenuCommandsTest, DeletingTrendsKeepsAProducingWellsAllowedPressure) {
    form().Pnas->setText("5");
    build(FourPoints);
    ASSERT_TRUE(choose(menus().mTrendLine));
    edit([&](AnalysisState& s) { s.AllowedBottomholePressure = 7; });
    ASSERT_TRUE(choose(menus().mTrendDelete));
    EXPECT_EQ(state().TrendCount, 0);
    EXPECT_EQ(state().ProductivityIndex, 0);
    EXPECT_EQ(state().AllowedBottomholePressure, 7);
    EXPECT_EQ(resultCaptions(), QStringList({"Предельно-допустимое Pз, МПа"}));
    EXPECT_FALSE(form().Picture7->isVisible());
}

TEST_F(MenuCommandsTest, DeletingTrendsClearsAnInjectionWellsAllowedPressure) {
    start({.WellType = InjectionWell});
    driver = test::GridDriver{form().MSFlexGrid1};
    build("10\t8\n20\t10\n30\t12\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    edit([&](AnalysisState& s) { s.AllowedBottomholePressure = 7; });
    ASSERT_TRUE(choose(menus().mTrendDelete));
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
}

TEST_F(MenuCommandsTest, SelectionModeToggleResetsTrendsAndRestoresTheFitSet) {
    form().Pnas->setText("5");
    build(FourPoints);
    ASSERT_TRUE(choose(menus().mTrendLine));
    ASSERT_TRUE(choose(menus().mTrendAddSelectPoint));
    EXPECT_TRUE(menus().mTrendAddSelectPoint->isChecked());
    EXPECT_EQ(state().TrendCount, 0);
    EXPECT_EQ(state().ProductivityIndex, 0);
    emit menus().mTrend->aboutToShow();
    EXPECT_FALSE(menus().mTrendAdd->menuAction()->isEnabled());

    edit([&](AnalysisState& s) { // as picked points would leave it
        s.FitRates.resize(2);
        s.FitPressures.resize(2);
    });
    edit([&](AnalysisState& s) { s.FitRateFrom = 20; });
    ASSERT_TRUE(choose(menus().mTrendAddSelectPoint));
    EXPECT_FALSE(menus().mTrendAddSelectPoint->isChecked());
    EXPECT_EQ(state().fitPointCount(), 4);
    EXPECT_EQ(state().FitRateFrom, 0);
    EXPECT_EQ(state().FitRateTo, 40);
}

TEST_F(MenuCommandsTest, ZeroSlopeEndsTheTrendCommandWithAMessage) {
    form().Pnas->setText("5");
    build("10\t15\n20\t15\n30\t15\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_EQ(messages.last(),
              "Наклон линии тренда равен нулю: коэффициент продуктивности не определён");
    EXPECT_EQ(state().TrendCount, 0);
    EXPECT_EQ(state().ProductivityIndex, 0);
    EXPECT_EQ(state().ReservoirPressure, 0);
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
    // A flat parabola fits, but its R² is undefined: said so, and the program goes on.
    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    EXPECT_TRUE(messages.last().startsWith("Коэффициент корреляции не определён"));
    EXPECT_EQ(state().TrendCount, 0);
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_TRUE(form().Picture3->isVisible());
}

TEST_F(MenuCommandsTest, SlopeZeroWithinRoundingIsTheZeroSlopeFault) {
    // Equal pressures at six rates, and points whose exact slope is 0 but comes out as 1e-17
    // in floating point: no productivity coefficient of 1e16.
    for (const QString& points :
         {QString("10\t15,3\n20\t15,3\n35\t15,3\n50\t15,3\n65\t15,3\n80\t15,3\n"),
          QString("1\t1\n2\t2\n3\t1\n"), QString("9\t1\n28\t3\n9\t5\n")}) {
        SCOPED_TRACE(points.toStdString());
        start();
        driver = test::GridDriver{form().MSFlexGrid1};
        form().Pnas->setText("5");
        build(points);
        ASSERT_TRUE(choose(menus().mTrendLine));
        EXPECT_EQ(messages.last(),
                  "Наклон линии тренда равен нулю: коэффициент продуктивности не определён");
        EXPECT_TRUE(resultCaptions().isEmpty());
        EXPECT_EQ(state().TrendCount, 0);
    }
}

TEST_F(MenuCommandsTest, NumbersTooLargeForAChartEndTheBuildAtOnce) {
    struct Case {
        QString points;
        QString message;
    };
    const Case cases[] = {
        {"1E20\t5\n2\t4\n", "Значения по оси X слишком велики (больше 1E+10). "
                            "График не построен"},
        {"40000000000000000\t5\n", "Значения по оси X слишком велики (больше 1E+10). "
                                   "График не построен"},
        {"10\t1E17\n20\t5\n", "Значения по оси Y слишком велики (больше 1E+10). "
                              "График не построен"},
        {"10\t-1E300\n20\t5\n", "Значения по оси Y слишком велики (больше 1E+10). "
                                "График не построен"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.points.toStdString());
        start();
        driver = test::GridDriver{form().MSFlexGrid1};
        form().Pnas->setText("5");
        build(c.points);
        EXPECT_EQ(messages.last(), c.message);
        EXPECT_FALSE(form().Picture3->isVisible());
        EXPECT_EQ(state().measurementCount(), 0);
    }
}

TEST_F(MenuCommandsTest, LongBadCellIsQuotedShortly) {
    driver.typeRows({{"10", "20"}, {QString(200, u'1') + ",1,1", "5"}});
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_EQ(messages.last(), "В строке 2 таблицы записано не число: «" + QString(40, u'1') +
                                   "…». График не построен");
}

TEST_F(MenuCommandsTest, SearchTickHiddenByAnEditStartsNoSearchAtTheNextBuild) {
    form().Pnas->setText("5");
    build(FourPoints);
    form().Check2->setChecked(true);
    messages.clear();
    driver.click(1, 1);
    driver.type("0");
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_FALSE(form().Check2->isChecked());
}

TEST_F(MenuCommandsTest, EstimationModeBeforeAnyResultAsksNothing) {
    ASSERT_TRUE(choose(menus().mIdSkinGidro));
    ASSERT_TRUE(choose(menus().mIdSkinSkin));
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_TRUE(form().Skin->isVisible());
}

TEST_F(MenuCommandsTest, CommandsThatChangeNoChartDrawNothing) {
    form().Pnas->setText("5");
    build(FourPoints);
    ASSERT_TRUE(choose(menus().mTrendLine));
    const qint64 diagram = form().Picture4->image().cacheKey();
    const qint64 index = form().Picture8->image().cacheKey();
    form().Check1->click();
    ASSERT_TRUE(choose(menus().mIdSkinGidro));
    EXPECT_EQ(form().Picture4->image().cacheKey(), diagram);
    EXPECT_EQ(form().Picture8->image().cacheKey(), index);
}

TEST_F(MenuCommandsTest, AnIndexAxisTooLargeHidesThePiChartOnly) {
    form().Pnas->setText("5");
    build("1E9\t20\n2E9\t19,99\n3E9\t19,98\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_EQ(messages.last(), "Значения по оси Y графика PI от Q слишком велики (больше 1E+10). "
                               "График не построен");
    EXPECT_EQ(state().TrendCount, 1);
    EXPECT_FALSE(resultCaptions().isEmpty());
    EXPECT_FALSE(form().Picture7->isVisible());
}

TEST_F(MenuCommandsTest, FailedTrendLeavesTheAnalysisAsItWas) {
    form().Pnas->setText("5");
    // Four points but only three distinct rates: no cubic through them.
    build("10\t18\n20\t16\n20\t15\n40\t12\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    const AnalysisState before = state();
    const std::vector<DrawOp> picture = form().Picture4->operations();
    ASSERT_TRUE(choose(menus().mTrendPolinom3));
    EXPECT_TRUE(messages.last().startsWith("Для линии тренда степени 3"));
    EXPECT_EQ(state(), before);
    EXPECT_EQ(form().Picture4->operations().size(), picture.size());
    EXPECT_EQ(resultCaptions(),
              QStringList({"Коэф.продуктивности, м3/(сут*МПа)", "Пластовое давление, МПа"}));
}

} // namespace
} // namespace id
