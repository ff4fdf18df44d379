#include "diagram/view/IndicatorDiagramRenderer.h"

#include "analysis/InflowModels.h"
#include "analysis/TrendStatistics.h"
#include "state/TrendMath.h"

#include "diagram/TrendLabel.h"
#include "diagram/view/AxisPainter.h"
#include "platform/view/PictureSurface.h"
#include "state/ChartStyle.h"

#include <cmath>

namespace id {

namespace {

const QString PressureTitleTop = QStringLiteral("Pз,");
const QString PressureTitleBottom = QStringLiteral("МПа");

const QString SaturationCaption = QStringLiteral("Pнас");

QString rateTitle(int wellType) {
    return wellType == InjectionWell ? QStringLiteral("Приемистость, м  /сут")
                                     : QStringLiteral("Дебит, м  /сут");
}

void drawRateAxis(const ChartInputs& s, PictureSurface& p3, PictureSurface& p4) {
    const bool injection = s.WellType == InjectionWell;
    const double low = s.IdAxisXMin;
    const double high = s.IdAxisXMax;
    const double w3 = p3.widthTwips();
    const double h3 = p3.heightTwips();
    const double w4 = p4.widthTwips();
    const double h4 = p4.heightTwips();
    const double markLength = std::abs(p4.ScaleHeight()) / Style.XTickLengthDivisor;
    const double edge = injection ? s.IdAxisYTop : s.IdAxisYBottom;
    AxisPainter axis{low, high, Style.RateTickIntervals};
    axis.frame = {injection ? AxisFrame::Top : AxisFrame::Bottom, w3 - w4, injection ? h3 - h4 : 0,
                  w4, h4};
    axis.mark = [&](double v) { p4.Line(v, edge, v, edge + markLength, 0); };
    axis.title = {{rateTitle(s.WellType)}, QStringLiteral(" /сут")};
    axis.paint(p3);
}

void drawPressureAxis(const ChartInputs& s, PictureSurface& p3, PictureSurface& p4) {
    const bool injection = s.WellType == InjectionWell;
    const double low = injection ? s.IdAxisYTop : s.IdAxisYBottom;
    const double high = injection ? s.IdAxisYBottom : s.IdAxisYTop;
    const double w3 = p3.widthTwips();
    const double h3 = p3.heightTwips();
    const double w4 = p4.widthTwips();
    const double h4 = p4.heightTwips();
    const double markLength = p4.ScaleWidth() / Style.YTickLengthDivisor;
    AxisPainter axis{low, high, Style.PressureTickIntervals};
    // An injection well's pressure grows downwards from the top of its plot.
    axis.frame = {AxisFrame::Left, w3 - w4, injection ? h3 - h4 : 0, w4, h4, injection};
    axis.mark = [&](double v) { p4.Line(s.IdAxisXMin, v, s.IdAxisXMin + markLength, v, 0); };
    axis.title = {{PressureTitleTop, PressureTitleBottom}};
    // A label level with the "Pнас" caption would read as one with it across the axis.
    if (!injection && s.SaturationPressure > 0) {
        const double span = s.IdAxisYTop - s.IdAxisYBottom;
        const double lineY = axis.frame.plotTop + (s.IdAxisYTop - s.SaturationPressure) / span * h4;
        const double tickSize = p3.fontSize();
        p3.setFontSize(Style.ControlFontSize);
        const double captionTop = lineY - p3.TextHeight(SaturationCaption);
        p3.setFontSize(tickSize);
        axis.skip = [=](const QPointF& at, double, double height) {
            return at.y() < lineY && at.y() + height > captionTop;
        };
    }
    axis.paint(p3);
}

void drawSaturationLine(const ChartInputs& s, PictureSurface& p4) {
    const double psat = s.SaturationPressure;
    const double x0 = s.IdAxisXMin;
    const double dash = (s.IdAxisXMax - s.IdAxisXMin) / Style.SaturationLineDashes;
    p4.DrawWidth = Style.SaturationLineWidth;
    for (int i = 0; i < Style.SaturationLineDashes; ++i)
        p4.Line(x0 + i * dash, psat, x0 + (i + 2.0 / 3.0) * dash, psat, Style.SaturationLineColor);
    p4.setFontSize(Style.ControlFontSize);
    p4.CurrentY = psat - p4.TextHeight(SaturationCaption);
    p4.CurrentX = s.IdAxisXMin + (s.IdAxisXMax - s.IdAxisXMin) / 100;
    p4.Print(SaturationCaption);
}

} // namespace

void drawIndicatorDiagram(const ChartInputs& s, PictureSurface& p3, PictureSurface& p4) {
    p4.Cls();
    p4.Scale(s.IdAxisXMin, s.IdAxisYTop, s.IdAxisXMax, s.IdAxisYBottom);
    p3.Cls();

    p4.DrawWidth = Style.PointLineWidth;
    p4.FillSolid = true;
    p4.FillColor = Style.PointFillColor;
    const double radius = p4.ScaleWidth() / Style.PointRadiusDivisor;
    std::vector<QPointF> points;
    points.reserve(static_cast<std::size_t>(std::max(0, s.measurementCount())));
    for (int i = 1; i <= s.measurementCount(); ++i)
        points.emplace_back(s.Measurements.rate(i), s.Measurements.pressure(i));
    p4.Circles(points, radius, Style.PointFillColor);
    p4.FillSolid = false;
    // Points left out: hollow.
    if (s.ExcludedPoints.count() > 0) {
        std::vector<QPointF> excluded;
        for (int i = 1; i <= s.ExcludedPoints.count(); ++i)
            excluded.emplace_back(s.ExcludedPoints.rate(i), s.ExcludedPoints.pressure(i));
        p4.Circles(excluded, radius, Style.PointFillColor);
    }

    p3.ForeColor = 0;
    if (s.WellType == ProducingWell || s.WellType == InjectionWell) {
        p3.setFontSize(Style.TickLabelFontSize);
        p4.DrawWidth = Style.AxisLineWidth;
        drawRateAxis(s, p3, p4);
        drawPressureAxis(s, p3, p4);
    }
    if (s.WellType != InjectionWell && s.SaturationPressure > 0)
        drawSaturationLine(s, p4);
}

namespace {

// The 95 % confidence band of the trend's mean line: two thin dotted curves over its span.
void drawConfidenceBand(const ChartInputs& s, int slot, double from, double to,
                        PictureSurface& p4) {
    const FitStatistics* statistics =
        slot <= s.TrendCount ? s.trend(slot).Statistics.get() : nullptr;
    if (!statistics)
        return;
    const TrendRecord& trend = s.trend(slot);
    constexpr int Samples = 120;
    const double step = (to - from) / Samples;
    if (!(step > 0))
        return;
    const InflowFit* model = trend.Model.get();
    const auto halfWidth = [&](double q) {
        return model ? modelMeanHalfWidth(*model, q) : meanLineHalfWidth(*statistics, q);
    };
    p4.DrawWidth = 1;
    for (int side : {-1, 1})
        for (int i = 0; i < Samples; i += 2) {
            const double q1 = from + i * step;
            const double q2 = q1 + step;
            const double y1 = evaluateTrend(trend, q1) + side * halfWidth(q1);
            const double y2 = evaluateTrend(trend, q2) + side * halfWidth(q2);
            if (std::isfinite(y1) && std::isfinite(y2))
                p4.Line(q1, y1, q2, y2, Style.TrendLineColor);
        }
}

// The trend's chords; those that join end to end are drawn as one smooth line.
void drawChords(const std::vector<Segment>& chords, PictureSurface& p4) {
    if (chords.size() == 1) {
        p4.Line(chords[0].x1, chords[0].y1, chords[0].x2, chords[0].y2, Style.TrendLineColor);
    } else if (!chords.empty()) {
        std::vector<QPointF> run{{chords.front().x1, chords.front().y1}};
        for (const Segment& chord : chords) {
            if (chord.x1 != run.back().x()) {
                p4.Polyline(run, Style.TrendLineColor);
                run = {{chord.x1, chord.y1}};
            }
            run.emplace_back(chord.x2, chord.y2);
        }
        p4.Polyline(run, Style.TrendLineColor);
    }
}

// The trend's equation and its R² at the right of the plot, the second trend's below the first's.
void drawTrendEquation(const ChartInputs& s, int slot, PictureSurface& p4) {
    const TrendRecord& trend = s.trend(slot);
    const TrendLabel label = trendLabel(trend);
    const double top = s.IdAxisYTop;
    const double bottom = s.IdAxisYBottom;
    const bool second = slot == 2;
    p4.setFontSize(Style.EquationFontSize);
    const double labelWidth = p4.TextWidth(label.text);
    const double labelX = s.IdAxisXMax - 1.1 * labelWidth;
    const double labelY = top - (top - bottom) / (second ? 5.5 : 30);
    p4.CurrentX = labelX;
    p4.CurrentY = labelY;
    p4.Print(label.text);

    if (!label.firstExponent.isEmpty()) {
        const double firstX = labelX + p4.TextWidth(label.beforeFirstPower);
        const double secondX =
            label.beforeSecondPower.isEmpty() ? 0 : labelX + p4.TextWidth(label.beforeSecondPower);
        p4.setFontSize(Style.SuperscriptFontSize);
        p4.CurrentX = firstX;
        p4.CurrentY = labelY;
        p4.Print(label.firstExponent);
        if (!label.beforeSecondPower.isEmpty()) {
            p4.CurrentX = secondX;
            p4.CurrentY = labelY;
            p4.Print(QStringLiteral("2"));
        }
        p4.setFontSize(Style.EquationFontSize);
    }

    const QString r2 = rSquaredText(trend.RSquared);
    const double r2X = s.IdAxisXMax - labelWidth / 2 - p4.TextWidth(r2) / 2;
    const double r2Y = top - (top - bottom) / (second ? 4 : 10);
    p4.CurrentX = r2X;
    p4.CurrentY = r2Y;
    p4.Print(r2);
    p4.CurrentX = r2X + p4.TextWidth(QStringLiteral("R"));
    p4.CurrentY = r2Y;
    p4.setFontSize(Style.SuperscriptFontSize);
    p4.Print(QStringLiteral("2"));
    p4.setFontSize(Style.EquationFontSize);
}

} // namespace

void drawBreakInterval(const ChartInputs& s, PictureSurface& p4) {
    if (!s.Break)
        return;
    const BreakFit& f = s.Break->Fit;
    const auto [low, high] = f.pressureInterval();
    const double cap = (s.IdAxisXMax - s.IdAxisXMin) / 80;
    p4.DrawWidth = Style.TrendLineWidth;
    p4.Line(f.breakRate, low, f.breakRate, high, Style.TrendLineColor);
    for (double p : {low, high})
        p4.Line(f.breakRate - cap, p, f.breakRate + cap, p, Style.TrendLineColor);
}

void drawTrendOnDiagram(const ChartInputs& s, int slot, PictureSurface& p4) {
    const TrendRecord& trend = s.trend(slot);
    const int kind = trend.Kind;
    const Coefficients& c = trend.Coefficients;
    if (kind == NoTrend || c.size() != coefficientCount(kind))
        return;
    p4.DrawWidth = Style.TrendLineWidth;
    // Without picked points the curve starts at zero rate, not at the axis minimum; a break's
    // second line starts at the break. A model runs from Pпл down to Pз = 0, its open flow.
    const InflowFit* model = isInflowModelKind(kind) ? trend.Model.get() : nullptr;
    const double xs = !model && (s.SelectionMode || trend.Joined) ? trend.RateFrom : 0;
    // Just short of the open flow, where rounding of the model's own parameters still leaves it
    // a pressure.
    const double xe = model ? model->openFlow.value * (1 - 1e-12) : trend.RateTo;
    const std::vector<Segment> chords = trendCurve(trend, xs, xe, Style.CurveSegments);
    drawChords(chords, p4);
    if (model) {
        // The open flow marked where the curve meets zero pressure.
        const double tick = (s.IdAxisYTop - s.IdAxisYBottom) / 40;
        p4.Line(xe, -tick, xe, tick, Style.TrendLineColor);
    }
    if (s.ConfidenceBands)
        drawConfidenceBand(s, slot, xs, xe, p4);
    drawTrendEquation(s, slot, p4);
}

} // namespace id
