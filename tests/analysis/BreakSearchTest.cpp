#include "analysis/BreakSearch.h"
#include "analysis/ResidualTableModel.h"
#include "app/CommandTable.h"
#include "app/MenuRules.h"
#include "document/AnalysisDocument.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/NumberText.h"
#include "support/Approx.h"
#include "support/QtPrinters.h"

#include <Eigen/Dense>
#include <QFile>
#include <algorithm>
#include <array>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace id {
namespace {

std::pair<std::vector<double>, std::vector<double>> muggeo() {
    QFile file(ID_SOURCE_DIR "/tests/data/segmented-muggeo2.csv");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<double> x, y;
    file.readLine();
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(',');
        if (fields.size() == 2) {
            x.push_back(fields[0].toDouble());
            y.push_back(fields[1].toDouble());
        }
    }
    return {x, y};
}

// The published figures of the data set, to every printed digit.
TEST(BreakSearch, Muggeo) {
    const auto [x, y] = muggeo();
    ASSERT_EQ(x.size(), 40u);
    const BreakSearchResult r = findBreak(x, y);
    ASSERT_TRUE(r.fit) << r.error.toStdString();
    const BreakFit& f = *r.fit;
    EXPECT_NEAR(f.breakRate, 1.608, 0.0005);
    EXPECT_NEAR(f.standardErrors[3], 0.291, 0.0005);
    EXPECT_NEAR(f.intercept, 4.86206, 0.000005);
    EXPECT_NEAR(f.standardErrors[0], 0.31020, 0.000005);
    EXPECT_NEAR(f.slope, 0.94472, 0.000005);
    EXPECT_NEAR(f.standardErrors[1], 0.06744, 0.000005);
    EXPECT_NEAR(f.slopeChange, 1.95719, 0.000005);
    EXPECT_NEAR(f.standardErrors[2], 0.11008, 0.000005);
    // The published sum is that of the break as the iterative fit left it, at ψ = 1,608; the exact
    // break, 1,60843, lies a little lower.
    EXPECT_NEAR(breakRss(x, y, 1.608), 34.70127, 0.000005);
    EXPECT_NEAR(f.rss, 34.701264, 0.0000005);
    EXPECT_NEAR(f.rSquared, 0.9911, 0.00005);
    EXPECT_NEAR(f.adjustedRSquared, 0.9903, 0.00005);
    EXPECT_LT(f.breakRateLow, f.breakRate);
    EXPECT_GT(f.breakRateHigh, f.breakRate);
}

// Least squares by QR on the points themselves: the residual sum of squares and coefficients.
std::pair<double, Eigen::VectorXd> qrFit(const Eigen::MatrixXd& a, const Eigen::VectorXd& y) {
    const Eigen::VectorXd b = a.colPivHouseholderQr().solve(y);
    return {(y - a * b).squaredNorm(), b};
}

// The same search made independently: each gap's two lines by QR on their own points, the joined
// fits at the admissible rates by QR on all of them.
std::pair<double, double> bruteForce(const std::vector<double>& x, const std::vector<double>& y) {
    std::vector<double> u = x;
    std::sort(u.begin(), u.end());
    u.erase(std::unique(u.begin(), u.end()), u.end());
    const auto n = static_cast<Eigen::Index>(x.size());
    const Eigen::VectorXd yv = Eigen::Map<const Eigen::VectorXd>(y.data(), n);
    double bestRss = INFINITY, bestPsi = 0;
    const auto line = [&](bool left, double at) {
        std::vector<Eigen::Index> rows;
        for (Eigen::Index i = 0; i < n; ++i)
            if (left ? x[i] <= at : x[i] > at)
                rows.push_back(i);
        Eigen::MatrixXd a(rows.size(), 2);
        Eigen::VectorXd b(rows.size());
        for (std::size_t k = 0; k < rows.size(); ++k) {
            a.row(k) << 1, x[rows[k]];
            b[k] = y[rows[k]];
        }
        return qrFit(a, b);
    };
    for (std::size_t k = 1; k + 2 < u.size(); ++k) {
        const auto [rl, l] = line(true, u[k]);
        const auto [rr, r] = line(false, u[k]);
        const double psi = (r[0] - l[0]) / (l[1] - r[1]);
        if (psi > u[k] && psi < u[k + 1] && rl + rr < bestRss)
            std::tie(bestRss, bestPsi) = std::pair(rl + rr, psi);
    }
    for (std::size_t j = 1; j + 1 < u.size(); ++j) {
        Eigen::MatrixXd a(n, 3);
        for (Eigen::Index i = 0; i < n; ++i)
            a.row(i) << 1, x[i], std::max(0.0, x[i] - u[j]);
        const double rss = qrFit(a, yv).first;
        if (rss < bestRss)
            std::tie(bestRss, bestPsi) = std::pair(rss, u[j]);
    }
    return {bestPsi, bestRss};
}

