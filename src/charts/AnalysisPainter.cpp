#include "charts/AnalysisPainter.h"

#include "charts/PiChartRenderer.h"
#include "diagram/IndicatorDiagramRenderer.h"
#include "diagram/TickRule.h"

namespace id {

void drawAnalysis(const ChartInputs& s, const ChartSurfaces& surfaces) {
    // Axes that cannot be drawn were refused by the command that set them; this is a guard.
    const bool diagramDrawable = !axisFault(s.IdAxisXMin, s.IdAxisXMax, "X", QString()) &&
                                 !axisFault(s.IdAxisYTop, s.IdAxisYBottom, "Y", QString());
    if (s.DiagramShown && diagramDrawable) {
        drawIndicatorDiagram(s, surfaces.picture3, surfaces.picture4);
        // Every stored trend is drawn: after a selection with two trends shown starts over, they
        // stay on the chart until the next trend replaces them.
        for (int slot = 1; slot <= 2; ++slot)
            drawTrendOnDiagram(s, slot, surfaces.picture4);
    }
    const PiChartInputs& pi = s.Pi;
    const bool piDrawable = !axisFault(pi.PiAxisXMin, pi.PiAxisXMax, "X", QString()) &&
                            !axisFault(pi.PiAxisYBottom, pi.PiAxisYTop, "Y", QString());
    if (s.PiChartShown && piDrawable)
        RedrawPiChart(pi, surfaces.picture7, surfaces.picture8);
}

} // namespace id
