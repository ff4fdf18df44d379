#include "analysis/ResultIntervals.h"
#include "analysis/AllowedPressureIntervals.h"
#include "analysis/AllowedPressureSearch.h"
#include "analysis/TrendStatistics.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "support/Approx.h"

#include <Eigen/Dense>
#include <cmath>
#include <numeric>
#include <random>

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

// The band of a cubic's mean line over rates far from zero in a narrow span, where raw powers
// of the rate cancel: against the textbook form in centred rates.
TEST(ResultIntervals, MeanLineBandHoldsFarFromZeroRate) {
    for (double offset : {100.0, 1000.0, 10000.0, 100000.0}) {
        SCOPED_TRACE(offset);
        std::vector<double> q, p;
        for (int i = 0; i < 20; ++i) {
            q.push_back(offset + 0.5 * i);
            p.push_back(20 - 0.1 * i + 0.01 * i * i * 0.1 + ((i * 7) % 5 - 2) * 0.03);
        }
        const auto fit = LeastSquaresFitService().fit(q, p, 3);
        ASSERT_TRUE(fit.statistics);
        // Independently: the design in centred rates, (XᵀX)⁻¹ by Eigen's LDLT.
        Eigen::MatrixXd x(20, 4);
        for (int i = 0; i < 20; ++i)
            for (int j = 0; j < 4; ++j)
                x(i, j) = std::pow(q[static_cast<std::size_t>(i)] - offset - 4.75, j);
        const Eigen::MatrixXd inverse =
            (x.transpose() * x).ldlt().solve(Eigen::MatrixXd::Identity(4, 4));
        const double s2 = std::pow(fit.statistics->residualSd, 2);
        Eigen::RowVectorXd g(4);
        for (int j = 0; j < 4; ++j)
            g(j) = std::pow(offset + 3 - offset - 4.75, j);
        const double expected = studentT95(16) * std::sqrt(s2 * (g * inverse * g.transpose())(0));
        EXPECT_REL(expected, meanLineHalfWidth(*fit.statistics, offset + 3), 1e-6);
    }
}

TEST(ResultIntervals, ASlopeThatMayBeZeroLeavesTheCoefficientUndetermined) {
    const auto fit = LeastSquaresFitService().fit({10, 20, 30, 40}, {20, 14, 21, 15}, 1);
    ASSERT_TRUE(fit.statistics);
    const ResultIntervals intervals = resultIntervals(fit.coefficients, *fit.statistics);
    EXPECT_TRUE(intervals.productivityUndetermined);
    EXPECT_FALSE(intervals.productivity);
    EXPECT_TRUE(intervals.reservoirPressure);
}

// Pressure that rises with the rate of a producing well gives a negative coefficient −1/slope:
// its interval, the slope's mapped end by end, holds it. By hand the slope is 48/500 = 0,096.
TEST(ResultIntervals, ACoefficientOfEitherSignLiesInItsInterval) {
    const auto fit = LeastSquaresFitService().fit({10, 20, 30, 40}, {11.1, 11.9, 13.1, 13.9}, 1);
    ASSERT_TRUE(fit.statistics);
    EXPECT_REL(0.096, fit.coefficients[0], 1e-12);
    const double t = studentT95(2) * fit.statistics->standardErrors[0];
    for (const double sign : {-1.0, 1.0}) {
        const ResultIntervals i = resultIntervals(fit.coefficients, *fit.statistics,
                                                  sign > 0 ? InjectionWell : ProducingWell);
        ASSERT_TRUE(i.productivity);
        const auto [low, high] = std::minmax({sign / (0.096 - t), sign / (0.096 + t)});
        EXPECT_REL(low, i.productivity->low, 1e-12);
        EXPECT_REL(high, i.productivity->high, 1e-12);
        EXPECT_LT(low, sign / 0.096);
        EXPECT_GT(high, sign / 0.096);
    }
}

TEST(ResultIntervals, ExactFitsHaveNoStatistics) {
    LeastSquaresFitService service;
    EXPECT_FALSE(service.fit({10, 20}, {20, 18}, 1).statistics);
    EXPECT_FALSE(service.fit({10, 20, 30}, {20, 18, 17}, 2).statistics);
    EXPECT_FALSE(service.fit({10, 20, 30, 40}, {20, 18, 17, 15}, 3).statistics);
    EXPECT_TRUE(service.fit({10, 20, 30, 40, 50}, {20, 18, 17, 15, 12}, 3).statistics);
}

TrendUncertainty uncertainty(const std::vector<double>& q, const std::vector<double>& p) {
    const auto fit = LeastSquaresFitService().fit(q, p, 1);
    return {LinearTrend, fit.coefficients, *fit.statistics};
}

