#include "app/AxisCommands.h"

#include "charts/PiChartMath.h"
#include "diagram/AxisRounding.h"
#include "diagram/RedrawPipeline.h"
#include "diagram/TickRule.h"

#include <algorithm>

namespace id {

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

} // namespace id
