#include "spreadsheet/LeastSquaresFitService.h"
#include "state/AnalysisFault.h"
#include "support/Approx.h"

#include <QFile>
#include <QTextStream>
#include <cmath>
#include <limits>

namespace id {
namespace {

using Values = std::vector<double>;

struct FitCase {
    const char* name;
    Values x;
    Values y;
    int degree;
    Values expected; // reference coefficients, computed independently in exact arithmetic
    double rel;
};

TEST(LeastSquaresFit, AgreesWithReferenceCoefficients) {
    const Values q{12.5, 25.1, 37.8, 51.0, 63.3, 77.9, 90.2};
    const Values p{18.93, 17.71, 16.84, 15.22, 14.51, 13.02, 12.37};
    const Values bigQ{1200, 2350, 3710, 4980, 6120, 7450, 8890, 9920};
    const Values bigP{31.2, 29.87, 28.01, 27.15, 24.3, 23.02, 20.11, 19.36};
    const FitCase cases[] = {
        {"exact line", {10, 20, 30, 40}, {15, 10, 5, 0}, 1, {-0.5, 20}, 1e-12},
        {"exact parabola", {1, 2, 3, 4, 5}, {6, 11, 18, 27, 38}, 2, {1, 2, 3}, 1e-11},
        {"two points", {10, 30}, {20, 17}, 1, {-0.15, 21.5}, 1e-12},
        {"noisy line", q, p, 1, {-0.08622074423506629, 19.921397469615247}, 1e-11},
        {"noisy parabola",
         q,
         p,
         2,
         {0.0001463886724355109, -0.10128460931443849, 20.209810977359673},
         1e-10},
        {"noisy cubic",
         q,
         p,
         3,
         {5.343471890316263e-06, -0.0006756149734982122, -0.06542861663246587, 19.810422725553376},
         1e-10},
        {"large rates, line", bigQ, bigP, 1, {-0.0014099212057085038, 33.24133552483918}, 1e-11},
        {"large rates, parabola",
         bigQ,
         bigP,
         2,
         {-2.568441030490108e-08, -0.0011231321331006323, 32.65605454063241},
         1e-10},
        {"large rates, cubic",
         bigQ,
         bigP,
         3,
         {9.212567079722348e-12, -1.7914232804659994e-07, -0.00040522840215407143,
          31.820706745523353},
         1e-10},
    };
    LeastSquaresFitService service;
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Values got = service.fitPolynomial(c.x, c.y, c.degree);
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t k = 0; k < got.size(); ++k)
            EXPECT_REL(c.expected[k], got[k], c.rel);
    }
}

TEST(LeastSquaresFit, ExactCubicOnBadlyScaledRates) {
    Values x;
    Values y;
    const Values c{2e-12, -3e-8, 1e-4, 25};
    for (double q = 1000; q <= 10000; q += 750) {
        x.push_back(q);
        y.push_back(((c[0] * q + c[1]) * q + c[2]) * q + c[3]);
    }
    LeastSquaresFitService service;
    const Values got = service.fitPolynomial(x, y, 3);
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_REL(c[k], got[k], 1e-8);
}

TEST(LeastSquaresFit, DegenerateInputIsRefusedWithAMessage) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Degenerate {
        const char* name;
        Values x;
        Values y;
        int degree;
    };
    const Degenerate cases[] = {
        {"one point for a line", {10}, {20}, 1},
        {"three points for a cubic", {1, 2, 3}, {1, 2, 3}, 3},
        {"all rates equal", {5, 5, 5, 5}, {1, 2, 3, 4}, 1},
        {"two distinct rates for a parabola", {5, 5, 7, 7}, {1, 2, 3, 4}, 2},
        {"zero-length selection line", {12, 12}, {8, 8}, 1},
        {"not a number", {1, 2, nan}, {1, 2, 3}, 1},
        {"infinite pressure", {1, 2, 3}, {1, inf, 3}, 1},
        {"no points", {}, {}, 1},
    };
    LeastSquaresFitService service;
    for (const Degenerate& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            service.fitPolynomial(c.x, c.y, c.degree);
            ADD_FAILURE() << "no fault";
        } catch (const AnalysisFault& fault) {
            EXPECT_FALSE(fault.message().isEmpty());
        }
    }
}

TEST(LeastSquaresFit, NamesTheNeededPointsForTheChosenTrend) {
    LeastSquaresFitService service;
    try {
        service.fitPolynomial({1, 2, 3}, {1, 2, 3}, 3);
        FAIL();
    } catch (const AnalysisFault& fault) {
        EXPECT_EQ(fault.message(), "Для линии тренда степени 3 нужно не меньше 4 точек с "
                                   "различными значениями по оси X");
    }
}

