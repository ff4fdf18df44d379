#include "charts/view/AnalysisPainter.h"

#include "charts/view/PiChartRenderer.h"
#include "diagram/TickRule.h"
#include "diagram/view/IndicatorDiagramRenderer.h"
#include "platform/view/PictureSurface.h"

namespace id {

namespace {

// The chart's base taken from what was kept when it would be drawn the same, else drawn (and
// kept).
template <typename Inputs, typename Draw>
void restoreOrDraw(ChartLayers::Kept<Inputs>* kept, const Inputs& inputs, PictureSurface& frame,
                   PictureSurface& plot, const Draw& draw) {
    if (kept && kept->inputs == inputs) {
        frame.restoreLayer(kept->frame);
        plot.restoreLayer(kept->plot);
        return;
    }
    draw();
    if (kept)
        *kept = {inputs, frame.layer(), plot.layer()};
}

} // namespace

void drawAnalysis(const ChartInputs& s, const ChartSurfaces& surfaces, ChartLayers* layers) {
    PictureSurface& p3 = surfaces.picture3;
    PictureSurface& p4 = surfaces.picture4;
    PictureSurface& p7 = surfaces.picture7;
    PictureSurface& p8 = surfaces.picture8;
    // Axes that cannot be drawn were refused by the command that set them; this is a guard.
    const bool diagramDrawable = !axisFault(s.IdAxisXMin, s.IdAxisXMax, "X", QString()) &&
                                 !axisFault(s.IdAxisYTop, s.IdAxisYBottom, "Y", QString());
    if (s.DiagramShown && diagramDrawable) {
        const ChartLayers::DiagramBase base{
            s.WellType,
            s.Measurements,
            s.ExcludedPoints,
            s.SaturationPressure,
            {s.IdAxisXMin, s.IdAxisXMax, s.IdAxisYTop, s.IdAxisYBottom},
            {p3.size(), p4.size()},
            p4.zoom()};
        restoreOrDraw(layers ? &layers->diagram : nullptr, base, p3, p4,
                      [&] { drawIndicatorDiagram(s, p3, p4); });
        // Every stored trend is drawn: after a selection with two trends shown starts over, they
        // stay on the chart until the next trend replaces them.
        for (int slot = 1; slot <= 2; ++slot)
            drawTrendOnDiagram(s, slot, p4);
        drawBreakInterval(s, p4);
    }
    const PiChartInputs& pi = s.Pi;
    const bool piDrawable = !axisFault(pi.PiAxisXMin, pi.PiAxisXMax, "X", QString()) &&
                            !axisFault(pi.PiAxisYBottom, pi.PiAxisYTop, "Y", QString());
    if (s.PiChartShown && piDrawable) {
        const ChartLayers::PiBase base{
            pi.WellType,
            {pi.PiAxisXMin, pi.PiAxisXMax, pi.PiAxisYTop, pi.PiAxisYBottom},
            {p7.size(), p8.size()},
            p8.zoom()};
        restoreOrDraw(layers ? &layers->pi : nullptr, base, p7, p8,
                      [&] { drawPiChartAxes(pi, p7, p8); });
        drawPiChartCurves(pi, p8);
    }
}

} // namespace id
