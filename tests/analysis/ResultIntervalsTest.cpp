#include "analysis/ResultIntervals.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "support/Approx.h"

#include <cmath>
#include <numeric>

namespace id {
namespace {

TEST(ResultIntervals, StudentQuantilesAreTheTabulatedOnes) {
    // Closed forms for one and two degrees of freedom, a table value for thirty.
    EXPECT_REL(std::tan(0.475 * M_PI), studentT95(1), 1e-12);
    EXPECT_REL(0.95 / std::sqrt(2 * 0.975 * 0.025), studentT95(2), 1e-12);
    EXPECT_REL(2.0422724563, studentT95(30), 1e-10);
}

// A well test checked by the textbook formulas of the straight line, computed apart from the
// QR: slope and constant errors, leverage, externally studentized residuals, both intervals.
TEST(ResultIntervals, LinearWellTestAgreesWithTheTextbookFormulas) {
    const std::vector<double> q = {10, 20, 30, 40, 55};
    const std::vector<double> p = {20, 18.1, 16.3, 13.9, 11.2};
    const auto fit = LeastSquaresFitService().fit(q, p, 1);
    ASSERT_TRUE(fit.statistics);
    const auto& st = *fit.statistics;

    const double n = q.size();
    const double qMean = std::accumulate(q.begin(), q.end(), 0.0) / n;
    const double pMean = std::accumulate(p.begin(), p.end(), 0.0) / n;
    double sqq = 0, sqp = 0;
    for (std::size_t i = 0; i < q.size(); ++i) {
        sqq += (q[i] - qMean) * (q[i] - qMean);
        sqp += (q[i] - qMean) * (p[i] - pMean);
    }
    const double slope = sqp / sqq;
    const double constant = pMean - slope * qMean;
    double ssr = 0;
    for (std::size_t i = 0; i < q.size(); ++i)
        ssr += std::pow(p[i] - constant - slope * q[i], 2);
    const double s = std::sqrt(ssr / (n - 2));
    const double slopeError = s / std::sqrt(sqq);
    const double constantError = s * std::sqrt(1 / n + qMean * qMean / sqq);
    EXPECT_REL(s, st.residualSd, 1e-12);
    EXPECT_REL(slopeError, st.standardErrors[0], 1e-12);
    EXPECT_REL(constantError, st.standardErrors[1], 1e-12);
    EXPECT_REL(-qMean * s * s / sqq, st.covariance[0][1], 1e-10);
    for (std::size_t i = 0; i < q.size(); ++i) {
        const double leverage = 1 / n + std::pow(q[i] - qMean, 2) / sqq;
        const double e = p[i] - constant - slope * q[i];
        const double internal = e / (s * std::sqrt(1 - leverage));
        EXPECT_REL(internal * std::sqrt((n - 3) / (n - 2 - internal * internal)), st.studentized[i],
                   1e-9);
    }

    const ResultIntervals intervals = resultIntervals(fit.coefficients, st);
    const double t = 3.182446305284263; // Student's t, 3 degrees of freedom, 97,5 %
    ASSERT_TRUE(intervals.productivity);
    EXPECT_FALSE(intervals.productivityUndetermined);
    EXPECT_REL(1 / std::abs(slope - t * slopeError), intervals.productivity->low, 1e-12);
    EXPECT_REL(1 / std::abs(slope + t * slopeError), intervals.productivity->high, 1e-12);
    ASSERT_TRUE(intervals.reservoirPressure);
    EXPECT_REL(constant - t * constantError, intervals.reservoirPressure->low, 1e-12);
    EXPECT_REL(constant + t * constantError, intervals.reservoirPressure->high, 1e-12);
}

TEST(ResultIntervals, ASlopeThatMayBeZeroLeavesTheCoefficientUndetermined) {
    const auto fit = LeastSquaresFitService().fit({10, 20, 30, 40}, {20, 14, 21, 15}, 1);
    ASSERT_TRUE(fit.statistics);
    const ResultIntervals intervals = resultIntervals(fit.coefficients, *fit.statistics);
    EXPECT_TRUE(intervals.productivityUndetermined);
    EXPECT_FALSE(intervals.productivity);
    EXPECT_TRUE(intervals.reservoirPressure);
}

TEST(ResultIntervals, ExactFitsHaveNoStatistics) {
    LeastSquaresFitService service;
    EXPECT_FALSE(service.fit({10, 20}, {20, 18}, 1).statistics);
    EXPECT_FALSE(service.fit({10, 20, 30}, {20, 18, 17}, 2).statistics);
    EXPECT_FALSE(service.fit({10, 20, 30, 40}, {20, 18, 17, 15}, 3).statistics);
    EXPECT_TRUE(service.fit({10, 20, 30, 40, 50}, {20, 18, 17, 15, 12}, 3).statistics);
}

} // namespace
} // namespace id