// The joined fit with the break fixed at psi, by QR on the columns 1, (x − ψ)₋, (x − ψ)₊.
double joinedRssByQr(const std::vector<double>& x, const std::vector<double>& y, double psi) {
    const auto n = static_cast<Eigen::Index>(x.size());
    Eigen::MatrixXd a(n, 3);
    for (Eigen::Index i = 0; i < n; ++i)
        a.row(i) << 1, std::min(x[i] - psi, 0.0), std::max(x[i] - psi, 0.0);
    return qrFit(a, Eigen::Map<const Eigen::VectorXd>(y.data(), n)).first;
}

// The break's interval: every break rate within it fits within RSS·(1 + F(0,95; 1, n − 4)/(n − 4))
// on a fine scan by QR, and a closed end lies on that bound; an open end is the last admissible
// rate.
void expectProfileInterval(const std::vector<double>& x, const std::vector<double>& y,
                           const BreakFit& f) {
    const int n = static_cast<int>(x.size());
    const double bound =
        f.rss * (1 + boost::math::quantile(boost::math::fisher_f(1, n - 4), 0.95) / (n - 4));
    std::vector<double> u = x;
    std::sort(u.begin(), u.end());
    u.erase(std::unique(u.begin(), u.end()), u.end());
    const auto end = [&](double edge, bool open, double admissible) {
        if (open)
            EXPECT_DOUBLE_EQ(edge, admissible);
        else
            EXPECT_REL(bound, joinedRssByQr(x, y, edge), 1e-7);
    };
    end(f.breakRateLow, f.lowOpen, u[1]);
    end(f.breakRateHigh, f.highOpen, u[u.size() - 2]);
    for (int k = 0; k <= 400; ++k) {
        const double psi = f.breakRateLow + (f.breakRateHigh - f.breakRateLow) * k / 400;
        EXPECT_LE(joinedRssByQr(x, y, psi), bound * (1 + 1e-9)) << psi;
    }
}

// Random wells, rates repeated and not: the same break as the independent search, none on a
// fine scan of every admissible rate does better, and the break's interval is what it claims.
TEST(BreakSearch, AgreesWithAnIndependentSearch) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0, 1);
    std::normal_distribution<double> noise(0, 0.3);
    for (int trial = 0; trial < 40; ++trial) {
        const int n = 8 + trial * 5;
        const double psi = 200 + 600 * uniform(random);
        std::vector<double> x, y;
        for (int i = 0; i < n; ++i) {
            const double q =
                trial % 2 ? std::round(uniform(random) * 20) * 50 : 1000 * uniform(random);
            x.push_back(q);
            y.push_back(30 - 0.01 * q + (trial % 3 ? 0.015 : 0.002) * std::max(0.0, q - psi) +
                        noise(random));
        }
        SCOPED_TRACE(trial);
        const BreakSearchResult r = findBreak(x, y);
        const auto [psiBrute, rssBrute] = bruteForce(x, y);
        if (!r.fit) {
            EXPECT_TRUE(r.error.contains("край")) << r.error.toStdString();
            continue;
        }
        EXPECT_REL(psiBrute, r.fit->breakRate, 1e-9);
        EXPECT_REL(rssBrute, r.fit->rss, 1e-9);
        expectProfileInterval(x, y, *r.fit);
        for (int k = 0; k <= 500; ++k) {
            const double rss = breakRss(x, y, 2.0 * k);
            if (std::isfinite(rss)) {
                EXPECT_GE(rss, r.fit->rss * (1 - 1e-12)) << 2.0 * k;
            }
        }
    }
}

