#pragma once

#include "state/AnalysisState.h"

namespace id {

enum class DiscardVariant {
    // After typed keys and formation-input edits.
    Key,
    // After row insertion and paste: also unticks the allowed-pressure boxes.
    Insertion
};

// The common step after every edit of the measurements: results, allowed pressure and trends
// are cleared; the charts, the results table and the allowed-pressure boxes are hidden (and so
// the trend menu is unavailable).
void DiscardAnalysis(AnalysisState& state, DiscardVariant variant);

} // namespace id
