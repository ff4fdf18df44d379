#include "diagram/PointSelection.h"

#include "analysis/EstimationModes.h"
#include "diagram/RedrawPipeline.h"

#include <algorithm>
#include <cmath>

namespace id {

void pressSelection(SelectionDrag& drag, bool selectionMode, int button, int shift, double x,
                    double y) {
    if (button != LeftMouseButton || !selectionMode)
        return;
    drag.armed = true;
    drag.x = x;
    drag.y = y;
    // Both bands start at the press, whichever the first move shows.
    drag.bands = {};
    drag.bands.left = x;
    drag.bands.top = y;
    drag.bands.x1 = x;
    drag.bands.y1 = y;
    (void)shift;
}

void moveSelection(SelectionDrag& drag, bool selectionMode, int wellType, int buttons, int shift,
                   double x, double y) {
    if (!(buttons & LeftMouseButton) || !selectionMode || !drag.armed)
        return;
    RubberBands& b = drag.bands;
    if (shift == ShiftAlone) {
        b.lineShown = true;
        b.x1 = drag.x;
        b.y1 = drag.y;
        b.x2 = x;
        b.y2 = y;
        return;
    }
    b.rectangleShown = true;
    b.width = std::abs(drag.x - x);
    b.height = std::abs(drag.y - y);
    if (drag.x > x)
        b.left = drag.x - b.width;
    else if (drag.x < x)
        b.left = drag.x;
    // The top edge on screen is the larger pressure for a producing well, the smaller one for
    // an injection well, whose pressure axis grows downwards.
    if (wellType == InjectionWell) {
        if (drag.y > y)
            b.top = drag.y - b.height;
        else if (drag.y < y)
            b.top = drag.y;
    } else {
        if (drag.y > y)
            b.top = drag.y;
        else if (drag.y < y)
            b.top = drag.y + b.height;
    }
}

SelectionPopup releaseSelection(AnalysisState& s, SelectionDrag& drag, double x, double y) {
    if (!drag.armed)
        return SelectionPopup::None;
    drag.armed = false;
    const RubberBands& b = drag.bands;
    if (b.rectangleShown && b.lineShown)
        return SelectionPopup::None;
    if (s.TrendCount == 2) {
        keepPiChart(s);
        s.TrendCount = 0;
        // The selection starts over: a break and the pressure it gave go.
        dropBreak(s);
    }
    s.SelectionX1 = drag.x;
    s.SelectionY1 = drag.y;
    if (b.lineShown) {
        s.SelectionX2 = x;
        s.SelectionY2 = y;
        s.FitRates = {s.SelectionX1, s.SelectionX2};
        s.FitPressures = {s.SelectionY1, s.SelectionY2};
        s.FitRateFrom = std::min(s.SelectionX1, s.SelectionX2);
        s.FitRateTo = std::max(s.SelectionX1, s.SelectionX2);
        if (s.TrendCount == 0)
            s.FitRateFrom = 0;
        return SelectionPopup::Line;
    }
    if (!b.rectangleShown)
        return SelectionPopup::None;
    if (s.SelectionX1 == x || s.SelectionY1 == y)
        return SelectionPopup::None;
    s.SelectionX2 = std::max(s.SelectionX1, x);
    s.SelectionX1 = std::min(s.SelectionX1, x);
    s.SelectionY2 = std::max(s.SelectionY1, y);
    s.SelectionY1 = std::min(s.SelectionY1, y);
    s.FitRateTo = 0;
    s.FitRates.clear();
    s.FitPressures.clear();
    for (int i = 1; i <= s.measurementCount(); ++i) {
        const double rate = s.Measurements.rate(i);
        const double pressure = s.Measurements.pressure(i);
        if (rate < s.SelectionX1 || rate > s.SelectionX2 || pressure < s.SelectionY1 ||
            pressure > s.SelectionY2)
            continue;
        s.FitRates.append(rate);
        s.FitPressures.append(pressure);
        s.FitRateFrom = s.fitPointCount() == 1 ? rate : std::min(s.FitRateFrom, rate);
        s.FitRateTo = std::max(s.FitRateTo, rate);
    }
    if (s.fitPointCount() == 0)
        return SelectionPopup::None;
    if (s.TrendCount == 0)
        s.FitRateFrom = 0;
    return SelectionPopup::Rectangle;
}

void addTrendByPickedPoints(AnalysisState& s, CommandContext& ctx, int kind) {
    s.TrendCount = static_cast<std::int16_t>(s.TrendCount + 1);
    if (kind != LinearTrend && s.TrendCount == 1)
        switchEstimationOffQuietly(s);
    if (s.TrendCount == 1) {
        // The new first trend replaces both shown before it, and so do its results: an
        // injection well's meeting pressure belonged to the pair.
        s.SecondTrend = {};
        s.SecondProductivityIndex = 0;
        if (s.WellType == InjectionWell)
            s.AllowedBottomholePressure = 0;
    }
    if (s.TrendCount <= 2)
        s.trend(s.TrendCount).Kind = static_cast<std::int16_t>(kind);
    RedrawIndicatorDiagram(s, ctx);
}

} // namespace id
