#pragma once

#include "state/AnalysisState.h"

#include <QStringList>

namespace id {

// "Оценка гидропроводности по скину" (TransmissibilityFromSkin) and "Оценка скина по
// гидропроводности" (SkinFromTransmissibility): the mode with its inputs at their defaults.
// Nothing happens when it is chosen already, or when a trend gave no productivity coefficient.
void selectEstimatingMode(AnalysisState& state, EstimationMode mode, QStringList& messages);

// "Без оценки скина и гидропроводности".
void withoutEstimate(AnalysisState& state);

// The polynomial trend commands switch estimation off without refreshing the results.
void switchEstimationOffQuietly(AnalysisState& state);

// Leaving the skin or a radius box: the estimate follows the new text while results are shown.
void formationInputLeft(AnalysisState& state, QStringList& messages);

} // namespace id
