#include "app/DataCommands.h"

#include "analysis/EstimationModes.h"
#include "analysis/ResultRows.h"
#include "app/AllowedPressureCommands.h"
#include "app/TrendCommands.h"
#include "diagram/AxisRounding.h"
#include "diagram/BreakTrends.h"
#include "diagram/RedrawPipeline.h"
#include "diagram/TickRule.h"
#include "measurements/DiscardAnalysis.h"
#include "state/AnalysisFault.h"
#include "state/NumberText.h"

#include <QPointF>
#include <cmath>
#include <optional>
#include <vector>

namespace id {

namespace {

// A row with both cells filled, as a point.
struct TablePoint {
    double rate = 0;
    double pressure = 0;
    bool excluded = false;
    qsizetype row = 0;
};

// The rows with both cells filled, or nothing (after telling the user) when such a cell does
// not hold a number.
std::optional<std::vector<TablePoint>> readTable(const AnalysisState& s, QStringList& messages) {
    std::vector<TablePoint> points;
    for (qsizetype i = 0; i < s.Table.size(); ++i) {
        const MeasurementRow& row = s.Table.at(i);
        if (row.Pressure.isEmpty() || row.Rate.isEmpty())
            continue;
        const std::optional<double> rate = readNumber(row.Rate);
        const std::optional<double> pressure = readNumber(row.Pressure);
        if (!rate || !pressure) {
            messages << QStringLiteral("В строке %1 таблицы записано не число: «%2». График не "
                                       "построен")
                            .arg(i + 1)
                            .arg(quotedCell(rate ? row.Pressure : row.Rate));
            return std::nullopt;
        }
        points.push_back({*rate, *pressure, row.Excluded, i});
    }
    return points;
}

// The points of the table, the ones left out apart.
void splitPoints(AnalysisState& s, const std::vector<TablePoint>& points) {
    s.Measurements.clear();
    s.ExcludedPoints.clear();
    for (const TablePoint& p : points)
        (p.excluded ? s.ExcludedPoints : s.Measurements).append(p.rate, p.pressure);
}

// Numbers too large for any chart, of either sign: the reason they are refused.
std::optional<QString> unchartable(const std::vector<TablePoint>& points) {
    double largestRate = 0;
    double largestPressure = 0;
    for (const TablePoint& p : points) {
        largestRate = std::max(largestRate, std::abs(p.rate));
        largestPressure = std::max(largestPressure, std::abs(p.pressure));
    }
    if (auto fault = axisFault(0, RoundUpAxisMax(largestRate), QStringLiteral("X"), QString()))
        return fault;
    return axisFault(0, RoundUpAxisMax(largestPressure), QStringLiteral("Y"), QString());
}

// The axes' maxima from the points, rounded up, and the fit set's rates. The axes take the
// points left out too: they are drawn, hollow.
void setAxesFromPoints(AnalysisState& s, const std::vector<TablePoint>& points) {
    for (const auto& [rate, pressure, excluded, row] : points) {
        if (rate >= s.IdAxisXMax)
            s.IdAxisXMax = rate;
        if (s.WellType == ProducingWell) {
            if (pressure >= s.IdAxisYTop)
                s.IdAxisYTop = pressure;
        } else if (pressure >= s.IdAxisYBottom) {
            s.IdAxisYBottom = pressure;
        }
        if (rate > s.FitRateTo && !excluded)
            s.FitRateTo = rate;
    }
    s.IdAxisXMax = RoundUpAxisMax(s.IdAxisXMax);
    if (s.WellType == ProducingWell)
        s.IdAxisYTop = RoundUpAxisMax(s.IdAxisYTop);
    else
        s.IdAxisYBottom = RoundUpAxisMax(s.IdAxisYBottom);
}

// The break searched for again on the fit set; where the points left make none, the point still
// goes and so do the break's lines, with the reason.
void refitBreak(AnalysisState& s, CommandContext& ctx) {
    try {
        addBreakTrends(s, ctx);
    } catch (const AnalysisFault& fault) {
        ctx.messages << fault.message() + QStringLiteral(" Излом снят.");
        resetResults(s);
        ResetTrends(s);
        s.ResultsShown = false;
        s.PiChartShown = false;
        RedrawIndicatorDiagram(s, ctx);
        UpdateResultsTable(s);
    }
}

// A trend's points but the one left out, appended.
void appendPointsBut(const TrendRecord& t, QPointF leftOut, OneBasedArray<double>& rates,
                     OneBasedArray<double>& pressures) {
    for (int i = 1; i <= t.Rates.size(); ++i)
        if (!(t.Rates[i] == leftOut.x() && t.Pressures[i] == leftOut.y())) {
            rates.append(t.Rates[i]);
            pressures.append(t.Pressures[i]);
        }
}

// After points were left out or brought back: the fit set is every point kept (by all points),
// and a standing trend is fitted again; in selection mode a trend that held a point now left out
// is fitted again without it.
void refitAfterExclusion(AnalysisState& s, CommandContext& ctx, std::optional<QPointF> leftOut) {
    // A break is searched for again on its points as they now stand.
    if (s.Break && s.SelectionMode) {
        if (!leftOut)
            return;
        OneBasedArray<double> rates, pressures;
        for (const TrendRecord* t : {&s.FirstTrend, &s.SecondTrend})
            appendPointsBut(*t, *leftOut, rates, pressures);
        s.FitRateFrom = s.FirstTrend.RateFrom;
        s.FitRateTo = s.SecondTrend.RateTo;
        s.FitRates = std::move(rates);
        s.FitPressures = std::move(pressures);
        refitBreak(s, ctx);
        return;
    }
    if (!s.SelectionMode) {
        fitAllMeasurements(s);
        s.FitRateFrom = 0;
        s.FitRateTo = 0;
        for (int i = 1; i <= s.measurementCount(); ++i)
            s.FitRateTo = std::max(s.FitRateTo, s.Measurements.rate(i));
        if (s.Break) {
            refitBreak(s, ctx);
            return;
        }
        // A model beside the trend was fitted to all the points too.
        const int standing = s.TrendCount;
        for (int slot = 1; slot <= std::max(standing, 1); ++slot) {
            s.TrendCount = static_cast<std::int16_t>(std::min(slot, standing));
            RedrawIndicatorDiagram(s, ctx, standing > 0);
        }
        return;
    }
    if (!leftOut)
        return;
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        const TrendRecord& t = s.trend(slot);
        OneBasedArray<double> rates, pressures;
        appendPointsBut(t, *leftOut, rates, pressures);
        if (rates.size() != t.Rates.size())
            refitSlot(s, ctx, slot, std::move(rates), std::move(pressures));
    }
}

} // namespace

