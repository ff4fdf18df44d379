#include "diagram/TrendLabel.h"
#include "state/AnalysisFault.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <limits>

namespace id {
namespace {

TEST(TrendLabel, CoefficientsStayReadableAtEveryMagnitude) {
    struct Case {
        int kind;
        Coefficients c;
        QString text;
    };
    const Case cases[] = {
        {LinearTrend, {-0.5, 20}, "y=-0,5000x+20,0000"},
        {LinearTrend, {0.1, -3}, "y=0,1000x-3,0000"},
        // Fewer than four significant digits in "0.0000": four in plain decimals while they need
        // at most eight decimals, the exponent form beyond that and from 1E+10 on.
        {LinearTrend, {-0.000879, 25.5}, "y=-0,0008790x+25,5000"},
        {LinearTrend, {0.0862, 19.9214}, "y=0,08620x+19,9214"},
        {LinearTrend, {-0.078484, 25.3711}, "y=-0,07848x+25,3711"},
        {LinearTrend, {0.099996, 1}, "y=0,1000x+1,0000"},
        {LinearTrend, {1.23456e-5, 1}, "y=0,00001235x+1,0000"},
        {LinearTrend, {1.23456e-6, 1}, "y=1,2346E-06x+1,0000"},
        {LinearTrend, {9999999999.5, 1}, "y=9999999999,5000x+1,0000"},
        {LinearTrend, {1e10, 1}, "y=1,0000E+10x+1,0000"},
        {QuadraticTrend, {-2.568441e-08, -0.0011231, 32.656}, "y=-2,5684E-08x  -0,001123x+32,6560"},
        {CubicTrend, {9.2e-12, 0, 0.1234, 31.82}, "y=9,2000E-12x  +0,0000x  +0,1234x+31,8200"},
        {LinearTrend, {0, -0.0}, "y=0,0000x+0,0000"},
        {LinearTrend, {-3.15570061e13, 4.9e-324}, "y=-3,1557E+13x+4,9407E-324"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(trendLabel(c.kind, c.c).text, c.text);
    }
    const TrendLabel cubic = trendLabel(CubicTrend, {-1e-9, 2e-6, -0.5, 20});
    EXPECT_EQ(cubic.beforeFirstPower, "y=-1,0000E-09x");
    EXPECT_EQ(cubic.beforeSecondPower, "y=-1,0000E-09x  +2,0000E-06x");
}

TEST(TrendLabel, NonFiniteCoefficientIsAFault) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_THROW(trendLabel(LinearTrend, {-inf, 3}), AnalysisFault);
    EXPECT_THROW(trendLabel(QuadraticTrend, {1, std::nan(""), 3}), AnalysisFault);
}

} // namespace
} // namespace id