// The intervals hold what they claim: the break pressure's covers the true one about 95 times in
// a hundred (seeded wells with a known break), and the break's own interval is the run of break
// rates around it, also where the profile rises and falls again inside one gap.
TEST(BreakSearch, IntervalsHoldWhatTheyClaim) {
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 0.3);
    int covered = 0;
    constexpr int Wells = 400;
    for (int w = 0; w < Wells; ++w) {
        std::vector<double> x, y;
        for (int i = 1; i <= 12; ++i) {
            x.push_back(10.0 * i);
            y.push_back(20 - 0.01 * x.back() - 0.2 * std::max(0.0, x.back() - 65) + noise(random));
        }
        const BreakSearchResult r = findBreak(x, y);
        ASSERT_TRUE(r.fit) << r.error.toStdString();
        const auto [low, high] = r.fit->pressureInterval();
        covered += low <= 19.35 && 19.35 <= high;
    }
    EXPECT_GT(covered, 0.91 * Wells);
    EXPECT_LT(covered, 0.99 * Wells);

    const std::vector<std::pair<double, double>> points = {
        {70, 12.6053}, {10, 7.2384},  {90, 2.2390},  {40, 6.9365},  {70, 7.6884},  {70, 8.6576},
        {50, 10.4762}, {0, 10.4246},  {90, 7.0985},  {60, 10.5949}, {30, 8.4640},  {90, 12.3464},
        {80, 16.9535}, {10, 4.9685},  {10, 6.8968},  {10, 9.9405},  {90, 9.4258},  {10, 5.4102},
        {60, 13.1362}, {40, 10.9712}, {80, 8.4280},  {90, 6.4439},  {80, 16.7756}, {40, 8.4257},
        {70, 6.0944},  {20, 11.5866}, {60, 12.8180}, {50, 8.1160},  {100, 8.9894}};
    std::vector<double> x, y;
    for (const auto& [q, p] : points) {
        x.push_back(q);
        y.push_back(p);
    }
    const BreakSearchResult r = findBreak(x, y);
    ASSERT_TRUE(r.fit);
    EXPECT_FALSE(r.fit->lowOpen) << "the profile passes the bound between 10 and 20";
    EXPECT_NEAR(r.fit->breakRateLow, 19.87, 0.01);
    expectProfileInterval(x, y, *r.fit);
}

// The data say whether they break: a clear break is significant, a straight line is not; the
// draws are the same on every run. Data that cannot break are refused with the reason.
TEST(BreakSearch, SignificanceAndRefusals) {
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, 0.2);
    std::vector<double> x, broken, straight;
    for (int i = 1; i <= 30; ++i) {
        x.push_back(10 * i);
        const double e = noise(random);
        straight.push_back(20 + 0.05 * x.back() + e);
        broken.push_back(20 + 0.05 * x.back() - 0.03 * std::max(0.0, x.back() - 150) + e);
    }
    ASSERT_TRUE(findBreak(x, broken).fit);
    const BreakTest withBreak = breakSignificance(x, broken);
    EXPECT_LT(withBreak.pValue, 0.01);
    EXPECT_EQ(withBreak.draws, 999);
    const BreakTest without = breakSignificance(x, straight);
    EXPECT_GT(without.pValue, 0.05);
    EXPECT_EQ(breakSignificance(x, straight).pValue, without.pValue);

    struct Case {
        std::vector<double> x, y;
        const char* says;
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 4, 4}, {5, 4, 3, 2, 1, 0}, "не меньше 5 замеров"},
        {{1, 2, 3, 4, 5, 6}, {7, 7, 7, 7, 7, 7}, "одинаковы"},
        {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 16}, "край замеров"},
        {{1, 2, 3, 4, 5, 6}, {16, 5, 4, 3, 2, 1}, "край замеров"},
    };
    for (const Case& c : cases) {
        const BreakSearchResult r = findBreak(c.x, c.y);
        EXPECT_FALSE(r.fit);
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.says))) << r.error.toStdString();
    }
}

