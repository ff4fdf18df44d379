#include "state/AnalysisState.h"

#include <cmath>

namespace id {

void resetResults(AnalysisState& s) {
    s.ProductivityIndex = 0;
    s.SecondProductivityIndex = 0;
    s.ReservoirPressure = 0;
}

void keepPiChart(AnalysisState& s) {
    s.PiChartKept = KeptPiChart{s.SelectionMode, s.PiAxisXMin, s.PiAxisXMax, s.PiAxisYTop,
                                s.PiAxisYBottom, s.FirstTrend, s.SecondTrend};
}

void ResetTrends(AnalysisState& s) {
    s.PiChartKept.reset();
    s.TrendCount = 0;
    s.FirstTrend = {};
    s.SecondTrend = {};
    dropBreak(s);
}

bool allowedPressureFromBreak(const std::optional<BreakRecord>& brk, double allowed) {
    if (!brk || !(allowed > 0))
        return false;
    const double p = brk->Fit.breakPressure();
    // Found again on opening, the break may differ in the last digits.
    return std::abs(allowed - p) <= 1e-9 * std::abs(p);
}

void dropBreak(AnalysisState& s) {
    if (allowedPressureFromBreak(s))
        s.AllowedBottomholePressure = 0;
    s.Break.reset();
}

void resetAxes(AnalysisState& s) {
    s.IdAxisXMin = 0;
    s.IdAxisXMax = 0;
    s.IdAxisYTop = 0;
    s.IdAxisYBottom = 0;
}

void fitAllMeasurements(AnalysisState& s) {
    // The measured lists themselves, shared until either is changed.
    s.FitRates = s.Measurements.rates();
    s.FitPressures = s.Measurements.pressures();
}

} // namespace id
