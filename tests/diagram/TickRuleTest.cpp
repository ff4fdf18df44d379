#include "diagram/TickRule.h"
#include "support/QtPrinters.h"

#include <cmath>
#include <gtest/gtest.h>

namespace id {
namespace {

QStringList labels(const std::vector<AxisTick>& ticks) {
    QStringList list;
    for (const AxisTick& t : ticks)
        list << t.label;
    return list;
}

TEST(TickRule, StepIsTheSmallestWholeNumberGivingFewEnoughIntervals) {
    struct Case {
        double range;
        double intervals;
        long long step;
    };
    const Case cases[] = {
        {10, 3, 3}, {100, 3, 26}, {12, 3, 4},   {25, 2, 9}, {300, 3, 76},
        {4, 2, 2},  {1.5, 3, 1},  {3.99, 3, 1}, {4, 3, 2},  {1e12, 3, 250000000001LL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        EXPECT_EQ(tickStep(c.range, c.intervals), static_cast<double>(c.step));
        // The step is the first one that fits, as walking 1, 2, 3, ... finds it.
        EXPECT_LT(std::floor(c.range / static_cast<double>(c.step)), c.intervals + 1);
        if (c.step > 1) {
            EXPECT_GE(std::floor(c.range / static_cast<double>(c.step - 1)), c.intervals + 1);
        }
    }
}

TEST(TickRule, LabelSetsAndMarks) {
    struct Case {
        double low, high, intervals;
        QStringList expected;
    };
    const Case cases[] = {
        {0, 100, 3, {"0,0", "26,0", "52,0", "78,0"}},
        {0, 12, 3, {"0,0", "4,0", "8,0", "12,0"}},
        {0, 25, 2, {"0,0", "9,0", "18,0"}},
        {0, 300, 3, {"0,0", "76,0", "152,0", "228,0"}},
        {0, 0.5, 3, {"0,0", "0,25", "0,5"}},
        {0, 1, 3, {"0,0", "0,5", "1,0"}},
        {5, 7, 3, {"5,0", "6,0", "7,0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.high);
        EXPECT_EQ(labels(axisTicks(c.low, c.high, c.intervals)), c.expected);
    }
    const auto ticks = axisTicks(0, 12, 3);
    EXPECT_FALSE(ticks.front().hasMark);
    EXPECT_TRUE(ticks[1].hasMark);
    EXPECT_EQ(ticks.back().place, AxisTick::High);
    EXPECT_FALSE(ticks.back().hasMark);
}

TEST(TickRule, HugeRangesEndAtOnceAndAreRefusedForCharts) {
    // Counting steps up by one in a double never ends past 2^53.
    for (double high : {2e10, 4e16, 1e17, 1e300, 1.7e308}) {
        SCOPED_TRACE(high);
        const double step = tickStep(high, 3);
        EXPECT_LT(std::floor(high / step), 4.0);
        EXPECT_LE(axisTicks(0, high, 3).size(), 5u);
        const std::optional<QString> fault = axisFault(0, high, "X", QString());
        ASSERT_TRUE(fault.has_value());
        EXPECT_EQ(*fault, "Значения по оси X слишком велики (больше 1E+10). График "
                          "не построен");
    }
    EXPECT_LE(axisTicks(1e20, 1e20 + 1e5, 3).size(), 5u);
    EXPECT_EQ(axisTicks(0, 1e15, 3).size(), 4u);
    EXPECT_FALSE(axisFault(0, 1e10, "X", QString()));
    EXPECT_TRUE(axisFault(0, 1.0001e10, "X", QString()));
    EXPECT_EQ(axisFault(5, 5, "Y", " графика PI от Q"),
              "Минимальное и максимальное значения оси Y графика PI от Q совпадают. График не "
              "построен");
}

} // namespace
} // namespace id
