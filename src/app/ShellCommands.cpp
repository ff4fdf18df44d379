#include "app/ShellCommands.h"

#include "analysis/EstimationModes.h"
#include "analysis/InflowModels.h"
#include "analysis/ResultRows.h"
#include "charts/PiChartMath.h"
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

// The trend of a slot fitted again to the points given, over its own rates; the others stand.
void refitSlot(AnalysisState& s, CommandContext& ctx, int slot, OneBasedArray<double> rates,
               OneBasedArray<double> pressures) {
    const int standing = s.TrendCount;
    s.FitRates = std::move(rates);
    s.FitPressures = std::move(pressures);
    s.FitRateFrom = s.trend(slot).RateFrom;
    s.FitRateTo = s.trend(slot).RateTo;
    s.TrendCount = static_cast<std::int16_t>(slot);
    RedrawIndicatorDiagram(s, ctx, true);
    s.TrendCount = static_cast<std::int16_t>(standing);
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

// Takes every trend off, hides what showed them and rebuilds the diagram and the results.
void redrawWithoutTrends(AnalysisState& s, CommandContext& ctx) {
    ResetTrends(s);
    s.ResultsShown = false;
    s.PiChartShown = false;
    RedrawIndicatorDiagram(s, ctx);
    UpdateResultsTable(s);
}

} // namespace

QString quotedCell(const QString& text) {
    constexpr qsizetype Longest = 40;
    return text.size() <= Longest ? text : text.left(Longest) + QStringLiteral("…");
}

QString frameCaption(int wellType) {
    return wellType == InjectionWell
               ? QStringLiteral("Индикаторная диаграмма нагнетательной скважины")
               : QStringLiteral("Индикаторная диаграмма добывающей скважины");
}

