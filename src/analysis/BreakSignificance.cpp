#include "analysis/BreakSearch.h"

#include "analysis/BreakSortedPoints.h"
#include "state/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace id {

using namespace breaksearch;

BreakTest breakSignificance(const std::vector<double>& rates,
                            const std::vector<double>& pressures) {
    BreakTest test;
    // Beyond the bound, every k-th point of the sorted rates, and the first of each rate while
    // the rates are few, so that none drops out: the test is made on those.
    std::vector<double> q = rates, p = pressures;
    if (rates.size() > static_cast<std::size_t>(MostBreakBootstrapPoints)) {
        // The points in the order of rate, as the search sorts them.
        std::vector<std::size_t> order(rates.size());
        std::iota(order.begin(), order.end(), 0);
        if (!std::is_sorted(rates.begin(), rates.end()))
            std::stable_sort(order.begin(), order.end(),
                             [&](std::size_t i, std::size_t j) { return rates[i] < rates[j]; });
        const auto firstOfRate = [&](std::size_t i) {
            return i == 0 || rates[order[i]] != rates[order[i - 1]];
        };
        std::size_t groups = 0;
        for (std::size_t i = 0; i < order.size(); ++i)
            groups += firstOfRate(i);
        q.clear();
        p.clear();
        const bool fewRates = groups <= static_cast<std::size_t>(MostBreakBootstrapPoints);
        const double step = static_cast<double>(rates.size()) / MostBreakBootstrapPoints;
        double next = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (static_cast<double>(i) >= next || (fewRates && firstOfRate(i))) {
                q.push_back(rates[order[i]]);
                p.push_back(pressures[order[i]]);
            }
            if (static_cast<double>(i) >= next)
                next += step;
        }
        test.subsampled = true;
    }
    SortedPoints<double> points(q, p);
    test.points = static_cast<int>(q.size());
    if (points.groupCount() < 5 || !points.ready())
        return test;
    // The data's own statistic in extended precision from the residuals; the draws' in doubles.
    SortedPoints<Exact> exact(q, p);
    exact.sum();
    test.likelihoodRatio = static_cast<double>(likelihoodRatio(exact, true));
    // The ratio does not depend on the straight line's own level, slope or spread: the draws
    // are standard normal noise.
    std::mt19937_64 random(20261207);
    std::normal_distribution<double> noise;
    std::vector<double> drawn(q.size());
    // The draws stop once the p value's side of 0,05 is settled whatever the rest would give:
    // at the count of draws as large that puts p = (1 + count) / (1 + all draws) at 0,05 or
    // above (Besag and Clifford's sequential test). The verdict is the full run's; p is then
    // (1 + count) / (1 + draws made), with its Monte Carlo error stated.
    int asLarge = 0;
    int made = 0;
    while (made < BreakBootstrapDraws && asLarge < BreakSettledAsLarge) {
        for (double& e : drawn)
            e = noise(random);
        points.sum(&drawn);
        if (likelihoodRatio(points, false) >= test.likelihoodRatio)
            ++asLarge;
        ++made;
    }
    test.draws = made;
    test.pValue = (1.0 + asLarge) / (1.0 + made);
    return test;
}

double breakMonteCarloError(const BreakTest& test) {
    if (test.draws <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    return 3 * std::sqrt(test.pValue * (1 - test.pValue) / test.draws);
}

QString breakSignificanceText(const BreakTest& test) {
    if (test.draws == 0)
        return QStringLiteral("не определена");
    const double floor = 1.0 / (1.0 + test.draws);
    if (test.pValue <= floor)
        return QStringLiteral("p < ") + formatFixed(floor, 3);
    if (test.pValue < 0.05)
        return QStringLiteral("p = ") + formatFixed(test.pValue, 3);
    // Stopped early: p is a Monte Carlo estimate of fewer draws, said with its error.
    const QString error = test.draws < BreakBootstrapDraws
                              ? QStringLiteral(" ± %1 (%2 выборок)")
                                    .arg(formatFixed(breakMonteCarloError(test), 2))
                                    .arg(test.draws)
                              : QString();
    return QStringLiteral("p = ") + formatFixed(test.pValue, 2) + error +
           QStringLiteral(" — излом не значим");
}

} // namespace id
