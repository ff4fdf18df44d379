#include "diagram/BreakTrends.h"

#include "analysis/BreakSearch.h"
#include "analysis/ReadingChecks.h"
#include "analysis/ResultRows.h"
#include "diagram/RedrawPipeline.h"
#include "diagram/TrendFit.h"
#include "state/AnalysisFault.h"

#include <algorithm>

namespace id {

double lineRSquared(const OneBasedArray<double>& q, const OneBasedArray<double>& p,
                    const Coefficients& c) {
    double mean = 0;
    for (int i = 1; i <= p.size(); ++i)
        mean += p[i] / p.size();
    double rss = 0, tss = 0;
    for (int i = 1; i <= p.size(); ++i) {
        const double r = p[i] - (c[1] * q[i] + c[2]);
        rss += r * r;
        tss += (p[i] - mean) * (p[i] - mean);
    }
    if (!(tss > 0))
        return rss > 0 ? 0 : 1;
    return std::max(0.0, 1 - rss / tss);
}

void addBreakTrends(AnalysisState& s, CommandContext& ctx) {
    const int n = s.fitPointCount();
    const std::vector<double> rates(s.FitRates.values().begin(), s.FitRates.values().begin() + n);
    const std::vector<double> pressures(s.FitPressures.values().begin(),
                                        s.FitPressures.values().begin() + n);
    // The search itself is plain least squares; a well's readings must also be possible ones.
    if (const QString why = impossibleReadings(rates, pressures); !why.isEmpty())
        throw AnalysisFault(QStringLiteral("Излом не ищется: ") + why);
    const BreakSearchResult found = findBreak(rates, pressures);
    if (!found.fit)
        throw AnalysisFault(found.error);
    const BreakFit& f = *found.fit;

    s.PiChartKept.reset();
    dropBreak(s);
    const auto line = [&](bool first) {
        TrendRecord t;
        t.Kind = LinearTrend;
        t.Joined = true;
        t.Coefficients = Coefficients(2);
        t.Coefficients[1] = first ? f.slope : f.secondSlope();
        t.Coefficients[2] = first ? f.intercept : f.secondIntercept();
        for (int i = 1; i <= n; ++i)
            if ((s.FitRates[i] <= f.breakRate) == first) {
                t.Rates.append(s.FitRates[i]);
                t.Pressures.append(s.FitPressures[i]);
            }
        t.RateFrom = first ? s.FitRateFrom : f.breakRate;
        t.RateTo = first ? f.breakRate : s.FitRateTo;
        t.RSquared = lineRSquared(t.Rates, t.Pressures, t.Coefficients);
        return t;
    };
    s.FirstTrend = line(true);
    s.SecondTrend = line(false);
    s.TrendCount = 2;
    deriveTrendResults(s, 1, LinearTrend, s.FirstTrend.Coefficients);
    deriveTrendResults(s, 2, LinearTrend, s.SecondTrend.Coefficients);
    s.FirstTrend.Coefficient = s.ProductivityIndex;
    s.SecondTrend.Coefficient = s.SecondProductivityIndex;
    s.Break = breakRecord(rates, pressures, f);
    s.AllowedBottomholePressure = f.breakPressure();
    UpdateResultsTable(s);
    placePiChart(s, ctx);
    RedrawIndicatorDiagram(s, ctx, false);
}

} // namespace id
