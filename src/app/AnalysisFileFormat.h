#pragma once

// The pieces the analysis file's writing and reading share.

#include "state/AnalysisState.h"

#include <QString>

namespace id::analysisfile {

// Beyond these a file is not an analysis of one well.
constexpr qsizetype MostRows = 250'000;
constexpr qsizetype LongestText = 1000;
// The parsed document takes several times the file's size in memory.
constexpr qsizetype LargestFile = 64LL * 1024 * 1024;

inline QString estimationName(EstimationMode mode) {
    switch (mode) {
    case EstimationMode::TransmissibilityFromSkin:
        return QStringLiteral("transmissibilityFromSkin");
    case EstimationMode::SkinFromTransmissibility:
        return QStringLiteral("skinFromTransmissibility");
    case EstimationMode::None:
        break;
    }
    return QStringLiteral("none");
}

} // namespace id::analysisfile
