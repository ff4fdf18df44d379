#include "measurements/DiscardAnalysis.h"

namespace id {

void DiscardAnalysis(AnalysisState& s, DiscardVariant variant) {
    resetResults(s);
    s.AllowedBottomholePressure = 0;
    ResetTrends(s);
    s.DiagramShown = false;
    s.PiChartShown = false;
    // Both variants hide the results: with neither box ticked, unticking would leave stale
    // results next to an empty chart area.
    s.ResultsShown = false;
    s.AllowedPressureBoxesShown = false;
    if (variant == DiscardVariant::Insertion) {
        s.ManualPick = false;
        s.AutoSearch = false;
    }
}

} // namespace id
