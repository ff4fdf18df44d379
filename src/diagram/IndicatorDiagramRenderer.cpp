#include "diagram/IndicatorDiagramRenderer.h"

#include "diagram/TickRule.h"
#include "diagram/TrendFit.h"
#include "diagram/TrendLabel.h"
#include "platform/PictureSurface.h"
#include "state/AnalysisState.h"

#include <cmath>

namespace id {

namespace {

const QString PressureTitleTop = QStringLiteral("Pз,");
const QString PressureTitleBottom = QStringLiteral("МПа");

QString rateTitle(int wellType) {
    return wellType == InjectionWell ? QStringLiteral("Приемистость, м  /сут")
                                     : QStringLiteral("Дебит, м  /сут");
}

void drawRateAxis(const AnalysisState& s, PictureSurface& p3, PictureSurface& p4) {
    const bool injection = s.WellType == InjectionWell;
    const double low = s.IdAxisXMin;
    const double high = s.IdAxisXMax;
    const double w3 = p3.widthTwips();
    const double h3 = p3.heightTwips();
    const double w4 = p4.widthTwips();
    const double h4 = p4.heightTwips();
    const double markLength = std::abs(p4.ScaleHeight()) / s.XTickLengthDivisor;
    for (const AxisTick& tick : axisTicks(low, high, s.RateTickIntervals)) {
        if (tick.hasMark) {
            if (injection)
                p4.Line(tick.value, s.IdAxisYTop, tick.value, s.IdAxisYTop + markLength, 0);
            else
                p4.Line(tick.value, s.IdAxisYBottom, tick.value, s.IdAxisYBottom + markLength, 0);
        }
        const double tw = p3.TextWidth(tick.label);
        const double th = p3.TextHeight(tick.label);
        switch (tick.place) {
        case AxisTick::Low:
            p3.CurrentX = w3 - w4;
            break;
        case AxisTick::Inner:
            p3.CurrentX = (tick.value - low) * w4 / (high - low) + (w3 - w4) - tw / 2;
            break;
        case AxisTick::High:
            p3.CurrentX = w3 - tw;
            break;
        }
        p3.CurrentY = injection ? h3 - h4 - th : h4;
        p3.Print(tick.label);
    }
}

void drawRateTitle(const AnalysisState& s, PictureSurface& p3) {
    p3.setFontSize(s.ControlFontSize);
    const QString title = rateTitle(s.WellType);
    const double w3 = p3.widthTwips();
    p3.CurrentX = w3 - p3.TextWidth(title);
    p3.CurrentY = s.WellType == InjectionWell ? 0 : p3.heightTwips() - p3.TextHeight(title);
    const double y = p3.CurrentY;
    p3.Print(title);
    p3.CurrentX = w3 - p3.TextWidth(QStringLiteral(" /сут"));
    p3.CurrentY = y;
    p3.setFontSize(s.SuperscriptFontSize);
    p3.Print(QStringLiteral("3"));
    p3.setFontSize(s.TickLabelFontSize);
}

void drawPressureAxis(const AnalysisState& s, PictureSurface& p3, PictureSurface& p4) {
    const bool injection = s.WellType == InjectionWell;
    const double low = injection ? s.IdAxisYTop : s.IdAxisYBottom;
    const double high = injection ? s.IdAxisYBottom : s.IdAxisYTop;
    const double w3 = p3.widthTwips();
    const double h3 = p3.heightTwips();
    const double w4 = p4.widthTwips();
    const double h4 = p4.heightTwips();
    const double markLength = p4.ScaleWidth() / s.YTickLengthDivisor;
    for (const AxisTick& tick : axisTicks(low, high, s.PressureTickIntervals)) {
        if (tick.hasMark)
            p4.Line(s.IdAxisXMin, tick.value, s.IdAxisXMin + markLength, tick.value, 0);
        const double tw = p3.TextWidth(tick.label);
        const double th = p3.TextHeight(tick.label);
        p3.CurrentX = w3 - w4 - tw;
        if (!injection) {
            switch (tick.place) {
            case AxisTick::Low:
                p3.CurrentY = h4 - th;
                break;
            case AxisTick::Inner:
                p3.CurrentY = h4 - (tick.value - low) * h4 / (high - low) - th / 2;
                break;
            case AxisTick::High:
                p3.CurrentY = 0;
                break;
            }
        } else {
            switch (tick.place) {
            case AxisTick::Low:
                p3.CurrentY = h3 - h4;
                break;
            case AxisTick::Inner:
                p3.CurrentY = h3 - h4 +
                              (tick.value - s.IdAxisYTop) * h4 / (s.IdAxisYBottom - s.IdAxisYTop) -
                              th / 2;
                break;
            case AxisTick::High:
                p3.CurrentY = h3 - th;
                break;
            }
        }
        p3.Print(tick.label);
    }
}

void drawPressureTitle(const AnalysisState& s, PictureSurface& p3) {
    p3.setFontSize(s.ControlFontSize);
    p3.CurrentX = 0;
    if (s.WellType == InjectionWell) {
        const double bottomLine = p3.heightTwips() - p3.TextHeight(PressureTitleBottom);
        p3.CurrentY = bottomLine;
        p3.Print(PressureTitleBottom);
        p3.CurrentX = 0;
        p3.CurrentY = bottomLine - p3.TextHeight(PressureTitleTop);
        p3.Print(PressureTitleTop);
    } else {
        p3.CurrentY = 0;
        p3.Print(PressureTitleTop);
        p3.CurrentX = 0;
        p3.CurrentY = p3.TextHeight(PressureTitleTop);
        p3.Print(PressureTitleBottom);
    }
    p3.setFontSize(s.TickLabelFontSize);
}

void drawSaturationLine(const AnalysisState& s, PictureSurface& p4) {
    const double psat = s.SaturationPressure;
    const double x0 = s.IdAxisXMin;
    const double dash = (s.IdAxisXMax - s.IdAxisXMin) / s.SaturationLineDashes;
    p4.DrawWidth = s.SaturationLineWidth;
    for (int i = 0; i < s.SaturationLineDashes; ++i)
        p4.Line(x0 + i * dash, psat, x0 + (i + 2.0 / 3.0) * dash, psat, s.SaturationLineColor);
    p4.setFontSize(s.ControlFontSize);
    p4.CurrentY = psat - p4.TextHeight(QStringLiteral("Pнас"));
    p4.CurrentX = s.IdAxisXMin + (s.IdAxisXMax - s.IdAxisXMin) / 100;
    p4.Print(QStringLiteral("Pнас"));
}

} // namespace

void drawIndicatorDiagram(const AnalysisState& s, PictureSurface& p3, PictureSurface& p4) {
    requireAxisExtent(s.IdAxisXMin, s.IdAxisXMax, QStringLiteral("X"), QString());
    requireAxisExtent(s.IdAxisYTop, s.IdAxisYBottom, QStringLiteral("Y"), QString());

    p4.Cls();
    p4.Scale(s.IdAxisXMin, s.IdAxisYTop, s.IdAxisXMax, s.IdAxisYBottom);
    p3.Cls();

    p4.DrawWidth = s.PointLineWidth;
    p4.FillSolid = true;
    p4.FillColor = s.PointFillColor;
    const double radius = p4.ScaleWidth() / s.PointRadiusDivisor;
    for (int i = 1; i <= s.MeasurementCount; ++i)
        p4.Circle(s.Measurements.rate(i), s.Measurements.pressure(i), radius, s.PointFillColor);
    p4.FillSolid = false;

    p3.ForeColor = 0;
    if (s.WellType == ProducingWell || s.WellType == InjectionWell) {
        p3.setFontSize(s.TickLabelFontSize);
        p4.DrawWidth = s.AxisLineWidth;
        drawRateAxis(s, p3, p4);
        drawRateTitle(s, p3);
        drawPressureAxis(s, p3, p4);
        drawPressureTitle(s, p3);
    }
    if (s.WellType != InjectionWell && s.SaturationPressure > 0)
        drawSaturationLine(s, p4);
}

void drawTrendOnDiagram(const AnalysisState& s, bool selectionMode, PictureSurface& p4) {
    const int kind = s.CurrentTrendKind;
    const Coefficients& c = s.CurrentTrendCoefficients;
    if (kind < LinearTrend || kind > CubicTrend || c.size() < kind)
        return;
    p4.DrawWidth = s.TrendLineWidth;
    const double xs = selectionMode ? s.FitRateFrom : 0;
    const std::vector<Segment> chords = trendCurve(kind, c, xs, s.FitRateTo, s.CurveSegments);
    if (chords.size() == 1) {
        p4.Line(chords[0].x1, chords[0].y1, chords[0].x2, chords[0].y2, s.TrendLineColor);
    } else {
        // The chords join end to end; one path draws them as a smooth black line.
        std::vector<QPointF> run{{chords.front().x1, chords.front().y1}};
        for (const Segment& chord : chords)
            run.emplace_back(chord.x2, chord.y2);
        p4.Polyline(run, s.TrendLineColor);
    }

    const TrendLabel label = trendLabel(kind, c);
    const double top = s.IdAxisYTop;
    const double bottom = s.IdAxisYBottom;
    const bool second = s.TrendCount == 2;
    p4.setFontSize(s.EquationFontSize);
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
        p4.setFontSize(s.SuperscriptFontSize);
        p4.CurrentX = firstX;
        p4.CurrentY = labelY;
        p4.Print(label.firstExponent);
        if (!label.beforeSecondPower.isEmpty()) {
            p4.CurrentX = secondX;
            p4.CurrentY = labelY;
            p4.Print(QStringLiteral("2"));
        }
        p4.setFontSize(s.EquationFontSize);
    }

    const QString r2 = rSquaredText(rSquaredOfSlot(s));
    const double r2X = s.IdAxisXMax - labelWidth / 2 - p4.TextWidth(r2) / 2;
    const double r2Y = top - (top - bottom) / (second ? 4 : 10);
    p4.CurrentX = r2X;
    p4.CurrentY = r2Y;
    p4.Print(r2);
    p4.CurrentX = r2X + p4.TextWidth(QStringLiteral("R"));
    p4.CurrentY = r2Y;
    p4.setFontSize(s.SuperscriptFontSize);
    p4.Print(QStringLiteral("2"));
    p4.setFontSize(s.EquationFontSize);
}

} // namespace id
