// Speed targets: the trend-meeting search takes well under a millisecond at any rate axis, and
// a cubic fit of 100 000 points within 3 ms, growing as O(n).
#include "analysis/AllowedPressureIntervals.h"
#include "analysis/AllowedPressureSearch.h"
#include "batch/BatchInterpretation.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <QCoreApplication>
#include <QLocale>

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

void TrendMeetingSearchWorstCase(benchmark::State& state) {
    const double axisMax = static_cast<double>(state.range(0));
    for (auto _ : state) {
        // Trends of opposite sign never meet: the search walks the whole range.
        auto result = id::searchTrendMeeting(id::LinearTrend, {2, 10}, id::LinearTrend, {-1, -10},
                                             axisMax, 0.01);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(TrendMeetingSearchWorstCase)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);

void TrendMeetingSearchFound(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    for (auto _ : state) {
        // The lines meet at q = 4 * scale; the search stops just before, within 1 %.
        auto result = id::searchTrendMeeting(id::LinearTrend, {2, 5 * scale}, id::LinearTrend,
                                             {3, 1 * scale}, 10 * scale, 0.01);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(TrendMeetingSearchFound)->Arg(1)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Rates and pressures of a producing well with scatter.
std::pair<std::vector<double>, std::vector<double>> wellTest(std::size_t n) {
    std::vector<double> q(n);
    std::vector<double> p(n);
    for (std::size_t i = 0; i < n; ++i) {
        q[i] = 10 + 9000.0 * static_cast<double>(i) / static_cast<double>(n);
        p[i] = 30 - 0.002 * q[i] + std::sin(static_cast<double>(i));
    }
    return {q, p};
}

void CubicFit(benchmark::State& state) {
    const auto [q, p] = wellTest(static_cast<std::size_t>(state.range(0)));
    id::LeastSquaresFitService service;
    for (auto _ : state)
        benchmark::DoNotOptimize(service.fitPolynomial(q, p, 3));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(CubicFit)->RangeMultiplier(10)->Range(10, 100000)->Complexity(benchmark::oN);

// A trend's fit with its statistics: standard errors, covariance, residuals and leverage.
void CubicFitWithStatistics(benchmark::State& state) {
    const auto [q, p] = wellTest(static_cast<std::size_t>(state.range(0)));
    id::LeastSquaresFitService service;
    for (auto _ : state)
        benchmark::DoNotOptimize(service.fit(q, p, 3));
}
BENCHMARK(CubicFitWithStatistics)->Arg(20)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The allowed pressure's bootstrap, as the statistics page computes it (up to 5 000 points),
// for measurements that changed since the last time (the same ones are answered from memory).
void TurningPointBootstrap(benchmark::State& state) {
    const auto [q, p] = wellTest(static_cast<std::size_t>(state.range(0)));
    std::vector<double> other = q;
    other.back() += 1;
    bool first = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(id::turningPointInterval(p, first ? q : other));
        first = !first;
    }
}
BENCHMARK(TurningPointBootstrap)->Arg(20)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// One well of a batch, 12 regimes, each rule: the window's commands without the window. A field of
// 100 000 wells on two cores takes 50 000 of these per core.
void InterpretWell(benchmark::State& state) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    id::WellRegimes well{1, id::ProducingWell, {}, {}};
    for (int k = 1; k <= 12; ++k) {
        well.rates.push_back(10.0 * k);
        well.pressures.push_back(25 - 0.1 * k - (k > 7 ? 0.15 * (k - 7) : 0) + 0.01 * (k % 3));
    }
    const id::BatchRule rule = static_cast<id::BatchRule>(state.range(0));
    id::BatchSettings settings{rule, QStringLiteral("5"), {}};
    id::LeastSquaresFitService fits;
    for (auto _ : state) {
        id::WellOutcome outcome = id::interpretWell(well, settings, fits);
        benchmark::DoNotOptimize(outcome);
    }
    state.SetLabel(id::batchRuleName(rule).toStdString());
}
BENCHMARK(InterpretWell)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
