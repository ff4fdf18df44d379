#include "state/FitStatistics.h"
#include "analysis/InflowModels.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace id {
namespace {

// Bit for bit, NaN and infinity included.
bool same(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// A kept trend's statistics hold no per-point arrays; computed again from its points they are the
// fit's own to the last bit: for each polynomial (exact, flat, noisy and one-point-off data) and
// for each inflow model, whose fit makes them by its own loop over its SVD's leverage.
TEST(FitStatistics, PerPointFiguresComputedAgainAreTheFitsOwn) {
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0, 0.3);
    std::vector<double> q, noisy, flat, exact, off;
    for (int i = 1; i <= 40; ++i) {
        q.push_back(7.5 * i);
        exact.push_back(30 - 0.02 * q.back());
        noisy.push_back(exact.back() + noise(random));
        flat.push_back(12);
        off.push_back(exact.back() + (i == 17 ? 3 : 0));
    }
    int checked = 0;
    for (const std::vector<double>* y : {&noisy, &flat, &exact, &off})
        for (int degree = 1; degree <= 3; ++degree) {
            const FitStatistics fit =
                LeastSquaresFitService().fit(q, *y, degree).statistics.value();
            const SharedFitStatistics kept(fit);
            ASSERT_TRUE(kept.get()->residuals.empty() && kept.get()->studentized.empty());
            const auto whole = wholeStatistics(kept, q, *y);
            EXPECT_TRUE(same(whole->residuals, fit.residuals)) << degree;
            EXPECT_TRUE(same(whole->studentized, fit.studentized)) << degree;
            ++checked;
        }
    for (const InflowModel model :
         {InflowModel::Vogel, InflowModel::Composite, InflowModel::Fetkovich}) {
        InflowModelInputs in{model, {}, {}, std::nullopt, 8};
        for (int i = 1; i <= 30; ++i) {
            in.rates.push_back(30.0 * i);
            in.pressures.push_back(25 * std::sqrt(1 - i / 32.0) + 0.05 * noise(random));
        }
        const InflowFitResult result = fitInflowModel(in);
        ASSERT_TRUE(result.fit) << result.error.toStdString();
        const FitStatistics& fit = result.fit->statistics;
        const SharedFitStatistics kept(fit);
        ASSERT_TRUE(kept.get()->residuals.empty());
        const auto whole = wholeStatistics(kept, in.rates, in.pressures);
        EXPECT_TRUE(same(whole->residuals, fit.residuals)) << static_cast<int>(model);
        EXPECT_TRUE(same(whole->studentized, fit.studentized)) << static_cast<int>(model);
        // Asked again while held: the same arrays, not computed anew.
        EXPECT_EQ(wholeStatistics(kept, in.rates, in.pressures), whole);
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

} // namespace
} // namespace id
