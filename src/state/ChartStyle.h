#pragma once

namespace id {

// Line widths, colours (palette indices: 0 black, 12 light red, 13 light magenta), font sizes,
// margins and tick parameters of both charts. Fixed for the whole run.
struct ChartStyle {
    int AxisLineWidth = 1;
    int CopyLineWidth = 2;
    int PointLineWidth = 2;
    int PointFillColor = 12;
    double PointRadiusDivisor = 120;
    int ControlFontSize = 11;
    int TickLabelFontSize = 11;
    int EquationFontSize = 11;
    int SuperscriptFontSize = 6;
    int TrendLineColor = 0;
    int TrendLineWidth = 2;
    int PiCurveLineWidth = 3;
    int SaturationLineColor = 13;
    int SaturationLineWidth = 2;
    int SaturationLineDashes = 20;
    int ReadoutFontSize = 10;
    // Shares of a chart canvas left of and below its plot area.
    double PlotLeftMarginFraction = 0.12;
    double PlotBottomMarginFraction = 0.12;
    double RateTickIntervals = 3.0;
    double PressureTickIntervals = 2.0;
    double PiYTickIntervals = 2.0;
    double XTickLengthDivisor = 35;
    double YTickLengthDivisor = 55;
    int CurveSegments = 500;
};

inline constexpr ChartStyle Style{};

// The window's and the charts' font, on screen and in every export alike: metric-compatible with
// the classic one, so the captions fit the fixed geometry.
inline constexpr char InterfaceFontFamily[] = "Arial";

} // namespace id
