#pragma once

namespace id {

struct AppContext;

enum class DiscardVariant {
    // After typed keys and formation-input edits.
    Key,
    // After row insertion and paste: also unticks the allowed-pressure boxes, which runs their
    // own unticking rule.
    Insertion
};

// The common step after every edit of the measurements: results, allowed pressure and trends
// are cleared, the charts, the results table and the allowed-pressure boxes hidden, the trend
// menu disabled.
void DiscardAnalysis(AppContext& context, DiscardVariant variant);

} // namespace id
