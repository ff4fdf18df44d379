#include "charts/view/PiChartRenderer.h"

#include "charts/PiChartMath.h"
#include "diagram/CurveSampler.h"
#include "diagram/view/AxisPainter.h"
#include "platform/view/PictureSurface.h"
#include "state/ChartStyle.h"

#include <QRectF>
#include <algorithm>

namespace id {

namespace {

void drawRateAxis(const PiChartInputs& s, PictureSurface& p7, PictureSurface& p8) {
    const double w7 = p7.widthTwips();
    const double w8 = p8.widthTwips();
    const double h8 = p8.heightTwips();
    const double markLength = p8.ScaleHeight() / Style.XTickLengthDivisor;
    AxisPainter axis{s.PiAxisXMin, s.PiAxisXMax, Style.RateTickIntervals};
    axis.frame = {AxisFrame::Bottom, w7 - w8, 0, w8, h8, false, true};
    axis.mark = [&](double t) { p8.Line(t, s.PiAxisYBottom, t, s.PiAxisYBottom - markLength, 0); };
    if (s.WellType == ProducingWell || s.WellType == InjectionWell)
        axis.title = {{s.WellType == InjectionWell ? QStringLiteral("Приемистость, м  /сут")
                                                   : QStringLiteral("Дебит, м  /сут")},
                      QStringLiteral(" /сут")};
    axis.paint(p7);
}

void drawIndexAxis(const PiChartInputs& s, PictureSurface& p7, PictureSurface& p8) {
    const double w7 = p7.widthTwips();
    const double w8 = p8.widthTwips();
    const double h8 = p8.heightTwips();
    const double markLength = p8.ScaleWidth() / Style.YTickLengthDivisor;
    AxisPainter axis{s.PiAxisYBottom, s.PiAxisYTop, Style.PiYTickIntervals};
    axis.frame = {AxisFrame::Left, w7 - w8, 0, w8, h8, false, true};
    axis.mark = [&](double t) { p8.Line(s.PiAxisXMin, t, s.PiAxisXMin + markLength, t, 0); };
    axis.title = {{QStringLiteral("PI,"), QStringLiteral("м"), QStringLiteral("сут*МПа")},
                  QStringLiteral("3"),
                  true};
    axis.paint(p7);
}

void drawCurve(const PiChartInputs& s, const TrendRecord& trend, PictureSurface& p8) {
    const int kind = trend.Kind;
    const Coefficients& c = trend.Coefficients;
    if (kind == NoTrend || c.size() != coefficientCount(kind))
        return;
    if (s.WellType != ProducingWell && s.WellType != InjectionWell)
        return;
    p8.DrawWidth = Style.PiCurveLineWidth;
    const auto value = [&](double x) { return piCurveValue(trend, s.WellType, x); };
    double x0 = kind == CubicTrend ? 0 : s.PiAxisXMin;
    // A break's second line holds from the break on.
    if (s.SelectionMode || trend.Joined)
        x0 = trend.RateFrom;
    const double xe = trend.RateTo;
    if (kind == LinearTrend) {
        const std::optional<double> y = value(x0);
        if (y)
            p8.Line(x0, *y, xe, *y, Style.TrendLineColor);
        return;
    }
    // The index of a polynomial trend (or a model) is a rational curve: sampled, and broken where
    // it is undefined or where its denominator changes sign, so no chord runs through a pole.
    std::vector<QPointF> run;
    const auto flush = [&] {
        if (run.size() >= 2)
            p8.Polyline(run, Style.TrendLineColor);
        run.clear();
    };
    const std::vector<double> knots =
        curveKnots(x0, xe, (xe - x0) / Style.CurveSegments, Style.CurveSegments);
    for (std::size_t i = 0; i + 1 < knots.size(); ++i) {
        const std::optional<double> ya = value(knots[i]);
        const std::optional<double> yb = value(knots[i + 1]);
        if (ya && yb && (*ya > 0) == (*yb > 0)) {
            if (run.empty())
                run.emplace_back(knots[i], *ya);
            run.emplace_back(knots[i + 1], *yb);
        } else {
            flush();
        }
    }
    flush();
}

} // namespace

void RedrawPiChart(const PiChartInputs& s, PictureSurface& p7, PictureSurface& p8) {
    drawPiChartAxes(s, p7, p8);
    drawPiChartCurves(s, p8);
}

void drawPiChartAxes(const PiChartInputs& s, PictureSurface& p7, PictureSurface& p8) {
    p8.Cls();
    p8.Scale(s.PiAxisXMin, s.PiAxisYTop, s.PiAxisXMax, s.PiAxisYBottom);
    p7.Cls();
    p7.setFontSize(Style.TickLabelFontSize);
    p7.ForeColor = 0;
    p8.DrawWidth = Style.AxisLineWidth;
    drawRateAxis(s, p7, p8);
    drawIndexAxis(s, p7, p8);
}

void drawPiChartCurves(const PiChartInputs& s, PictureSurface& p8) {
    for (int slot = 1; slot <= 2; ++slot)
        drawCurve(s, s.trend(slot), p8);
}

} // namespace id
