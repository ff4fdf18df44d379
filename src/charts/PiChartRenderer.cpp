#include "charts/PiChartRenderer.h"

#include "app/AppContext.h"
#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "charts/PiChartMath.h"
#include "diagram/TickRule.h"
#include "platform/PictureSurface.h"
#include "state/AnalysisState.h"

#include <QAction>
#include <QRectF>
#include <algorithm>
#include <cmath>

namespace id {

namespace {

enum class PiSteps { AllFromAxis, FromRateAxis, FromSurfaces, CurveOnly };

PiSteps dispatch(const AnalysisState& s) {
    const int n = s.TrendCount;
    if (s.ReplayingPiTrends && n == 1)
        return PiSteps::FromSurfaces;
    if (s.ReplayingPiTrends && n == 2)
        return PiSteps::CurveOnly;
    if (s.ReplayingIdTrends && n == 1)
        return PiSteps::FromRateAxis;
    if (s.ReplayingIdTrends && n == 2)
        return PiSteps::CurveOnly;
    if (n > 1)
        return PiSteps::CurveOnly;
    return PiSteps::AllFromAxis;
}

void drawRateAxis(const AnalysisState& s, PictureSurface& p7, PictureSurface& p8) {
    const double w7 = p7.widthTwips();
    const double w8 = p8.widthTwips();
    const double h8 = p8.heightTwips();
    const double range = s.PiAxisXMax - s.PiAxisXMin;
    const double markLength = p8.ScaleHeight() / s.XTickLengthDivisor;
    for (const AxisTick& tick : axisTicks(s.PiAxisXMin, s.PiAxisXMax, s.RateTickIntervals)) {
        const double tw = p7.TextWidth(tick.label);
        if (tick.hasMark)
            p8.Line(tick.value, s.PiAxisYBottom, tick.value, s.PiAxisYBottom - markLength, 0);
        switch (tick.place) {
        case AxisTick::Low:
            p7.CurrentX = w7 - w8;
            break;
        case AxisTick::Inner:
            p7.CurrentX = range > 1 ? (tick.value - s.PiAxisXMin) * w8 / range + (w7 - w8) - tw / 2
                                    : w7 - w8 + w8 / 2 - tw / 2;
            break;
        case AxisTick::High:
            p7.CurrentX = w7 - tw;
            break;
        }
        p7.CurrentY = h8;
        p7.Print(tick.label);
    }
}

void drawRateTitle(const AnalysisState& s, PictureSurface& p7) {
    if (s.WellType != ProducingWell && s.WellType != InjectionWell)
        return;
    p7.setFontSize(s.ControlFontSize);
    const QString title = s.WellType == InjectionWell ? QStringLiteral("Приемистость, м  /сут")
                                                      : QStringLiteral("Дебит, м  /сут");
    const double w7 = p7.widthTwips();
    const double y = p7.heightTwips() - p7.TextHeight(title);
    p7.CurrentX = w7 - p7.TextWidth(title);
    p7.CurrentY = y;
    p7.Print(title);
    p7.CurrentX = w7 - p7.TextWidth(QStringLiteral(" /сут"));
    p7.CurrentY = y;
    p7.setFontSize(s.SuperscriptFontSize);
    p7.Print(QStringLiteral("3"));
}

void drawIndexAxis(const AnalysisState& s, PictureSurface& p7, PictureSurface& p8) {
    p7.setFontSize(s.TickLabelFontSize);
    const double w7 = p7.widthTwips();
    const double w8 = p8.widthTwips();
    const double h8 = p8.heightTwips();
    const double range = s.PiAxisYTop - s.PiAxisYBottom;
    const double markLength = p8.ScaleWidth() / s.YTickLengthDivisor;
    // The axis title stands in the top left corner; a label that would print over one of its
    // lines is left out (its tick mark stays).
    p7.setFontSize(s.ControlFontSize);
    const QString titleLines[] = {QStringLiteral("PI,"), QStringLiteral("м  "),
                                  QStringLiteral("сут*МПа")};
    std::vector<QRectF> title;
    double lineTop = 0;
    for (const QString& line : titleLines) {
        const double width = p7.TextWidth(line);
        const double height = p7.TextHeight(line);
        const double left =
            line == titleLines[1] ? p7.TextWidth(titleLines[2]) / 2 - p7.TextWidth(line) / 2 : 0;
        title.emplace_back(left, lineTop, width, height);
        lineTop += height;
    }
    p7.setFontSize(s.TickLabelFontSize);
    for (const AxisTick& tick : axisTicks(s.PiAxisYBottom, s.PiAxisYTop, s.PiYTickIntervals)) {
        const double tw = p7.TextWidth(tick.label);
        const double th = p7.TextHeight(tick.label);
        if (tick.hasMark)
            p8.Line(s.PiAxisXMin, tick.value, s.PiAxisXMin + markLength, tick.value, 0);
        p7.CurrentX = w7 - w8 - tw;
        switch (tick.place) {
        case AxisTick::Low:
            p7.CurrentY = h8 - th;
            break;
        case AxisTick::Inner:
            p7.CurrentY = range > 1 ? h8 - (tick.value - s.PiAxisYBottom) * h8 / range - th / 2
                                    : h8 - h8 / 2 - th / 2;
            break;
        case AxisTick::High:
            p7.CurrentY = 0;
            break;
        }
        const QRectF box(p7.CurrentX, p7.CurrentY, tw, th);
        if (std::any_of(title.begin(), title.end(),
                        [&](const QRectF& line) { return line.intersects(box); }))
            continue;
        p7.Print(tick.label);
    }
}

void drawIndexTitle(const AnalysisState& s, PictureSurface& p7) {
    p7.setFontSize(s.ControlFontSize);
    const QString pi = QStringLiteral("PI,");
    const QString m = QStringLiteral("м");
    const QString denominator = QStringLiteral("сут*МПа");
    const double piHeight = p7.TextHeight(pi);
    const double mHeight = p7.TextHeight(m);
    const double denominatorWidth = p7.TextWidth(denominator);
    p7.CurrentX = 0;
    p7.CurrentY = 0;
    p7.Print(pi);
    p7.CurrentX = denominatorWidth / 2 - p7.TextWidth(QStringLiteral("м ")) / 2;
    p7.CurrentY = piHeight;
    p7.Print(m);
    p7.Line(0, piHeight + mHeight, denominatorWidth, piHeight + mHeight, s.TrendLineColor);
    p7.CurrentX = 0;
    p7.CurrentY = mHeight + piHeight;
    p7.Print(denominator);
    const double mWidth = p7.TextWidth(m);
    p7.setFontSize(s.SuperscriptFontSize);
    p7.CurrentX = mWidth / 2 + denominatorWidth / 2;
    p7.CurrentY = piHeight;
    p7.Print(QStringLiteral("3"));
    p7.setFontSize(s.TickLabelFontSize);
}

void drawCurve(const AnalysisState& s, bool selectionMode, PictureSurface& p8) {
    const int kind = s.CurrentTrendKind;
    const Coefficients& c = s.CurrentTrendCoefficients;
    if (kind < LinearTrend || kind > CubicTrend || c.size() < kind)
        return;
    if (s.WellType != ProducingWell && s.WellType != InjectionWell)
        return;
    p8.DrawWidth = s.PiCurveLineWidth;
    const auto value = [&](double x) { return piCurveValue(kind, c, s.WellType, x); };
    double x0 = kind == CubicTrend ? 0 : s.PiAxisXMin;
    if (selectionMode)
        x0 = s.FitRateFrom;
    const double xe = s.FitRateTo;
    if (kind == LinearTrend) {
        const std::optional<double> y = value(x0);
        if (y)
            p8.Line(x0, *y, xe, *y, s.TrendLineColor);
        return;
    }
    // The index of a polynomial trend is a rational curve: sampled, and broken where it is
    // undefined or where its denominator changes sign, so no chord runs through a pole.
    const double h = (xe - x0) / s.CurveSegments;
    std::vector<QPointF> run;
    const auto flush = [&] {
        if (run.size() >= 2)
            p8.Polyline(run, s.TrendLineColor);
        run.clear();
    };
    double x = x0;
    int chords = 0;
    do {
        const double xb = x + h;
        const std::optional<double> ya = value(x);
        const std::optional<double> yb = value(xb);
        if (ya && yb && (*ya > 0) == (*yb > 0)) {
            if (run.empty())
                run.emplace_back(x, *ya);
            run.emplace_back(xb, *yb);
        } else {
            flush();
        }
        x = xb;
        ++chords;
    } while (x < xe && h > 0 && chords < 100 * s.CurveSegments);
    flush();
}

} // namespace

void RedrawPiChart(AppContext& ctx) {
    AnalysisState& s = ctx.state;
    PictureSurface& p7 = *ctx.form.Picture7;
    PictureSurface& p8 = *ctx.form.Picture8;
    const bool selectionMode = ctx.menus.mTrendAddSelectPoint->isChecked();
    const PiSteps steps = dispatch(s);

    if (steps == PiSteps::AllFromAxis) {
        s.PiAxisYBottom = 0;
        s.PiAxisYTop = automaticPiAxisTop(s);
    }
    if (steps == PiSteps::AllFromAxis || steps == PiSteps::FromRateAxis) {
        s.PiAxisXMin = s.IdAxisXMin;
        s.PiAxisXMax = s.IdAxisXMax;
        p7.show();
        p8.show();
    }
    if (steps != PiSteps::CurveOnly) {
        requireAxisExtent(s.PiAxisXMin, s.PiAxisXMax, QStringLiteral("X"),
                          QStringLiteral(" графика PI от Q"));
        requireAxisExtent(s.PiAxisYBottom, s.PiAxisYTop, QStringLiteral("Y"),
                          QStringLiteral(" графика PI от Q"));
        p8.Cls();
        p8.Scale(s.PiAxisXMin, s.PiAxisYTop, s.PiAxisXMax, s.PiAxisYBottom);
        p7.Cls();
        p7.setFontSize(s.TickLabelFontSize);
        p7.ForeColor = 0;
        p8.DrawWidth = s.AxisLineWidth;
        drawRateAxis(s, p7, p8);
        drawRateTitle(s, p7);
        drawIndexAxis(s, p7, p8);
        drawIndexTitle(s, p7);
    }
    drawCurve(s, selectionMode, p8);
}

} // namespace id
