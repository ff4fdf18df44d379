#include "state/AnalysisState.h"

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
    AnalysisState s;
    applyStartValues(s);
    EXPECT_EQ(s.WellType, ProducingWell);
    EXPECT_TRUE(s.WellTypeSelectable);
    EXPECT_FALSE(s.DatabaseMode);
    EXPECT_FALSE(s.DatabaseRecordLoaded);
    EXPECT_EQ(s.IdAxisXMin, 0);
    EXPECT_EQ(s.IdAxisXMax, 0);
    EXPECT_EQ(s.IdAxisYTop, 0);
    EXPECT_EQ(s.IdAxisYBottom, 0);
    EXPECT_EQ(s.MeasurementCount, 0);
    EXPECT_EQ(s.FitPointCount, 0);
    EXPECT_EQ(s.TrendCount, 0);
    EXPECT_EQ(s.FirstTrendKind, NoTrend);
    EXPECT_FALSE(s.ReplayingIdTrends || s.StopAfterTrendLabel || s.ReplayingPiTrends);
    EXPECT_EQ(s.AllowedPressureTolerance, 0.01);
    EXPECT_EQ(s.CurveSegments, 500);
    EXPECT_EQ(s.PointRadiusDivisor, 120);
    EXPECT_EQ(s.PlotLeftMarginFraction, 0.12);
    EXPECT_EQ(s.SaturationLineDashes, 20);
}

AnalysisState stateWithEverythingSet() {
    AnalysisState s;
    applyStartValues(s);
    s.ProductivityIndex = 2;
    s.SecondProductivityIndex = 3;
    s.ReservoirPressure = 20;
    s.AllowedBottomholePressure = 7;
    s.TrendCount = 2;
    s.CurrentTrendKind = LinearTrend;
    s.CurrentTrendCoefficients = {-0.5, 20};
    s.FirstTrendKind = LinearTrend;
    s.FirstTrendCoefficients = {-0.5, 20};
    s.SecondTrendKind = QuadraticTrend;
    s.SecondTrendCoefficients = {1, 2, 3};
    s.IdAxisXMax = 100;
    s.IdAxisYTop = 25;
    s.IdAxisYBottom = 1;
    s.IdAxisXMin = 5;
    return s;
}

TEST(AnalysisState, ResetGroupsClearOnlyTheirOwnItems) {
    AnalysisState s = stateWithEverythingSet();
    resetResults(s);
    EXPECT_EQ(s.ProductivityIndex, 0);
    EXPECT_EQ(s.SecondProductivityIndex, 0);
    EXPECT_EQ(s.ReservoirPressure, 0);
    EXPECT_EQ(s.AllowedBottomholePressure, 7);
    EXPECT_EQ(s.TrendCount, 2);

    ResetTrends(s);
    EXPECT_EQ(s.TrendCount, 0);
    EXPECT_EQ(s.CurrentTrendKind, NoTrend);
    EXPECT_EQ(s.FirstTrendKind, NoTrend);
    EXPECT_EQ(s.SecondTrendKind, NoTrend);
    EXPECT_TRUE(s.CurrentTrendCoefficients.empty());
    EXPECT_TRUE(s.FirstTrendCoefficients.empty());
    EXPECT_TRUE(s.SecondTrendCoefficients.empty());
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
    s.MeasurementCount = 2;
    fitAllMeasurements(s);
    ASSERT_EQ(s.FitPointCount, 2);
    EXPECT_EQ(s.FitRates[1], 30);
    EXPECT_EQ(s.FitPressures[2], 20);
    EXPECT_EQ(s.Measurements(Measurements::RateColumn, 2), 10);
    EXPECT_EQ(s.Measurements(Measurements::PressureColumn, 1), 17);
}

} // namespace
} // namespace id
