#include "diagram/ChartInputs.h"

namespace id {

PiChartInputs::PiChartInputs(const AnalysisState& s)
    : WellType(s.WellType), SelectionMode(s.SelectionMode), PiAxisXMin(s.PiAxisXMin),
      PiAxisXMax(s.PiAxisXMax), PiAxisYTop(s.PiAxisYTop), PiAxisYBottom(s.PiAxisYBottom),
      FirstTrend(s.FirstTrend), SecondTrend(s.SecondTrend) {
    if (s.TrendCount == 0 && s.PiChartKept) {
        const KeptPiChart& k = *s.PiChartKept;
        SelectionMode = k.SelectionMode;
        PiAxisXMin = k.PiAxisXMin;
        PiAxisXMax = k.PiAxisXMax;
        PiAxisYTop = k.PiAxisYTop;
        PiAxisYBottom = k.PiAxisYBottom;
        FirstTrend = k.FirstTrend;
        SecondTrend = k.SecondTrend;
    }
}

ChartInputs::ChartInputs(const AnalysisState& s)
    : WellType(s.WellType), SelectionMode(s.SelectionMode), Measurements(s.Measurements),
      ExcludedPoints(s.ExcludedPoints), SaturationPressure(s.Inputs.SaturationPressure),
      IdAxisXMin(s.IdAxisXMin), IdAxisXMax(s.IdAxisXMax), IdAxisYTop(s.IdAxisYTop),
      IdAxisYBottom(s.IdAxisYBottom), TrendCount(s.TrendCount), FirstTrend(s.FirstTrend),
      SecondTrend(s.SecondTrend), Break(s.Break), DiagramShown(s.DiagramShown),
      ConfidenceBands(s.ConfidenceBands), PiChartShown(s.PiChartShown) {
    // A chart not shown is not drawn: what it would show does not count.
    if (PiChartShown)
        Pi = PiChartInputs(s);
}

} // namespace id
