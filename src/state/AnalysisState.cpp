#include "state/AnalysisState.h"

#include <algorithm>

namespace id {

void applyStartValues(AnalysisState& s) {
    s.AxisLineWidth = 1;
    s.CopyLineWidth = 2;
    s.PointLineWidth = 2;
    s.PointFillColor = 12;
    s.PointRadiusDivisor = 120;
    s.ControlFontSize = 11;
    s.TickLabelFontSize = 11;
    s.EquationFontSize = 11;
    s.SuperscriptFontSize = 6;
    s.TrendLineColor = 0;
    s.TrendLineWidth = 2;
    s.PiCurveLineWidth = 3;
    s.SaturationLineColor = 13;
    s.SaturationLineWidth = 2;
    s.SaturationLineDashes = 20;
    s.ReadoutFontSize = 10;
    s.PlotLeftMarginFraction = 0.12;
    s.PlotBottomMarginFraction = 0.12;
    s.RateTickIntervals = 3.0;
    s.PressureTickIntervals = 2.0;
    s.PiYTickIntervals = 2.0;
    s.XTickLengthDivisor = 35;
    s.YTickLengthDivisor = 55;
    s.CurveSegments = 500;
    s.AllowedPressureTolerance = 0.01;

    s.SaturationPressure = FormationDefaults::SaturationPressure;
    s.SkinFactor = FormationDefaults::SkinFactor;
    s.Transmissibility = FormationDefaults::Transmissibility;
    s.DrainageRadius = FormationDefaults::DrainageRadius;
    s.WellRadius = FormationDefaults::WellRadius;

    s.TrendCount = 0;
    s.ReplayingIdTrends = false;
    s.StopAfterTrendLabel = false;
    s.ReplayingPiTrends = false;
}

void resetResults(AnalysisState& s) {
    s.ProductivityIndex = 0;
    s.SecondProductivityIndex = 0;
    s.ReservoirPressure = 0;
}

void ResetTrends(AnalysisState& s) {
    s.TrendCount = 0;
    s.CurrentTrendKind = NoTrend;
    s.FirstTrendKind = NoTrend;
    s.SecondTrendKind = NoTrend;
    s.CurrentTrendCoefficients.clear();
    s.FirstTrendCoefficients.clear();
    s.SecondTrendCoefficients.clear();
    s.FirstTrendRSquared = 0;
    s.SecondTrendRSquared = 0;
}

void resetAxes(AnalysisState& s) {
    s.IdAxisXMin = 0;
    s.IdAxisXMax = 0;
    s.IdAxisYTop = 0;
    s.IdAxisYBottom = 0;
}

void fitAllMeasurements(AnalysisState& s) {
    s.FitPointCount = s.MeasurementCount;
    s.FitRates.resetTo(s.MeasurementCount);
    s.FitPressures.resetTo(s.MeasurementCount);
    for (int k = 1; k <= s.MeasurementCount; ++k) {
        s.FitRates[k] = s.Measurements.rate(k);
        s.FitPressures[k] = s.Measurements.pressure(k);
    }
}

} // namespace id
