#include "analysis/AllowedPressureSearch.h"
#include "analysis/ResultRows.h"
#include "platform/RecordingMessagePort.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "support/Approx.h"

#include "state/TrendMath.h"

#include <cmath>
#include <limits>
#include <random>

namespace id {
namespace {

TEST(TrendMeetingSearch, StopsAtTheFirstGridRateWithinTolerance) {
    // The lines meet at q = 4, but 3.88 is already within 1 %.
    const auto p = searchTrendMeeting(LinearTrend, {2, 5}, LinearTrend, {3, 1}, 10, 0.01);
    ASSERT_TRUE(p.has_value());
    EXPECT_REL(3 * 3.88 + 1, *p, 1e-9);
}

TEST(TrendMeetingSearch, ParallelTrendsNeverMeet) {
    EXPECT_FALSE(searchTrendMeeting(LinearTrend, {2, 5}, LinearTrend, {2, 1}, 10, 0.01));
}

TEST(TrendMeetingSearch, ToleranceIncludesEquality) {
    // Same trend twice: the gap is exactly 0 at the first rate.
    const auto p =
        searchTrendMeeting(QuadraticTrend, {0.1, -1, 20}, QuadraticTrend, {0.1, -1, 20}, 10, 0.0);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(*p, 20);
}

TEST(TrendMeetingSearch, RatesWhereTheSecondTrendIsZeroAreSkipped) {
    const auto p = searchTrendMeeting(LinearTrend, {1, 0}, LinearTrend, {1, 0}, 10, 0.01);
    ASSERT_TRUE(p.has_value());
    EXPECT_NEAR(*p, 0.01, 1e-15);
    EXPECT_FALSE(searchTrendMeeting(LinearTrend, {1, 3}, LinearTrend, {0, 0}, 10, 0.01));
}

// The search as the method states it: rates accumulated in steps of 0.01 from 0.
std::optional<double> literalWalk(int kind1, const Coefficients& c1, int kind2,
                                  const Coefficients& c2, double axisMax, double tolerance) {
    for (double q = 0; q <= 10 * axisMax; q += 0.01) {
        const double p2 = evaluateTrend(kind2, c2, q);
        if (p2 != 0 && std::abs(evaluateTrend(kind1, c1, q) / p2 - 1) <= tolerance)
            return p2;
    }
    return std::nullopt;
}

TEST(TrendMeetingSearch, AgreesWithTheLiteralWalk) {
    struct Pair {
        int kind1;
        Coefficients c1;
        int kind2;
        Coefficients c2;
    };
    const Pair pairs[] = {
        {LinearTrend, {2, 5}, LinearTrend, {3, 1}},
        {LinearTrend, {0.05, 8}, LinearTrend, {0.08, 2}},
        {LinearTrend, {0.0123, 10.7}, LinearTrend, {0.0311, 3.9}},
        {LinearTrend, {0.02, 4}, QuadraticTrend, {1e-4, 0.001, 6}},
        {QuadraticTrend, {-2e-4, 0.1, 5}, LinearTrend, {0.01, 6}},
        {CubicTrend, {1e-6, -2e-4, 0.05, 3}, LinearTrend, {0.03, 2.5}},
        {CubicTrend, {-1e-7, 1e-4, 0.01, 4}, QuadraticTrend, {5e-5, 0.002, 4.5}},
        {LinearTrend, {-0.5, 40}, LinearTrend, {-0.2, 25}},
        {LinearTrend, {1, 0}, LinearTrend, {1, 0}},
        {LinearTrend, {2, 10}, LinearTrend, {-1, -10}},
        {LinearTrend, {0.001, 5}, LinearTrend, {0.001, 5.2}},
        // Gaps within rounding of the tolerance over long stretches: the walk's rounding decides.
        {LinearTrend, {0.0099, 2.97}, LinearTrend, {0.01, 3}},
        {LinearTrend, {0.0099, 13.86}, LinearTrend, {0.01, 14}},
        {LinearTrend, {0.0101, 7.07}, LinearTrend, {0.01, 7}},
        {CubicTrend, {1.01e-6, -2.02e-4, 0.0505, 3.03}, CubicTrend, {1e-6, -2e-4, 0.05, 3}},
        {QuadraticTrend, {0.99e-4, 0.0099, 5.94}, QuadraticTrend, {1e-4, 0.01, 6}},
    };
    for (const Pair& p : pairs) {
        for (double axis : {10.0, 100.0, 1000.0}) {
            SCOPED_TRACE(axis);
            const auto fast = searchTrendMeeting(p.kind1, p.c1, p.kind2, p.c2, axis, 0.01);
            const auto walk = literalWalk(p.kind1, p.c1, p.kind2, p.c2, axis, 0.01);
            ASSERT_EQ(fast.has_value(), walk.has_value());
            if (fast) {
                EXPECT_EQ(*fast, *walk);
            }
        }
    }
}

TEST(TrendMeetingSearch, AgreesWithTheWalkForNearlyProportionalTrends) {
    // One trend a fixed factor of the other: their gap equals the tolerance everywhere, or
    // almost, so the answer is where the walk's rounding first lets it pass.
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> unitRandom(0.2, 1.0);
    const double factors[] = {0.99, 1.01, 0.995, 1.0, 1.0099};
    for (int n = 0; n < 150; ++n) {
        const int kind = LinearTrend + n % 3;
        Coefficients c2(kind);
        for (int k = 1; k <= kind; ++k)
            c2[k] = unitRandom(random) * std::pow(10.0, -2.0 * (kind - k)) * (k == kind ? 20 : 1);
        Coefficients c1 = c2;
        const double factor = factors[n % 5];
        for (int k = 1; k <= kind; ++k)
            c1[k] *= factor;
        SCOPED_TRACE(n);
        EXPECT_EQ(searchTrendMeeting(kind, c1, kind, c2, 100, 0.01),
                  literalWalk(kind, c1, kind, c2, 100, 0.01));
    }
}

TEST(TrendMeetingSearch, EveryFiniteInputEndsAtOnceWithAFiniteAnswer) {
    const double huge = 1e308;
    // Axes where adding 0.01 no longer moves the rate, coefficients that overflow, a tolerance
    // that accepts anything: the answer is a finite pressure or none.
    const auto never = searchTrendMeeting(LinearTrend, {2, 10}, LinearTrend, {-1, -10}, 1e15, 0.01);
    EXPECT_FALSE(never.has_value());
    const auto far =
        searchTrendMeeting(LinearTrend, {1, 0}, LinearTrend, {1.001, -5e9}, 1e14, 0.01);
    ASSERT_TRUE(far.has_value());
    EXPECT_TRUE(std::isfinite(*far));
    // Tolerances that accept anything: the first rate with a second trend's value decides, as
    // in the walk.
    const double inf = std::numeric_limits<double>::infinity();
    for (double tolerance : {2.0, 1e300, inf}) {
        SCOPED_TRACE(tolerance);
        EXPECT_EQ(searchTrendMeeting(CubicTrend, {huge, -huge, huge, 1}, CubicTrend,
                                     {-huge, huge, -huge, -1}, 1e15, tolerance),
                  -1.0);
    }
    EXPECT_EQ(searchTrendMeeting(LinearTrend, {1, 5}, LinearTrend, {0, 3}, 10, inf), 3.0);
}

TEST(TrendMeetingSearch, InjectionWellStateGetsTheValueOrTheMessage) {
    AnalysisState s;
    s.WellType = InjectionWell;
    s.IdAxisXMax = 10;
    s.TrendCount = 2;
    s.FirstTrend.Kind = LinearTrend;
    s.FirstTrend.Coefficients = {2, 5};
    s.SecondTrend.Kind = LinearTrend;
    s.SecondTrend.Coefficients = {3, 1};
    QStringList messages;
    FindAllowedPressureFromTrends(s, messages);
    EXPECT_REL(12.64, s.AllowedBottomholePressure, 1e-9);
    EXPECT_EQ(resultRows(s).back().value, "12,64");
    EXPECT_TRUE(messages.isEmpty());

    s.SecondTrend.Coefficients = {2, 1};
    FindAllowedPressureFromTrends(s, messages);
    EXPECT_EQ(s.AllowedBottomholePressure, 0);
    EXPECT_EQ(messages, QStringList({AllowedPressureNotFound}));
    EXPECT_TRUE(resultRows(s).empty()); // a failed search refreshes the results too
}

// Rate against pressure, highest power first: q = -p^2 + 20 p has its maximum at P* = 10.
const std::vector<double> SingleMaximum{0, -1, 20, 0};

TEST(TurningPointScan, LiesBelowTheMaximumByLessThanTwoSteps) {
    const auto p = scanTurningPoint(SingleMaximum, 20, 0);
    ASSERT_TRUE(p.has_value());
    const double step = 20.0 / 100;
    EXPECT_LT(*p, 10);
    EXPECT_GT(*p, 10 - 2 * step);
}

TEST(TurningPointScan, RateRisingAllTheWayDownFindsNothing) {
    EXPECT_FALSE(scanTurningPoint({0, 0, -4, 100}, 20, 5));
}

TEST(TurningPointScan, EndsForSpansTooSmallToStepThrough) {
    // A step of (4,9E-324 - 0) / 100 is 0: only pmax is evaluated, as for equal pressures.
    EXPECT_FALSE(scanTurningPoint(SingleMaximum, 4.9e-324, 0));
    EXPECT_FALSE(scanTurningPoint(SingleMaximum, 1e-300, 1e-300 - 1e-316));
}

TEST(TurningPointScan, MaximumFollowedByMinimumAndRiseFails) {
    // dq/dp = -(p - 5)(p - 15): maximum at 15, minimum at 5, rising again below 5.
    const std::vector<double> c{-1.0 / 3, 10, -75, 300};
    EXPECT_FALSE(scanTurningPoint(c, 20, 0));
}

TEST(TurningPointScan, EqualPressuresEvaluateOnlyTheHighest) {
    EXPECT_FALSE(scanTurningPoint(SingleMaximum, 12, 12));
}

TEST(TurningPointScan, NegativeRatesAreSkippedBeforeTheTurningPoint) {
    // q = -p^2 + 20 p - 50 is negative near pmax = 19 and 1; the maximum is still found.
    const auto p = scanTurningPoint({0, -1, 20, -50}, 19, 1);
    ASSERT_TRUE(p.has_value());
    EXPECT_LT(*p, 10);
    EXPECT_GT(*p, 10 - 2 * 0.18);
}

AnalysisState producingWellWith(const std::vector<double>& pressures,
                                const std::vector<double>& c) {
    AnalysisState s;
    for (double p : pressures)
        s.Measurements.append(((c[0] * p + c[1]) * p + c[2]) * p + c[3], p);
    return s;
}

TEST(FitSearch, FindsTheTurningPointOfMeasuredPoints) {
    AnalysisState s = producingWellWith({20, 17, 14, 11, 8, 5, 2, 0}, SingleMaximum);
    s.TrendCount = 1;
    s.FirstTrend = {LinearTrend, {-0.5, 20}, 0, 20, 1, 2};
    const TrendRecord trend = s.FirstTrend;
    LeastSquaresFitService fits;
    QStringList messages;
    FindAllowedPressureFromFit(s, fits, messages);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_NEAR(s.AllowedBottomholePressure, 9.8, 1e-9);
    EXPECT_EQ(resultRows(s).back().value, "9,80");
    // The search's cubic of rate against pressure is its own; the user's trend stays.
    EXPECT_EQ(s.FirstTrend, trend);
}

TEST(FitSearch, FailuresLeaveZeroAndSayNotFound) {
    LeastSquaresFitService fits;
    struct Case {
        const char* name;
        std::vector<double> pressures;
        std::vector<double> coefficients;
    };
    const Case cases[] = {
        {"steady rise", {20, 15, 10, 5}, {0, 0, -4, 100}},
        {"all pressures equal", {12, 12, 12, 12}, {0, 0, 0, 5}},
        {"too few distinct pressures", {12, 12, 10, 10, 8}, {0, 0, -1, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnalysisState s = producingWellWith(c.pressures, c.coefficients);
        s.AllowedBottomholePressure = 3;
        QStringList messages;
        FindAllowedPressureFromFit(s, fits, messages);
        EXPECT_EQ(s.AllowedBottomholePressure, 0);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.last().startsWith(AllowedPressureNotFound));
        EXPECT_TRUE(resultRows(s).empty());
    }
}

} // namespace
} // namespace id
