#pragma once

#include "state/AnalysisState.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace id {

class SpreadsheetFitService;

// Pressure where two trends meet within the relative tolerance, scanning rates from 0 in fixed
// steps of 0.01 m3/day up to ten times the rate axis. Rates where the second trend gives 0 (or
// no finite value) are skipped. The answer is the scan's, found without walking the rates where
// the trends are far from meeting; past 2^47 m3/day, where adding 0.01 no longer moves the rate,
// the scan ends there instead of standing still.
std::optional<double> searchTrendMeeting(int kind1, const Coefficients& c1, int kind2,
                                         const Coefficients& c2, double rateAxisMax,
                                         double tolerance);

// Turning point of a cubic fit of rate against pressure, scanned down from the highest measured
// pressure in 100 steps. Empty when the fitted rate never drops below its running maximum, or
// rises again after it did.
std::optional<double> scanTurningPoint(const std::vector<double>& rateCoefficients, double pmax,
                                       double pmin);

// Injection well: sets AllowedBottomholePressure where the two stored trends meet, or says it
// was not found. The results are refreshed either way.
void FindAllowedPressureFromTrends(AnalysisState& state, QStringList& messages);

// Producing well: fits a cubic of rate against pressure (its own, kept nowhere) and sets
// AllowedBottomholePressure at its turning point, or says it was not found.
void FindAllowedPressureFromFit(AnalysisState& state, SpreadsheetFitService& fits,
                                QStringList& messages);

inline const QString AllowedPressureNotFound =
    QStringLiteral("Предельно-допустимое забойное давление не найдено");

} // namespace id