using Wide = boost::multiprecision::cpp_bin_float_50;

// The joined fit at ψ in 50 digits by the textbook normal equations on 1, x, (x − ψ)₊, and the
// delta-method standard errors from the four-parameter Jacobian: no cancellation survives 50
// digits, whatever the columns' likeness.
struct WideFit {
    Wide rss, tss;
    std::array<Wide, 4> se;
};
WideFit wideFit(const std::vector<double>& x, const std::vector<double>& y, double psi) {
    using M = Eigen::Matrix<Wide, Eigen::Dynamic, Eigen::Dynamic>;
    M n3 = M::Zero(3, 3), v3 = M::Zero(3, 1);
    Wide mean = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Wide row[3] = {1, x[i], std::max(0.0, x[i] - psi)};
        for (int a = 0; a < 3; ++a) {
            v3(a, 0) += row[a] * y[i];
            for (int b = 0; b < 3; ++b)
                n3(a, b) += row[a] * row[b];
        }
        mean += y[i];
    }
    mean /= x.size();
    const M beta = n3.fullPivLu().solve(v3);
    WideFit f{0, 0, {}};
    M info = M::Zero(4, 4);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Wide z = std::max(0.0, x[i] - psi);
        const Wide r = y[i] - beta(0, 0) - beta(1, 0) * x[i] - beta(2, 0) * z;
        f.rss += r * r;
        f.tss += (y[i] - mean) * (y[i] - mean);
        const Wide g[4] = {1, x[i], z, x[i] > psi ? Wide(-beta(2, 0)) : Wide(0)};
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b)
                info(a, b) += g[a] * g[b];
    }
    const M cov = info.fullPivLu().inverse() * (f.rss / (x.size() - 4));
    for (int a = 0; a < 4; ++a)
        f.se[a] = boost::multiprecision::sqrt(cov(a, a));
    return f;
}

// A hundred thousand regimes with two or three before the break: the reported sum, R², the
// standard errors and the test statistic as 50-digit arithmetic gives them at the same break.
TEST(BreakSearch, ManyPointsFewBeforeTheBreakStayExact) {
    std::mt19937_64 random(5);
    std::normal_distribution<double> noise(0, 0.05);
    for (const int before : {2, 3}) {
        SCOPED_TRACE(before);
        std::vector<double> x, y;
        for (int i = 1; i <= 100000; ++i) {
            x.push_back(i);
            y.push_back(100 - 2.0 * i + 1.99 * std::max(0.0, i - (before + 0.5)) + noise(random));
        }
        const BreakSearchResult r = findBreak(x, y);
        ASSERT_TRUE(r.fit) << r.error.toStdString();
        const WideFit exact = wideFit(x, y, r.fit->breakRate);
        EXPECT_REL(exact.rss.convert_to<double>(), r.fit->rss, 1e-9);
        EXPECT_REL((1 - exact.rss / exact.tss).convert_to<double>(), r.fit->rSquared, 1e-9);
        for (int k = 0; k < 4; ++k)
            EXPECT_REL(exact.se[k].convert_to<double>(), r.fit->standardErrors[k], 1e-9) << k;
    }
    // The statistic on two thousand points (all of them drawn on), against one line.
    std::vector<double> x, y;
    for (int i = 1; i <= 2000; ++i) {
        x.push_back(i);
        y.push_back(50 - 1.0 * i + 0.98 * std::max(0.0, i - 3.5) + noise(random));
    }
    const BreakSearchResult r = findBreak(x, y);
    ASSERT_TRUE(r.fit) << r.error.toStdString();
    const WideFit joined = wideFit(x, y, r.fit->breakRate);
    const WideFit line = wideFit(x, y, 1e9); // beyond every rate: the straight line
    const double statistic =
        (2000 * boost::multiprecision::log(line.rss / joined.rss)).convert_to<double>();
    EXPECT_REL(statistic, breakSignificance(x, y).likelihoodRatio, 1e-9);
}

