#pragma once

// The checks a read analysis passes before it opens: that what the file says it computed is what
// its own data give, and that its shown charts can be drawn.

#include "state/AnalysisState.h"

#include <QString>
#include <optional>

namespace id::analysisfile {

// Gives a polynomial trend of a first-version file the points it was made from, when they are
// determined.
void rebuildFirstVersionPoints(TrendRecord& t, const AnalysisState& s);

// Why what the file says it computed is not what its own data give, if so; the trends that pass
// get the statistics of their fits.
std::optional<QString> disagreement(AnalysisState& s, bool pointsKept);

// Why a shown chart could not be drawn, if so.
std::optional<QString> undrawableAxis(const AnalysisState& s);

} // namespace id::analysisfile
