#include "diagram/RedrawPipeline.h"
#include "analysis/ResultRows.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/AnalysisFault.h"
#include "support/Approx.h"

namespace id {
namespace {

// An analysis built from the points, asking for a trend of the kind in the slot.
AnalysisState withTrendAsked(const std::vector<double>& q, const std::vector<double>& p, int kind,
                             int slot = 1, int wellType = ProducingWell) {
    AnalysisState s;
    s.WellType = static_cast<std::int16_t>(wellType);
    s.Inputs.Pnas = "5";
    for (std::size_t i = 0; i < q.size(); ++i)
        s.Measurements.append(q[i], p[i]);
    fitAllMeasurements(s);
    s.FitRateTo = *std::max_element(q.begin(), q.end());
    s.IdAxisXMax = 100;
    s.IdAxisYTop = 25;
    s.TrendCount = static_cast<std::int16_t>(slot);
    s.trend(slot).Kind = static_cast<std::int16_t>(kind);
    return s;
}

class PipelineCore : public ::testing::Test {
protected:
    void redraw(AnalysisState& s) { RedrawIndicatorDiagram(s, context); }
    LeastSquaresFitService fits;
    StartOptions options;
    CommandContext context{fits, options, {}};
};

TEST_F(PipelineCore, TrendsGiveTheirResultsAndAreStoredWhole) {
    struct Case {
        const char* name;
        std::vector<double> q, p;
        int kind, wellType;
        double coefficient, reservoir;
    };
    const Case cases[] = {
        {"producing line", {10, 20, 30}, {15, 10, 5}, LinearTrend, ProducingWell, 2, 20},
        {"injection line keeps the sign", {10, 20}, {10, 12}, LinearTrend, InjectionWell, 5, 8},
        {"parabola: no coefficient",
         {10, 20, 30, 40},
         {15, 10, 5, 0},
         QuadraticTrend,
         ProducingWell,
         0,
         20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnalysisState s = withTrendAsked(c.q, c.p, c.kind, 1, c.wellType);
        redraw(s);
        EXPECT_REL(c.coefficient, s.ProductivityIndex, 1e-10);
        EXPECT_REL(c.reservoir, s.ReservoirPressure, 1e-10);
        EXPECT_EQ(s.FirstTrend.Kind, c.kind);
        EXPECT_EQ(s.FirstTrend.Coefficients.size(), c.kind);
        EXPECT_EQ(s.FirstTrend.Coefficient, s.ProductivityIndex);
        EXPECT_EQ(s.FirstTrend.RateTo, s.FitRateTo);
        EXPECT_REL(1, s.FirstTrend.RSquared, 1e-12);
        // The PI chart takes the diagram's rate axis and an index axis from the points.
        EXPECT_TRUE(s.PiChartShown);
        EXPECT_EQ(s.PiAxisXMax, 100);
        EXPECT_GT(s.PiAxisYTop, 0);
        EXPECT_TRUE(s.ResultsShown);
    }
}

TEST_F(PipelineCore, SecondTrendSetsItsOwnCoefficientAndGrowsTheIndexAxis) {
    AnalysisState s = withTrendAsked({10, 20, 30, 40}, {18, 16, 14.5, 12}, LinearTrend);
    redraw(s);
    const TrendRecord first = s.FirstTrend;
    const double reservoir = s.ReservoirPressure;
    ASSERT_LT(s.PiAxisYTop, 20);
    // A second line through (20; 16) and (40; 15): coefficient 20.
    s.FitRates = {20, 40};
    s.FitPressures = {16, 15};
    s.FitRateFrom = 20;
    s.FitRateTo = 40;
    s.TrendCount = 2;
    s.SecondTrend.Kind = LinearTrend;
    redraw(s);
    EXPECT_REL(20, s.SecondProductivityIndex, 1e-12);
    EXPECT_EQ(s.PiAxisYTop, 25); // the axis is rounded, the coefficient is not
    EXPECT_EQ(s.FirstTrend, first);
    EXPECT_EQ(s.ReservoirPressure, reservoir);
    EXPECT_EQ(s.SecondTrend.RateFrom, 20);
    EXPECT_EQ(resultRows(s).at(2).value, "20,00");
}

TEST_F(PipelineCore, FirstTrendsIndexAboveThePointsGrowsTheIndexAxis) {
    // The line meets q = 0 at 3, where (45; 3) lies: that point has no index, the others give
    // 27 (axis 30), the line 42.
    AnalysisState s = withTrendAsked({45, 27, 54}, {3, 2, 1}, LinearTrend);
    redraw(s);
    EXPECT_REL(42, s.ProductivityIndex, 1e-12);
    EXPECT_EQ(s.PiAxisYTop, 50);
}

TEST_F(PipelineCore, FaultsEndTheRebuild) {
    AnalysisState flat = withTrendAsked({10, 20}, {15, 15}, LinearTrend);
    EXPECT_THROW(redraw(flat), AnalysisFault);
    AnalysisState tooFew = withTrendAsked({10, 20, 30}, {15, 10, 5}, CubicTrend);
    EXPECT_THROW(redraw(tooFew), AnalysisFault);
}

} // namespace
} // namespace id
