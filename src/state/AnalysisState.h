#pragma once

#include "state/BreakRecord.h"
#include "state/FitStatistics.h"
#include "state/Measurements.h"
#include "state/OneBasedArray.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace id {

enum WellTypeCode : std::int16_t { ProducingWell = 1, InjectionWell = 2 };

// Trend kinds. A polynomial's code equals the number of its coefficients; the inflow models
// follow, their coefficients being the model's parameters, Pпл last.
enum TrendKindCode : std::int16_t {
    NoTrend = 0,
    LinearTrend = 2,
    QuadraticTrend = 3,
    CubicTrend = 4,
    VogelModel = 5,
    CompositeModel = 6,
    FetkovichModel = 7
};

inline bool isPolynomialKind(int kind) {
    return kind >= LinearTrend && kind <= CubicTrend;
}
inline bool isInflowModelKind(int kind) {
    return kind >= VogelModel && kind <= FetkovichModel;
}
// How many coefficients a trend of the kind has (0 for none).
inline int coefficientCount(int kind) {
    return isPolynomialKind(kind)    ? kind
           : kind == FetkovichModel  ? 3
           : isInflowModelKind(kind) ? 2
                                     : 0;
}

struct InflowFit;
// What an inflow model's fit says of itself, kept with it like a trend's statistics.
struct SharedInflowFit {
    std::shared_ptr<const InflowFit> value;

    const InflowFit* get() const { return value.get(); }
    bool operator==(const SharedInflowFit&) const { return true; }
};

// The estimation chosen in the "Оценка" submenu.
enum class EstimationMode { TransmissibilityFromSkin, SkinFromTransmissibility, None };

// Coefficients of one trend at indices 1..kind, highest power of the rate first, constant last.
using Coefficients = OneBasedArray<double>;

// One trend on the diagram: what was fitted, over which rates it is drawn, and what it gave.
struct TrendRecord {
    std::int16_t Kind = NoTrend;
    id::Coefficients Coefficients;
    double RateFrom = 0;
    double RateTo = 0;
    double RSquared = 0;
    // Productivity (injectivity) coefficient of a linear trend; 0 for the others.
    double Coefficient = 0;
    // The points it was fitted to, for its statistics.
    OneBasedArray<double> Rates;
    OneBasedArray<double> Pressures;
    SharedFitStatistics Statistics;
    // An inflow model's Pнас (the composite's break) and whether its Pпл was given, not fitted.
    double SaturationPressure = 0;
    bool ReservoirGiven = false;
    SharedInflowFit Model;
    // One of a break's two lines, fitted with the other: not the least squares of its own points.
    bool Joined = false;

    bool operator==(const TrendRecord&) const = default;
};

// One row of the measurement table as typed: rate, pressure and (database mode) date.
struct MeasurementRow {
    QString Rate;
    QString Pressure;
    QString Date;
    // Left out of the analysis by the engineer: drawn hollow, in no fit, search or statistics.
    bool Excluded = false;

    bool operator==(const MeasurementRow&) const = default;
};

// The formation inputs: the texts their boxes show and the values taken from them.
struct FormationInputs {
    QString Pnas;
    QString Skin;
    QString Rkontur;
    QString Rwell;
    // Pпл given for the inflow models; empty: fitted with them.
    QString ModelPres;
    double SaturationPressure = 2;
    double SkinFactor = 0;
    double Transmissibility = 10;
    double DrainageRadius = 300;
    double WellRadius = 0.1;

    bool operator==(const FormationInputs&) const = default;
};

struct ResultRow {
    QString caption;
    QString value;

    bool operator==(const ResultRow&) const = default;
};

// The PI chart as it stood when a selection with two trends started over: it stays on screen,
// whatever the axes become, until the next trend is drawn.
struct KeptPiChart {
    bool SelectionMode = false;
    double PiAxisXMin = 0;
    double PiAxisXMax = 0;
    double PiAxisYTop = 0;
    double PiAxisYBottom = 0;
    TrendRecord FirstTrend;
    TrendRecord SecondTrend;

