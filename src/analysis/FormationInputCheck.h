#pragma once

#include "state/AnalysisState.h"

#include <QStringList>
#include <optional>

namespace id {

// Turns the formation boxes' texts into values. A missing, non-numeric or (where it must be
// positive) non-positive entry is replaced by its default and a message names the input; the
// texts are never changed, so the message returns at every check until the entry is corrected.
void CheckFormationInputs(AnalysisState& state, QStringList& messages);
// The estimate's boxes alone: leaving one of them, or choosing the estimate, has nothing to say
// about the saturation pressure.
void CheckEstimationInputs(AnalysisState& state, QStringList& messages);

// Pпл given for the inflow models: none while its box is empty (fitted with the model), nor for
// an entry that fails the same check, with the message.
std::optional<double> modelReservoirPressure(const FormationInputs& inputs, QStringList& messages);

// The boxes, for the callers that may not put a default in place of an entry (the batch's
// arguments): why the entry is refused under the same check, or nothing when it passes.
enum class FormationInput {
    SaturationPressure,
    SkinFactor,
    Transmissibility,
    DrainageRadius,
    WellRadius,
    ModelReservoirPressure
};
std::optional<QString> formationInputRefusal(FormationInput input, const QString& text);

} // namespace id