QString quotedCell(const QString& text) {
    constexpr qsizetype Longest = 40;
    return text.size() <= Longest ? text : text.left(Longest) + QStringLiteral("…");
}

void BuildCharts(AnalysisState& s, CommandContext& ctx) {
    // Every cell is read before anything changes, so a bad cell leaves the analysis as it was.
    const std::optional<std::vector<TablePoint>> points = readTable(s, ctx.messages);
    if (!points)
        return;
    if (const std::optional<QString> fault = unchartable(*points)) {
        ctx.messages << *fault;
        return;
    }
    s.AllowedBottomholePressure = 0;
    resetResults(s);
    resetAxes(s);
    s.FitRateFrom = 0;
    s.FitRateTo = 0;
    s.TrendCount = 0;
    s.FirstTrend.Kind = NoTrend;
    s.SecondTrend.Kind = NoTrend;
    s.PiChartKept.reset();
    dropBreak(s);

    splitPoints(s, *points);
    setAxesFromPoints(s, *points);
    fitAllMeasurements(s);

    // The boxes are unticked before the rebuild, so a tick hidden by an earlier edit starts no
    // search that the user cannot see asked for.
    for (int box : {1, 2})
        if (box == 1 ? s.ManualPick : s.AutoSearch)
            tickAllowedPressureBox(s, ctx, box, false);
    RedrawIndicatorDiagram(s, ctx);

    s.DiagramShown = true;
    s.PiChartShown = false;
    s.AllowedPressureBoxesShown = true;
    s.ResultsShown = false;
}

bool togglePointExclusion(AnalysisState& s, CommandContext& ctx, double rate, double pressure,
                          double rateTolerance, double pressureTolerance) {
    // The nearest drawn point within the tolerances, kept or left out.
    std::optional<QPointF> nearest;
    bool nearestExcluded = false;
    double best = 2;
    for (const bool excluded : {false, true}) {
        const Measurements& m = excluded ? s.ExcludedPoints : s.Measurements;
        for (int i = 1; i <= m.count(); ++i) {
            const double dx = (m.rate(i) - rate) / rateTolerance;
            const double dy = (m.pressure(i) - pressure) / pressureTolerance;
            const double d = std::hypot(dx, dy);
            if (d <= 1 && d < best) {
                best = d;
                nearest = QPointF(m.rate(i), m.pressure(i));
                nearestExcluded = excluded;
            }
        }
    }
    if (!nearest)
        return false;
    QStringList ignored;
    std::optional<std::vector<TablePoint>> points = readTable(s, ignored);
    if (!points)
        return false;
    for (TablePoint& p : *points)
        if (p.rate == nearest->x() && p.pressure == nearest->y() && p.excluded == nearestExcluded) {
            p.excluded = s.Table[p.row].Excluded = !nearestExcluded;
            break;
        }
    splitPoints(s, *points);
    refitAfterExclusion(s, ctx, nearestExcluded ? std::nullopt : nearest);
    return true;
}

void restoreExcludedPoints(AnalysisState& s, CommandContext& ctx) {
    for (MeasurementRow& row : s.Table)
        row.Excluded = false;
    QStringList ignored;
    if (const std::optional<std::vector<TablePoint>> points = readTable(s, ignored))
        splitPoints(s, *points);
    refitAfterExclusion(s, ctx, std::nullopt);
}

void SwitchWellType(AnalysisState& s, int wellType) {
    if (s.WellType == wellType)
        return;
    s.WellType = static_cast<std::int16_t>(wellType);
    s.AllowedBottomholePressure = 0;
    resetResults(s);
    ResetTrends(s);
    s.DiagramShown = false;
    s.PiChartShown = false;
    s.ResultsShown = false;
    s.AllowedPressureBoxesShown = false;
    withoutEstimate(s);
}

void saturationPressureEdited(AnalysisState& s, const QString& text) {
    s.Inputs.Pnas = text;
    DiscardAnalysis(s, DiscardVariant::Key);
}

} // namespace id
