#pragma once

#include "state/Measurements.h"
#include "state/OneBasedArray.h"

#include <QString>
#include <cstdint>

namespace id {

enum WellTypeCode : std::int16_t { ProducingWell = 1, InjectionWell = 2 };

// Trend kinds; the code equals the number of coefficients.
enum TrendKindCode : std::int16_t {
    NoTrend = 0,
    LinearTrend = 2,
    QuadraticTrend = 3,
    CubicTrend = 4
};

// Coefficients of one trend at indices 1..kind, highest power of the rate first, constant last.
using Coefficients = OneBasedArray<double>;

// Everything the program knows about the analysis of one well. One instance lives for the whole
// run; every command reads and writes it directly.
struct AnalysisState {
    // Mode
    std::int16_t WellType = ProducingWell;
    bool WellTypeSelectable = true;
    bool DatabaseMode = false;
    bool DatabaseRecordLoaded = false;

    // Measurements and the fit set
    id::Measurements Measurements;
    std::int32_t MeasurementCount = 0;
    OneBasedArray<double> FitRates;
    OneBasedArray<double> FitPressures;
    std::int32_t FitPointCount = 0;
    double FitRateFrom = 0;
    double FitRateTo = 0;

    // Axis limits; top and bottom are screen edges, not sizes.
    double IdAxisXMin = 0;
    double IdAxisXMax = 0;
    double IdAxisYTop = 0;
    double IdAxisYBottom = 0;
    double PiAxisXMin = 0;
    double PiAxisXMax = 0;
    double PiAxisYTop = 0;
    double PiAxisYBottom = 0;

    // Formation inputs
    double SaturationPressure = 0;
    double SkinFactor = 0;
    double Transmissibility = 0;
    double DrainageRadius = 0;
    double WellRadius = 0;

    // Results; 0 means "not determined".
    double ProductivityIndex = 0;
    double SecondProductivityIndex = 0;
    double ReservoirPressure = 0;
    double AllowedBottomholePressure = 0;
    double AllowedPressureTolerance = 0;

    // Trends
    std::int16_t TrendCount = 0;
    std::int16_t CurrentTrendKind = NoTrend;
    Coefficients CurrentTrendCoefficients;
    std::int16_t FirstTrendKind = NoTrend;
    Coefficients FirstTrendCoefficients;
    std::int16_t SecondTrendKind = NoTrend;
    Coefficients SecondTrendCoefficients;
    double FirstTrendRateFrom = 0;
    double FirstTrendRateTo = 0;
    double SecondTrendRateFrom = 0;
    double SecondTrendRateTo = 0;
    double TrendRSquared = 0;
    // Each stored trend keeps its own R², so a redrawn first trend is not labelled with the
    // second fit's value.
    double FirstTrendRSquared = 0;
    double SecondTrendRSquared = 0;

    // Mouse selection on the diagram
    double SelectionX1 = 0;
    double SelectionY1 = 0;
    double SelectionX2 = 0;
    double SelectionY2 = 0;

    // Redraw control: raised only around one call, false between commands.
    bool ReplayingIdTrends = false;
    bool StopAfterTrendLabel = false;
    bool ReplayingPiTrends = false;

    // Chart style and layout constants, set at start-up.
    int AxisLineWidth = 0;
    int CopyLineWidth = 0;
    int PointLineWidth = 0;
    int PointFillColor = 0;
    double PointRadiusDivisor = 0;
    int ControlFontSize = 0;
    int TickLabelFontSize = 0;
    int EquationFontSize = 0;
    int SuperscriptFontSize = 0;
    int TrendLineColor = 0;
    int TrendLineWidth = 0;
    int PiCurveLineWidth = 0;
    int SaturationLineColor = 0;
    int SaturationLineWidth = 0;
    int SaturationLineDashes = 0;
    int ReadoutFontSize = 0;
    double PlotLeftMarginFraction = 0;
    double PlotBottomMarginFraction = 0;
    double RateTickIntervals = 0;
    double PressureTickIntervals = 0;
    double PiYTickIntervals = 0;
    double XTickLengthDivisor = 0;
    double YTickLengthDivisor = 0;
    int CurveSegments = 0;

    // Inputs of the save command
    QString ConnectionText;
    QString ServerName;
    std::int32_t RecordId = 0;
};

// Start values of the formation inputs, used when a box holds no valid value.
namespace FormationDefaults {
constexpr double SaturationPressure = 2;
constexpr double SkinFactor = 0;
constexpr double Transmissibility = 10;
constexpr double DrainageRadius = 300;
constexpr double WellRadius = 0.1;
} // namespace FormationDefaults

// Sets the style and layout constants, the search tolerance, the formation defaults and clears
// the trend count and the redraw flags.
void applyStartValues(AnalysisState& state);

// Results reset: both coefficients and the reservoir pressure become 0.
void resetResults(AnalysisState& state);
// Trend reset: no trend in either slot, all coefficient arrays empty.
void ResetTrends(AnalysisState& state);
// Axis reset: the four limits of the indicator diagram become 0.
void resetAxes(AnalysisState& state);

// Makes the fit set all measurements, in order.
void fitAllMeasurements(AnalysisState& state);

} // namespace id
