#include "diagram/TrendFit.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/AnalysisFault.h"
#include "support/Approx.h"

namespace id {
namespace {

AnalysisState withFitSet(const std::vector<double>& q, const std::vector<double>& p, int kind,
                         int trendCount = 1, int wellType = ProducingWell) {
    AnalysisState s;
    applyStartValues(s);
    s.WellType = static_cast<std::int16_t>(wellType);
    for (std::size_t i = 0; i < q.size(); ++i) {
        s.FitRates.append(q[i]);
        s.FitPressures.append(p[i]);
    }
    s.FitPointCount = static_cast<int>(q.size());
    s.TrendCount = static_cast<std::int16_t>(trendCount);
    s.CurrentTrendKind = static_cast<std::int16_t>(kind);
    return s;
}

TEST(TrendFit, LineOfAProducingWellGivesCoefficientAndReservoirPressure) {
    LeastSquaresFitService fits;
    AnalysisState s = withFitSet({10, 20, 30}, {15, 10, 5}, LinearTrend);
    fitCurrentTrend(s, fits);
    deriveTrendResults(s);
    computeTrendRSquared(s, fits);
    EXPECT_REL(-0.5, s.CurrentTrendCoefficients[1], 1e-12);
    EXPECT_REL(20, s.CurrentTrendCoefficients[2], 1e-12);
    EXPECT_REL(2, s.ProductivityIndex, 1e-12);
    EXPECT_REL(20, s.ReservoirPressure, 1e-12);
    EXPECT_REL(1, s.TrendRSquared, 1e-12);
    EXPECT_EQ(s.FirstTrendRSquared, s.TrendRSquared);
}

TEST(TrendFit, InjectionWellKeepsTheSignOfTheSlope) {
    LeastSquaresFitService fits;
    AnalysisState s = withFitSet({10, 20}, {10, 12}, LinearTrend, 1, InjectionWell);
    fitCurrentTrend(s, fits);
    deriveTrendResults(s);
    EXPECT_REL(5, s.ProductivityIndex, 1e-12);
    EXPECT_REL(8, s.ReservoirPressure, 1e-12);
}

TEST(TrendFit, PolynomialsGiveReservoirPressureButNoCoefficient) {
    LeastSquaresFitService fits;
    AnalysisState s = withFitSet({10, 20, 30, 40}, {15, 10, 5, 0}, QuadraticTrend);
    s.ProductivityIndex = 9;
    fitCurrentTrend(s, fits);
    deriveTrendResults(s);
    EXPECT_EQ(s.ProductivityIndex, 0);
    EXPECT_REL(20, s.ReservoirPressure, 1e-10);
}

TEST(TrendFit, SecondTrendSetsOnlyTheSecondCoefficient) {
    LeastSquaresFitService fits;
    AnalysisState s = withFitSet({10, 20}, {18, 14}, LinearTrend, 2);
    s.ReservoirPressure = 20;
    s.ProductivityIndex = 2;
    fitCurrentTrend(s, fits);
    deriveTrendResults(s);
    computeTrendRSquared(s, fits);
    EXPECT_REL(2.5, s.SecondProductivityIndex, 1e-12);
    EXPECT_EQ(s.ReservoirPressure, 20);
    EXPECT_EQ(s.ProductivityIndex, 2);
    EXPECT_EQ(s.SecondTrendRSquared, s.TrendRSquared);
}

TEST(TrendFit, ZeroSlopeEndsTheCommandBeforeAnyResultChanges) {
    AnalysisState s = withFitSet({10, 20}, {15, 15}, LinearTrend);
    s.CurrentTrendCoefficients = {0, 15};
    s.ProductivityIndex = 3;
    EXPECT_THROW(deriveTrendResults(s), AnalysisFault);
    EXPECT_EQ(s.ProductivityIndex, 3);
}

TEST(TrendFit, TooFewPointsForTheKindEndTheCommand) {
    LeastSquaresFitService fits;
    AnalysisState s = withFitSet({10, 20, 30}, {15, 10, 5}, CubicTrend);
    EXPECT_THROW(fitCurrentTrend(s, fits), AnalysisFault);
}

} // namespace
} // namespace id