// The meeting pressure of two noisy lines: the delta method's spread against a parametric
// bootstrap drawing both lines' coefficients from their estimated distributions.
TEST(AllowedPressureIntervals, DeltaMethodAgreesWithTheBootstrap) {
    EXPECT_REL(3.99 / 1.03 * 3 + 1, *meetingPressure(2, {2, 5}, 2, {3, 1}, 100, 0.01), 1e-9);
    // Steep lines cross the 1 % band between two steps of the scan: the meeting is still found.
    const std::optional<double> steep =
        meetingPressure(2, {0.05, 5}, 2, {0.2, 5 - 0.15 * 101.2}, 10000, 0.01);
    ASSERT_TRUE(steep);
    EXPECT_NEAR(*steep, 9.93, 0.01);

    const TrendUncertainty first = uncertainty({1, 2, 3, 4, 5, 6}, {5.6, 5.9, 6.6, 6.9, 7.6, 7.9});
    const TrendUncertainty second =
        uncertainty({8, 9, 10, 11, 12, 13}, {11.6, 12.7, 14.2, 15.5, 16.6, 18.1});
    const std::optional<Interval> delta = meetingPressureInterval(first, second, 200, 0.01);
    ASSERT_TRUE(delta);
    const double estimate = (delta->low + delta->high) / 2;
    const double deltaSd = (delta->high - delta->low) / 2 / studentT95(4);

    std::mt19937 random(7);
    std::normal_distribution<double> normal;
    const auto draw = [&](const TrendUncertainty& t) {
        Eigen::Matrix2d cov;
        const auto& v = t.statistics.covariance;
        cov << v[0][0], v[0][1], v[1][0], v[1][1];
        const Eigen::Matrix2d l = cov.llt().matrixL();
        const Eigen::Vector2d z(normal(random), normal(random));
        const Eigen::Vector2d c = Eigen::Vector2d(t.coefficients[0], t.coefficients[1]) + l * z;
        return std::vector<double>{c(0), c(1)};
    };
    std::vector<double> samples;
    for (int i = 0; i < 4000; ++i)
        if (auto p = meetingPressure(2, draw(first), 2, draw(second), 200, 0.01))
            samples.push_back(*p);
    ASSERT_GT(samples.size(), 3900u);
    const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
    double sum = 0;
    for (double v : samples)
        sum += (v - mean) * (v - mean);
    const double bootstrapSd = std::sqrt(sum / (samples.size() - 1));
    EXPECT_REL(deltaSd, bootstrapSd, 0.1);
    EXPECT_REL(estimate, mean, 0.01);
}

// A producing well's rate rising to a maximum near 15 MPa as the pressure falls: the bootstrap
// interval holds the search's own answer and repeats exactly.
TEST(AllowedPressureIntervals, TurningPointBootstrapRepeatsAndHoldsTheEstimate) {
    std::vector<double> p;
    std::vector<double> q;
    for (int i = 0; i <= 20; ++i) {
        p.push_back(5 + i);
        q.push_back(100 - std::pow(5 + i - 15.0, 2) + ((i * 7) % 5 - 2) * 0.8);
    }
    const std::optional<Interval> interval = turningPointInterval(p, q);
    ASSERT_TRUE(interval);
    const auto c = LeastSquaresFitService().fitPolynomial(p, q, 3);
    const std::optional<double> estimate = scanTurningPoint(c, 25, 5);
    ASSERT_TRUE(estimate);
    EXPECT_LE(interval->low, *estimate);
    EXPECT_GE(interval->high, *estimate);
    EXPECT_LT(interval->high - interval->low, 5);
    const std::optional<Interval> again = turningPointInterval(p, q);
    EXPECT_EQ(again->low, interval->low);
    EXPECT_EQ(again->high, interval->high);
}

} // namespace
} // namespace id

namespace id {
namespace {

// A point is suspect by a test that knows the sample's size: a hair off a line of four points
// is not, one far off twenty points is, and only it.
TEST(OutlierTest, ThresholdFollowsTheSampleSize) {
    // One degree of freedom left: Student's t is Cauchy's, its quantile a cotangent.
    EXPECT_REL(1 / std::tan(M_PI * 0.05 / 8), outlierThreshold(4, 2), 1e-9);
    EXPECT_TRUE(std::isinf(outlierThreshold(3, 1)));
    struct Case {
        std::vector<double> rates, pressures;
        std::vector<int> suspects;
    };
    std::vector<double> rates, pressures;
    for (int i = 1; i <= 20; ++i) {
        rates.push_back(i);
        pressures.push_back(25 - 0.3 * i + 0.01 * ((i * 7) % 5 - 2));
    }
    pressures[12] += 1;
    const Case cases[] = {{{10, 20, 30, 40}, {20.004, 17.991, 16.002, 13.998}, {}},
                          {rates, pressures, {12}}};
    for (const Case& c : cases) {
        const auto fit = LeastSquaresFitService().fit(c.rates, c.pressures, 1);
        const FitStatistics& st = *fit.statistics;
        const double threshold =
            outlierThreshold(static_cast<int>(c.rates.size()), st.degreesOfFreedom);
        std::vector<int> marked;
        for (int i = 0; i < static_cast<int>(st.studentized.size()); ++i)
            if (suspect(st.studentized[static_cast<std::size_t>(i)], threshold))
                marked.push_back(i);
        EXPECT_EQ(marked, c.suspects);
    }
}

} // namespace
} // namespace id
