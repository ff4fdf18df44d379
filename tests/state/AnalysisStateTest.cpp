#include "state/AnalysisState.h"
#include "analysis/ResultRows.h"

#include <gtest/gtest.h>

namespace id {
namespace {

TEST(OneBasedArray, IndexesFromOneAndGrowsKeepingContents) {
    OneBasedArray<double> a;
    a.append(10);
    a.append(20);
    EXPECT_EQ(a.size(), 2);
    EXPECT_EQ(a[1], 10);
    EXPECT_EQ(a[2], 20);
    a.resize(3);
    EXPECT_EQ(a[1], 10);
    EXPECT_EQ(a[3], 0);
    a.resetTo(2);
    EXPECT_EQ(a[1], 0);
}

TEST(AnalysisState, StartValuesBeforeTheFirstBuild) {
    const AnalysisState s;
    EXPECT_EQ(s.WellType, ProducingWell);
    EXPECT_EQ(s.IdAxisXMin, 0);
    EXPECT_EQ(s.IdAxisXMax, 0);
    EXPECT_EQ(s.IdAxisYTop, 0);
    EXPECT_EQ(s.IdAxisYBottom, 0);
    EXPECT_EQ(s.measurementCount(), 0);
    EXPECT_EQ(s.fitPointCount(), 0);
    EXPECT_EQ(s.TrendCount, 0);
    EXPECT_EQ(s.FirstTrend.Kind, NoTrend);
    EXPECT_EQ(s.Estimation, EstimationMode::None);
    EXPECT_EQ(s.Inputs.SaturationPressure, 2);
    EXPECT_EQ(s.Inputs.WellRadius, 0.1);
    // Before the first result the results table shows empty; nothing else is shown.
    EXPECT_TRUE(s.ResultsShown && resultRows(s).empty());
    EXPECT_FALSE(s.DiagramShown || s.PiChartShown || s.AllowedPressureBoxesShown);
}

AnalysisState stateWithEverythingSet() {
    AnalysisState s;
    s.ProductivityIndex = 2;
    s.SecondProductivityIndex = 3;
    s.ReservoirPressure = 20;
    s.AllowedBottomholePressure = 7;
    s.TrendCount = 2;
    s.FirstTrend = {LinearTrend, {-0.5, 20}, 0, 40, 0.9, 2};
    s.SecondTrend = {QuadraticTrend, {1, 2, 3}, 10, 40, 0.8, 0};
    s.IdAxisXMax = 100;
    s.IdAxisYTop = 25;
    s.IdAxisYBottom = 1;
    s.IdAxisXMin = 5;
    return s;
}

TEST(AnalysisState, ResetGroupsClearOnlyTheirOwnItems) {
    AnalysisState s = stateWithEverythingSet();
    const AnalysisState before = s;
    EXPECT_EQ(s, before); // a value: copies compare equal
    resetResults(s);
    EXPECT_EQ(s.ProductivityIndex, 0);
    EXPECT_EQ(s.SecondProductivityIndex, 0);
    EXPECT_EQ(s.ReservoirPressure, 0);
    EXPECT_EQ(s.AllowedBottomholePressure, 7);
    EXPECT_EQ(s.TrendCount, 2);
    EXPECT_NE(s, before);

    ResetTrends(s);
    EXPECT_EQ(s.TrendCount, 0);
    EXPECT_EQ(s.FirstTrend, TrendRecord{});
    EXPECT_EQ(s.SecondTrend, TrendRecord{});
    EXPECT_EQ(s.IdAxisXMax, 100);

    resetAxes(s);
    EXPECT_EQ(s.IdAxisXMin, 0);
    EXPECT_EQ(s.IdAxisXMax, 0);
    EXPECT_EQ(s.IdAxisYTop, 0);
    EXPECT_EQ(s.IdAxisYBottom, 0);
    EXPECT_EQ(s.AllowedBottomholePressure, 7);
}

TEST(AnalysisState, FitSetOfAllMeasurementsKeepsTableOrder) {
    AnalysisState s;
    s.Measurements.append(30, 17);
    s.Measurements.append(10, 20);
    fitAllMeasurements(s);
    ASSERT_EQ(s.fitPointCount(), 2);
    EXPECT_EQ(s.FitRates[1], 30);
    EXPECT_EQ(s.FitPressures[2], 20);
    EXPECT_EQ(s.Measurements(Measurements::RateColumn, 2), 10);
    EXPECT_EQ(s.Measurements(Measurements::PressureColumn, 1), 17);
}

} // namespace
} // namespace id
