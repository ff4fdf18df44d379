#pragma once

#include "state/AnalysisState.h"

#include <QString>
#include <vector>

namespace id {

// The estimation mode chosen in the "Оценка" submenu.
enum class EstimationMode { TransmissibilityFromSkin, SkinFromTransmissibility, None };

struct ResultRow {
    QString caption;
    QString value;
};

// The rows of the results table, in order, one per determined result. Computes the estimate of
// the chosen mode and stores it in the state (transmissibility or skin factor).
std::vector<ResultRow> computeResultRows(AnalysisState& state, EstimationMode mode);

} // namespace id