void BuildCharts(AnalysisState& s, CommandContext& ctx) {
    // Every cell is read before anything changes, so a bad cell leaves the analysis as it was.
    const std::optional<std::vector<TablePoint>> points = readTable(s, ctx.messages);
    if (!points)
        return;
    // Numbers too large for any chart, of either sign, are refused before anything changes.
    double largestRate = 0;
    double largestPressure = 0;
    for (const TablePoint& p : *points) {
        largestRate = std::max(largestRate, std::abs(p.rate));
        largestPressure = std::max(largestPressure, std::abs(p.pressure));
    }
    for (const std::optional<QString>& fault :
         {axisFault(0, RoundUpAxisMax(largestRate), QStringLiteral("X"), QString()),
          axisFault(0, RoundUpAxisMax(largestPressure), QStringLiteral("Y"), QString())}) {
        if (fault) {
            ctx.messages << *fault;
            return;
        }
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

    // The axes take the points left out too: they are drawn, hollow.
    splitPoints(s, *points);
    for (const auto& [rate, pressure, excluded, row] : *points) {
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
    fitAllMeasurements(s);
    s.IdAxisXMax = RoundUpAxisMax(s.IdAxisXMax);
    if (s.WellType == ProducingWell)
        s.IdAxisYTop = RoundUpAxisMax(s.IdAxisYTop);
    else
        s.IdAxisYBottom = RoundUpAxisMax(s.IdAxisYBottom);

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

void addTrendByAllPoints(AnalysisState& s, CommandContext& ctx, int kind) {
    if (kind != LinearTrend)
        switchEstimationOffQuietly(s);
    s.TrendCount = 1;
    s.FirstTrend.Kind = static_cast<std::int16_t>(kind);
    // A model that stood beside the trend goes with its coefficient.
    s.SecondTrend = {};
    s.SecondProductivityIndex = 0;
    RedrawIndicatorDiagram(s, ctx);
}

// How far the rate axis stretches to show a model's open flow, as a multiple of its extent.
constexpr double MostOpenFlowAxisStretch = 3;

void addInflowModel(AnalysisState& s, CommandContext& ctx, int kind) {
    // Beside a break's line a model would stand on a half of it: it replaces the break.
    const int slot = s.Break ? 1 : s.TrendCount < 2 ? s.TrendCount + 1 : 2;
    if (slot == 1) {
        switchEstimationOffQuietly(s);
        s.SecondTrend = {};
        s.SecondProductivityIndex = 0;
    }
    s.TrendCount = static_cast<std::int16_t>(slot);
    s.trend(slot) = {};
    s.trend(slot).Kind = static_cast<std::int16_t>(kind);
    RedrawIndicatorDiagram(s, ctx);
    // The curve starts at Pпл: the pressure axis takes it in.
    const InflowFit* fit = s.trend(slot).Model.get();
    if (!fit || s.WellType != ProducingWell)
        return;
    if (fit->reservoirPressure() > s.IdAxisYTop)
        s.IdAxisYTop = RoundUpAxisMax(fit->reservoirPressure());
    // So does the rate axis its open flow, where that lies within reach of the points: an open
    // flow far beyond them would leave the points in a corner.
    const double openFlow = fit->openFlow.value;
    if (openFlow > s.IdAxisXMax && openFlow <= MostOpenFlowAxisStretch * s.IdAxisXMax)
        s.IdAxisXMax = RoundUpAxisMax(openFlow);
}

void refitInflowModels(AnalysisState& s, CommandContext& ctx) {
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        TrendRecord& t = s.trend(slot);
        if (!isInflowModelKind(t.Kind))
            continue;
        // Fitted anew, the model takes its Pпл from the box.
        t.Coefficients = {};
        refitSlot(s, ctx, slot, t.Rates, t.Pressures);
    }
}

void toggleSelectionMode(AnalysisState& s, CommandContext& ctx) {
    resetResults(s);
    if (s.WellType == InjectionWell)
        s.AllowedBottomholePressure = 0;
    if (s.SelectionMode) {
        s.SelectionMode = false;
        fitAllMeasurements(s);
        s.FitRateFrom = 0;
        double largest = 0;
        for (int i = 1; i <= s.measurementCount(); ++i)
            largest = std::max(largest, s.Measurements.rate(i));
        s.FitRateTo = largest;
    } else {
        s.SelectionMode = true;
    }
    redrawWithoutTrends(s, ctx);
}

void deleteTrends(AnalysisState& s, CommandContext& ctx) {
    resetResults(s);
    if (s.WellType == InjectionWell)
        s.AllowedBottomholePressure = 0;
    redrawWithoutTrends(s, ctx);
}

void tickAllowedPressureBox(AnalysisState& s, CommandContext& ctx, int box, bool ticked) {
    (box == 1 ? s.ManualPick : s.AutoSearch) = ticked;
    if (!ticked) {
        s.AllowedBottomholePressure = 0;
        UpdateResultsTable(s);
        return;
    }
    if (box == 1 ? s.AutoSearch : s.ManualPick) {
        ctx.messages << QStringLiteral("Выбирите один способ определения предельно-допустимого Pз");
        return;
    }
    if (box == 1)
        return; // manual picks are accepted from now on
    resetResults(s);
    s.AllowedBottomholePressure = 0;
    ResetTrends(s);
    s.ResultsShown = false;
    s.PiChartShown = false;
    RedrawIndicatorDiagram(s, ctx);
}

void pickAllowedPressure(AnalysisState& s, int button, int shift, double pressure) {
    constexpr int RightButton = 2;
    constexpr int ShiftOnly = 1;
    if (button == RightButton && shift == ShiftOnly && s.ManualPick && !s.AutoSearch) {
        s.AllowedBottomholePressure = pressure;
        UpdateResultsTable(s);
    }
}

void setAxisRange(AnalysisState& s, CommandContext& ctx, AxisChoice axis, double lo, double hi,
                  bool automatic) {
    double largestRate = 0;
    double largestPressure = 0;
    for (int i = 1; i <= s.measurementCount(); ++i) {
        largestRate = std::max(largestRate, s.Measurements.rate(i));
        largestPressure = std::max(largestPressure, s.Measurements.pressure(i));
    }
    const bool injection = s.WellType == InjectionWell;
    switch (axis) {
    case AxisChoice::DiagramRate:
        s.IdAxisXMin = automatic ? 0 : lo;
        s.IdAxisXMax = automatic ? RoundUpAxisMax(largestRate) : hi;
        requireAxisExtent(s.IdAxisXMin, s.IdAxisXMax, QStringLiteral("X"), QString());
        break;
    case AxisChoice::DiagramPressure: {
        // The pressure axis runs from its screen top for an injection well, from its bottom for
        // a producing well.
        const double low = automatic ? 0 : lo;
        const double high = automatic ? RoundUpAxisMax(largestPressure) : hi;
        (injection ? s.IdAxisYTop : s.IdAxisYBottom) = low;
        (injection ? s.IdAxisYBottom : s.IdAxisYTop) = high;
        requireAxisExtent(s.IdAxisYTop, s.IdAxisYBottom, QStringLiteral("Y"), QString());
        break;
    }
    case AxisChoice::PiIndex:
        s.PiAxisYBottom = automatic ? 0 : lo;
        s.PiAxisYTop = automatic ? automaticPiAxisTop(s) : hi;
        requireAxisExtent(s.PiAxisYBottom, s.PiAxisYTop, QStringLiteral("Y"),
                          QStringLiteral(" графика PI от Q"));
        return; // the chart is drawn again with the axes as they now stand
    }
    // Trends are never fitted again for an axis: the points of a selection made since (or
    // cancelled) are not theirs.
    if (s.TrendCount <= 1) {
        RedrawIndicatorDiagram(s, ctx, false);
    } else if (axis == AxisChoice::DiagramRate) {
        // Two trends: drawn again from their coefficients; the PI chart takes the new rates.
        s.PiAxisXMin = s.IdAxisXMin;
        s.PiAxisXMax = s.IdAxisXMax;
    }
}

void saturationPressureEdited(AnalysisState& s, const QString& text) {
    s.Inputs.Pnas = text;
    DiscardAnalysis(s, DiscardVariant::Key);
}

std::pair<double, double> axisRange(const AnalysisState& s, AxisChoice axis) {
    const bool injection = s.WellType == InjectionWell;
    switch (axis) {
    case AxisChoice::DiagramRate:
        return {s.IdAxisXMin, s.IdAxisXMax};
    case AxisChoice::DiagramPressure:
        return {injection ? s.IdAxisYTop : s.IdAxisYBottom,
                injection ? s.IdAxisYBottom : s.IdAxisYTop};
    case AxisChoice::PiIndex:
        break;
    }
    return {s.PiAxisYBottom, s.PiAxisYTop};
}

const std::vector<MenuCommand>& menuCommands() {
    using S = AnalysisState;
    using C = CommandContext;
    static const std::vector<MenuCommand> commands = {
        {"mIdAdd", [](S& s, C& c) { BuildCharts(s, c); }, "построение графика"},
        {"mEditWellDob", [](S& s, C&) { SwitchWellType(s, ProducingWell); }, "тип скважины"},
        {"mEditWellNag", [](S& s, C&) { SwitchWellType(s, InjectionWell); }, "тип скважины"},
        {"mTrendLine", [](S& s, C& c) { addTrendByAllPoints(s, c, LinearTrend); }, "линия тренда"},
        {"mTrendPolinom2", [](S& s, C& c) { addTrendByAllPoints(s, c, QuadraticTrend); },
         "линия тренда"},
        {"mTrendPolinom3", [](S& s, C& c) { addTrendByAllPoints(s, c, CubicTrend); },
         "линия тренда"},
        {"mModelVogel", [](S& s, C& c) { addInflowModel(s, c, VogelModel); }, "модель притока"},
        {"mModelComposite", [](S& s, C& c) { addInflowModel(s, c, CompositeModel); },
         "модель притока"},
        {"mModelFetkovich", [](S& s, C& c) { addInflowModel(s, c, FetkovichModel); },
         "модель притока"},
        {"mTrendBreak", [](S& s, C& c) { addBreakTrends(s, c); }, "излом"},
        {"mTrendAddSelectPoint", [](S& s, C& c) { toggleSelectionMode(s, c); }, "выбор точек"},
        {"mTrendDelete", [](S& s, C& c) { deleteTrends(s, c); }, "удаление линии тренда"},
        {"mTrendRestorePoints", [](S& s, C& c) { restoreExcludedPoints(s, c); },
         "возврат исключённых точек"},
        {"mIdSkinGidro",
         [](S& s, C& c) {
             selectEstimatingMode(s, EstimationMode::TransmissibilityFromSkin, c.messages);
         },
         "оценка"},
        {"mIdSkinSkin",
         [](S& s, C& c) {
             selectEstimatingMode(s, EstimationMode::SkinFromTransmissibility, c.messages);
         },
         "оценка"},
        {"mIdSkinNot", [](S& s, C&) { withoutEstimate(s); }, "оценка"},
    };
    return commands;
}

} // namespace id