// The likelihood ratio of two lines against one, by the brute-force search; none for a break on
// the edge, as the program's search refuses it.
double independentStatistic(const std::vector<double>& x, const std::vector<double>& y) {
    std::vector<double> u = x;
    std::sort(u.begin(), u.end());
    u.erase(std::unique(u.begin(), u.end()), u.end());
    const auto [psi, rss] = bruteForce(x, y);
    if (psi == u[1] || psi == u[u.size() - 2])
        return 0.0;
    Eigen::MatrixXd a(x.size(), 2);
    for (std::size_t i = 0; i < x.size(); ++i)
        a.row(static_cast<Eigen::Index>(i)) << 1, x[i];
    const double line =
        qrFit(a, Eigen::Map<const Eigen::VectorXd>(y.data(), static_cast<Eigen::Index>(y.size())))
            .first;
    return static_cast<double>(x.size()) * std::log(line / rss);
}

// The share of standard-normal draws whose statistic is as large as the data's, over that many
// draws: p of a long bootstrap made independently of the program's.
double longBootstrap(const std::vector<double>& x, double observed, int draws,
                     std::mt19937_64& random, std::normal_distribution<double>& noise) {
    int asLarge = 0;
    std::vector<double> drawn(x.size());
    for (int d = 0; d < draws; ++d) {
        for (double& e : drawn)
            e = noise(random);
        asLarge += independentStatistic(x, drawn) >= observed;
    }
    return (1.0 + asLarge) / (1.0 + draws);
}

// The bootstrap's p against 10 000 draws made independently (standard noise at the same rates,
// the break found by the independent search, none counted on the edge, as the search refuses it):
// within three Monte Carlo standard errors of the two.
TEST(BreakSearch, SignificanceAgreesWithALongBootstrap) {
    std::mt19937_64 random(17);
    std::normal_distribution<double> noise;
    for (int set = 0; set < 2; ++set) {
        // Straight lines with noise, drawn until the search finds a break off the edge.
        std::vector<double> x, y;
        do {
            x.clear();
            y.clear();
            for (int i = 0; i < 14; ++i) {
                x.push_back(10.0 + 7 * i + (set ? i % 3 : 0));
                y.push_back(30 - 0.1 * x.back() + 0.4 * noise(random));
            }
        } while (!findBreak(x, y).fit);
        const BreakTest test = breakSignificance(x, y);
        const double observed = independentStatistic(x, y);
        ASSERT_GT(observed, 0);
        EXPECT_REL(observed, test.likelihoodRatio, 1e-9);
        constexpr int Draws = 10000;
        const double p = longBootstrap(x, observed, Draws, random, noise);
        const double error = std::sqrt(p * (1 - p) * (1.0 / test.draws + 1.0 / Draws));
        EXPECT_NEAR(test.pValue, p, 3 * error) << set;
    }
}

// A break's points with their residuals of the joined fit, in the order given, and the verdict
// written as the engineer reads it.
TEST(BreakSearch, ResidualsAndVerdict) {
    const std::vector<double> x{10, 20, 30, 40, 50, 60, 70, 80};
    const std::vector<double> y{20, 19.1, 17.9, 17.05, 14.9, 13.1, 10.8, 9.1};
    const BreakSearchResult r = findBreak(x, y);
    ASSERT_TRUE(r.fit) << r.error.toStdString();
    // Each point's studentized residual from the hat matrix of the four-parameter Jacobian.
    const BreakFit& f = *r.fit;
    Eigen::MatrixXd g(x.size(), 4);
    for (std::size_t i = 0; i < x.size(); ++i)
        g.row(static_cast<Eigen::Index>(i)) << 1, x[i], std::max(0.0, x[i] - f.breakRate),
            x[i] > f.breakRate + 1e-9 ? -f.slopeChange : 0.0;
    const Eigen::MatrixXd hat = g * (g.transpose() * g).inverse() * g.transpose();
    const double n = static_cast<double>(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double e = y[i] - f.pressureAt(x[i]);
        const double h = hat(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(i));
        // The deviation without the point: (RSS − e²/(1 − h))/(n − 4 − 1).
        const double without = std::sqrt((f.rss - e * e / (1 - h)) / (n - 5));
        EXPECT_REL(e / (without * std::sqrt(1 - h)), breakStudentized(f, x[i], y[i]), 1e-9) << i;
    }

    const struct {
        BreakTest test;
        const char* text;
    } verdicts[] = {
        {{0, 0.001, 999}, "p < 0,001"},
        {{0, 0.003, 999}, "p = 0,003"},
        {{0, 0.2, 999}, "p = 0,20 — излом не значим"},
        {{0, 1, 0}, "не определена"},
    };
    for (const auto& v : verdicts)
        EXPECT_EQ(breakSignificanceText(v.test), QString::fromUtf8(v.text));
}