    bool operator==(const KeptPiChart&) const = default;
};

// The whole analysis of one well: what the user entered and chose, what was built from it,
// and what the window shows of it. A value: commands take one and give the next.
struct AnalysisState {
    std::int16_t WellType = ProducingWell;

    // The measurement table's data rows (the empty entry row below them is not stored). Shared
    // between copies of the analysis until one of them changes it: a command's copy of a
    // hundred-thousand-row analysis costs nothing.
    QList<MeasurementRow> Table;
    FormationInputs Inputs;
    EstimationMode Estimation = EstimationMode::None;
    bool SelectionMode = false;
    // The two allowed-pressure boxes: manual pick and automatic search.
    bool ManualPick = false;
    bool AutoSearch = false;

    // Built by "Построить график"
    id::Measurements Measurements;
    // The measured points left out (rows marked Excluded), in the table's order.
    id::Measurements ExcludedPoints;
    OneBasedArray<double> FitRates;
    OneBasedArray<double> FitPressures;
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

    // Trends: TrendCount of them stand on the diagram, the first in FirstTrend.
    std::int16_t TrendCount = 0;
    TrendRecord FirstTrend;
    TrendRecord SecondTrend;
    // The break found by the data, whose lines stand in the two slots.
    std::optional<BreakRecord> Break;
    // The PI chart kept on screen while no trend is counted (a selection starting over).
    std::optional<KeptPiChart> PiChartKept;

    // Results; 0 means "not determined".
    double ProductivityIndex = 0;
    double SecondProductivityIndex = 0;
    double ReservoirPressure = 0;
    double AllowedBottomholePressure = 0;

    // Mouse selection on the diagram
    double SelectionX1 = 0;
    double SelectionY1 = 0;
    double SelectionX2 = 0;
    double SelectionY2 = 0;

    // What the window shows. Before the first result the results table shows empty.
    bool DiagramShown = false;
    bool PiChartShown = false;
    bool ResultsShown = true;
    bool AllowedPressureBoxesShown = false;
    // The 95 % confidence bands of the trends' mean lines on the diagram.
    bool ConfidenceBands = false;

    bool operator==(const AnalysisState&) const = default;

    int measurementCount() const { return Measurements.count(); }
    int fitPointCount() const { return FitRates.size(); }
    TrendRecord& trend(int slot) { return slot == 2 ? SecondTrend : FirstTrend; }
    const TrendRecord& trend(int slot) const { return slot == 2 ? SecondTrend : FirstTrend; }
};

// Relative gap below which two trends count as meeting in the automatic search.
constexpr double AllowedPressureTolerance = 0.01;

// Start values of the formation inputs, used when a box holds no valid value.
namespace FormationDefaults {
constexpr double SaturationPressure = 2;
constexpr double SkinFactor = 0;
constexpr double Transmissibility = 10;
constexpr double DrainageRadius = 300;
constexpr double WellRadius = 0.1;
} // namespace FormationDefaults

// Results reset: both coefficients and the reservoir pressure become 0.
void resetResults(AnalysisState& state);
// The PI chart as it stands now stays on screen while no trend is counted.
void keepPiChart(AnalysisState& state);

// Trend reset: no trend in either slot.
void ResetTrends(AnalysisState& state);
// Whether the allowed pressure is the standing break's.
bool allowedPressureFromBreak(const std::optional<BreakRecord>& brk, double allowedPressure);
inline bool allowedPressureFromBreak(const AnalysisState& state) {
    return allowedPressureFromBreak(state.Break, state.AllowedBottomholePressure);
}
// The break goes, and the allowed pressure it gave with it.
void dropBreak(AnalysisState& state);
// Axis reset: the four limits of the indicator diagram become 0.
void resetAxes(AnalysisState& state);

// Makes the fit set all measurements, in order.
void fitAllMeasurements(AnalysisState& state);

} // namespace id
