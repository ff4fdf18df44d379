#pragma once

#include "state/AnalysisState.h"

namespace id {

// What the PI chart is drawn from: the live analysis's axes and trends, or, while no trend is
// counted, the chart kept from before the selection started over.
struct PiChartInputs {
    std::int16_t WellType = ProducingWell;
    bool SelectionMode = false;
    double PiAxisXMin = 0;
    double PiAxisXMax = 0;
    double PiAxisYTop = 0;
    double PiAxisYBottom = 0;
    TrendRecord FirstTrend;
    TrendRecord SecondTrend;

    PiChartInputs() = default;
    PiChartInputs(const AnalysisState& state); // NOLINT: an analysis is drawn as its inputs

    bool operator==(const PiChartInputs&) const = default;
    const TrendRecord& trend(int slot) const { return slot == 2 ? SecondTrend : FirstTrend; }
};

// Everything the two charts are drawn from, and nothing else: the renderers read only this, so
// two analyses with equal chart inputs show the same charts (a command that changes nothing here
// draws nothing), and every picture is a function of the analysis alone.
struct ChartInputs {
    std::int16_t WellType = ProducingWell;
    bool SelectionMode = false;
    id::Measurements Measurements;
    id::Measurements ExcludedPoints;
    double SaturationPressure = 0;
    double IdAxisXMin = 0;
    double IdAxisXMax = 0;
    double IdAxisYTop = 0;
    double IdAxisYBottom = 0;
    // The trends on the diagram; with none counted (a selection starting over) the slots still
    // hold the trends, which stay drawn until the next one replaces them.
    std::int16_t TrendCount = 0;
    TrendRecord FirstTrend;
    TrendRecord SecondTrend;
    std::optional<BreakRecord> Break;
    bool DiagramShown = false;
    bool ConfidenceBands = false;
    bool PiChartShown = false;
    PiChartInputs Pi;

    ChartInputs() = default;
    ChartInputs(const AnalysisState& state); // NOLINT: an analysis is drawn as its inputs

    bool operator==(const ChartInputs&) const = default;
    int measurementCount() const { return Measurements.count(); }
    const TrendRecord& trend(int slot) const { return slot == 2 ? SecondTrend : FirstTrend; }
};

} // namespace id