TEST(LeastSquaresFit, CloselySpacedRatesKeepTheirDigits) {
    // References: the exact least-squares solution for the same doubles, in rational arithmetic.
    const Values q6{10000, 10001, 10002, 10003, 10004, 10005};
    const Values p6{20.1, 19.7, 19.2, 18.9, 18.1, 17.6};
    Values q11;
    for (int i = 0; i <= 10; ++i)
        q11.push_back(10000 + 0.5 * i);
    const Values p11{25.3, 25.1, 24.6, 24.4, 23.9, 23.2, 22.9, 22.1, 21.8, 21.0, 20.3};
    const FitCase cases[] = {
        {"six rates, line", q6, p6, 1, {-0.5028571428571427, 5048.761904761903}, 1e-11},
        {"six rates, cubic",
         q6,
         p6,
         3,
         {-0.0009259259259260377, 27.754365079368437, -277309.8875661711, 923588313.7429692},
         1e-11},
        {"eleven rates half a unit apart, parabola",
         q11,
         p11,
         2,
         {-0.08391608391608363, 1677.7339860139805, -8385706.119580392},
         1e-11},
        {"eleven rates half a unit apart, cubic",
         q11,
         p11,
         3,
         {0.004817404817404753, -144.64219114218923, 1447621.8588189397, -4829404266.047955},
         1e-11},
    };
    LeastSquaresFitService service;
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Values got = service.fitPolynomial(c.x, c.y, c.degree);
        for (std::size_t k = 0; k < got.size(); ++k)
            EXPECT_REL(c.expected[k], got[k], c.rel);
    }
}

TEST(LeastSquaresFit, FlatDataGivesExactlyZeroTerms) {
    LeastSquaresFitService service;
    const Values rates{10, 20, 35, 50, 65, 80};
    for (int degree = 1; degree <= 3; ++degree) {
        SCOPED_TRACE(degree);
        const Values got = service.fitPolynomial(rates, Values(rates.size(), 15.3), degree);
        for (int k = 0; k < degree; ++k)
            EXPECT_EQ(got[static_cast<std::size_t>(k)], 0.0);
        EXPECT_EQ(got.back(), 15.3);
    }
    // The slope of these is zero in exact arithmetic; rounding must not turn it into 1e-17.
    EXPECT_EQ(service.fitPolynomial({1, 2, 3}, {1, 2, 1}, 1)[0], 0.0);
    EXPECT_EQ(service.fitPolynomial({9, 28, 9}, {1, 3, 5}, 1)[0], 0.0);
    EXPECT_EQ(service.fitPolynomial({1, 2, 3, 4, 5}, {11, 6, 16, 6, 11}, 3)[2], 0.0);
}

struct CertifiedData {
    Values x;
    Values y;
    Values coefficients;   // B0, B1, ...
    Values standardErrors; // of B0, B1, ...
    double rSquared = 0;
    double residualSd = 0;
};

CertifiedData readCertified(const QString& name) {
    QFile file(QStringLiteral(ID_SOURCE_DIR "/tests/data/nist/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << name.toStdString();
    CertifiedData data;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(u' ', Qt::SkipEmptyParts);
        if (fields.isEmpty() || fields[0].startsWith(u'#'))
            continue;
        if (fields[0] == "certified" && fields[1] == "R2")
            data.rSquared = fields[2].toDouble();
        else if (fields[0] == "certified" && fields[1] == "RSD")
            data.residualSd = fields[2].toDouble();
        else if (fields[0] == "certified" && fields[1].startsWith("SD"))
            data.standardErrors.push_back(fields[2].toDouble());
        else if (fields[0] == "certified")
            data.coefficients.push_back(fields[2].toDouble());
        else {
            data.y.push_back(fields[0].toDouble());
            data.x.push_back(fields[1].toDouble());
        }
    }
    return data;
}

TEST(LeastSquaresFit, MatchesCertifiedReferenceData) {
    struct Case {
        const char* file;
        int degree;
        std::size_t points;
        double rel;
    };
    const Case cases[] = {{"Norris.txt", 1, 36, 1e-12}, {"Pontius.txt", 2, 40, 1e-10}};
    LeastSquaresFitService service;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const CertifiedData data = readCertified(QString::fromLatin1(c.file));
        ASSERT_EQ(data.x.size(), c.points);
        const Values got = service.fitPolynomial(data.x, data.y, c.degree);
        // LINEST order is highest power first; the certified list starts with the constant.
        for (int k = 0; k <= c.degree; ++k)
            EXPECT_REL(data.coefficients[static_cast<std::size_t>(k)],
                       got[static_cast<std::size_t>(c.degree - k)], c.rel);
        Values fitted;
        for (double q : data.x) {
            double p = 0;
            for (double coefficient : got)
                p = p * q + coefficient;
            fitted.push_back(p);
        }
        const double r = service.correlation(data.y, fitted);
        EXPECT_REL(data.rSquared, r * r, 1e-12);

        // The fit's statistics against the certified standard deviations, to 10 digits.
        const auto stats = service.fit(data.x, data.y, c.degree).statistics;
        ASSERT_TRUE(stats);
        EXPECT_EQ(stats->degreesOfFreedom, static_cast<int>(c.points) - c.degree - 1);
        EXPECT_REL(data.residualSd, stats->residualSd, 1e-10);
        EXPECT_REL(data.rSquared, stats->rSquared, 1e-12);
        for (int k = 0; k <= c.degree; ++k)
            EXPECT_REL(data.standardErrors[static_cast<std::size_t>(k)],
                       stats->standardErrors[static_cast<std::size_t>(c.degree - k)], 1e-10);
    }
}

