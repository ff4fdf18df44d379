#include "diagram/AxisRounding.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace id {
namespace {

struct RoundingCase {
    double value;
    double expected;
};

TEST(RoundUpAxisMax, WorkedExamplesAndBoundaries) {
    const RoundingCase cases[] = {
        {0.4, 1},           {7.2, 8},   {9.99, 10},   {10, 15},       {14.9, 15},
        {15, 20},           {38, 40},   {40, 50},     {99.5, 100},    {120, 150},
        {349, 350},         {401, 500}, {2345, 2500}, {2600, 3000},   {9999, 10000},
        {12345.6, 12345.6}, {0, 1},     {0.999, 1},   {14.99, 15},    {34.9, 35},
        {39, 40},           {50, 60},   {1000, 1500}, {10000, 10000}, {250000, 250000},
    };
    for (const RoundingCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_DOUBLE_EQ(RoundUpAxisMax(c.value), c.expected);
    }
}

TEST(RoundUpAxisMax, EveryValueBelowTenThousandGrows) {
    for (double v = 0; v < 10000; v += 0.37) {
        ASSERT_GT(RoundUpAxisMax(v), v) << v;
    }
}

TEST(RoundUpAxisMax, NegativeAndNonFiniteGiveOne) {
    for (double v : {-0.5, -12.0, std::numeric_limits<double>::quiet_NaN(),
                     -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(RoundUpAxisMax(v), 1);
    }
}

} // namespace
} // namespace id