// The statistics' table of a break lists each point of the joined fit under its row of the
// measurement table, the row left out skipped, with its residual from the joined lines.
TEST(BreakSearch, PointsNumberedAsTheirRows) {
    LeastSquaresFitService fits;
    AnalysisDocument document{fits, StartOptions{}};
    const double q[] = {10, 20, 30, 40, 50, 60, 70, 80};
    const double p[] = {20, 19.1, 17.9, 17.05, 14.9, 13.1, 10.8, 9.1};
    document.run(
        [&](AnalysisState& a, CommandContext&) {
            for (int i = 0; i < 8; ++i)
                a.Table.append(
                    {QString::number(q[i]), QString::number(p[i]).replace('.', ','), {}});
            a.Table[4].Excluded = true;
        },
        "ввод");
    for (const char* item : {"mIdAdd", "mTrendBreak"})
        for (const CommandEntry& c : commandTable())
            if (QLatin1String(c.menuItem) == QLatin1String(item)) {
                ASSERT_TRUE(document.run(c.run, c.undoLabel).done) << item;
            }
    ASSERT_TRUE(document.state().Break);
    ResidualTableModel table;
    table.setAnalysis(StatisticsInputs(document.state()));
    ASSERT_EQ(table.rowCount(), 7);
    const int rows[] = {1, 2, 3, 4, 6, 7, 8};
    const BreakFit& f = document.state().Break->Fit;
    for (int r = 0; r < 7; ++r) {
        EXPECT_EQ(table.headerData(r, Qt::Vertical).toInt(), rows[r]);
        const int i = rows[r] - 1;
        EXPECT_EQ(table.data(table.index(r, ResidualTableModel::Residual)).toString(),
                  statisticText(p[i] - f.pressureAt(q[i])));
    }
}

// Draws stopped early (p settled at 0,05 or above): their p against a full bootstrap of 10 000
// draws made independently (the brute-force search, other noise) is within the Monte Carlo error
// the program states, and the verdict is the full run's; the text says the error.
TEST(BreakSearch, EarlyStoppedSignificanceWithinItsStatedError) {
    std::mt19937_64 random(29);
    std::normal_distribution<double> noise;
    int stopped = 0;
    for (int set = 0; set < 3; ++set) {
        std::vector<double> x, y;
        do {
            x.clear();
            y.clear();
            for (int i = 0; i < 16; ++i) {
                x.push_back(5.0 + 6 * i + (set == 1 ? i % 4 : 0));
                y.push_back(25 - 0.08 * x.back() + 0.3 * noise(random));
            }
        } while (!findBreak(x, y).fit);
        const BreakTest test = breakSignificance(x, y);
        const double observed = independentStatistic(x, y);
        const double full = longBootstrap(x, observed, 10000, random, noise);
        EXPECT_EQ(test.pValue < 0.05, full < 0.05) << set;
        if (test.draws >= BreakBootstrapDraws)
            continue;
        ++stopped;
        EXPECT_GE(test.pValue, 0.05) << set;
        EXPECT_NEAR(test.pValue, full, breakMonteCarloError(test)) << set;
        EXPECT_TRUE(breakSignificanceText(test).contains(
            QStringLiteral("± ") + formatFixed(breakMonteCarloError(test), 2)))
            << breakSignificanceText(test).toStdString();
    }
    EXPECT_GT(stopped, 0);
}

} // namespace
} // namespace id