TEST(LeastSquaresFit, FittedValuesKeepRSquaredAtLargeRates) {
    // Raw coefficients evaluated at 10^6 cancel to noise (R² 0,018 instead of 0,998).
    // References: exact rational least squares of the same doubles.
    struct Case {
        double from;
        int degree;
        double rSquared;
    };
    const Values p{20, 19.1, 18.3, 17.2, 16.4, 15};
    LeastSquaresFitService service;
    for (const Case& c : {Case{1e6, 3, 0.997996228194248}, Case{1e6, 1, 0.9926223479490807},
                          Case{1e8, 2, 0.9970424328147101}}) {
        SCOPED_TRACE(c.degree);
        Values q;
        for (int i = 0; i < 6; ++i)
            q.push_back(c.from + i);
        const auto fit = service.fit(q, p, c.degree);
        const double r = service.correlation(p, fit.fitted);
        EXPECT_REL(c.rSquared, r * r, 1e-12);
    }
}

// An outlier whose removal leaves an exact fit is unboundedly far off (∞, not 0); with one
// residual degree of freedom no point can be judged without itself (undefined); figures that
// overflow a double are marked undefined rather than infinite.
TEST(LeastSquaresFit, StatisticsSayUnboundedUndefinedAndOverflow) {
    LeastSquaresFitService service;
    const auto outlier = service.fit({10, 20, 30, 40, 50, 60, 25}, {20, 18, 16, 14, 12, 10, 30}, 1)
                             .statistics.value();
    EXPECT_NEAR(outlier.residuals[6], 10.6226, 5e-5);
    EXPECT_EQ(outlier.studentized[6], std::numeric_limits<double>::infinity());
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(std::isfinite(outlier.studentized[static_cast<std::size_t>(i)]));

    for (const Values& y : {Values{20, 18.5, 16}, Values{5, 5, 5}}) {
        const auto oneLeft = service.fit({10, 20, 30}, y, 1).statistics.value();
        for (double r : oneLeft.studentized)
            EXPECT_TRUE(std::isnan(r));
    }
    // Points on a line to the last digit: rounding is no outlier, nothing is flagged.
    Values q{100.5, 200.25, 300.125, 400.7, 500.3};
    Values p;
    for (double v : q)
        p.push_back(25.3 - 0.137 * v);
    for (const Values& y : {p, Values{5, 5, 5, 5, 5}}) {
        const auto exact = service.fit(q, y, 1).statistics.value();
        for (double r : exact.studentized)
            EXPECT_TRUE(std::isnan(r));
    }

    const double big = 1.7e308;
    const auto huge = service.fit({1, 2, 3, 4}, {big, -big, big, -big}, 1).statistics.value();
    EXPECT_TRUE(std::isnan(huge.residualSd));
    EXPECT_TRUE(std::isnan(huge.standardErrors[1]));
    EXPECT_FALSE(std::isinf(huge.standardErrors[0]));
}

TEST(Correlation, PearsonAndItsDegenerateCases) {
    LeastSquaresFitService service;
    EXPECT_REL(1.0, service.correlation({1, 2, 3}, {2, 4, 6}), 1e-15);
    EXPECT_REL(-1.0, service.correlation({1, 2, 3}, {3, 2, 1}), 1e-15);
    // r = 0.8 for this pair (computed by hand: sab 8, saa 10, sbb 10)
    EXPECT_REL(0.8, service.correlation({1, 2, 3, 4, 5}, {2, 1, 4, 3, 5}), 1e-14);
    EXPECT_THROW(service.correlation({1, 1, 1}, {1, 2, 3}), AnalysisFault);
    EXPECT_THROW(service.correlation({1, 2, 3}, {4, 4, 4}), AnalysisFault);
    EXPECT_THROW(service.correlation({1}, {1}), AnalysisFault);
    // Values whose squares underflow or overflow are still ordinary columns.
    EXPECT_REL(1.0, service.correlation({1e-320, 2e-320, 3e-320}, {1, 2, 3}), 1e-15);
    EXPECT_REL(0.8, service.correlation({1e-200, 2e-200, 3e-200, 4e-200, 5e-200}, {2, 1, 4, 3, 5}),
               1e-14);
    EXPECT_REL(-1.0, service.correlation({-1e308, 0, 1e308}, {3, 2, 1}), 1e-15);
}

} // namespace
} // namespace id
