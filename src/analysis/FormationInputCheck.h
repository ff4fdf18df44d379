#pragma once

#include "analysis/ResultRows.h"
#include "state/AnalysisState.h"

#include <QString>

namespace id {

class MessagePort;

// Texts of the four formation-input boxes.
struct FormationTexts {
    QString Pnas;
    QString Skin;
    QString Rkontur;
    QString Rwell;
};

// Turns the box texts into state values. A missing, non-numeric or (where it must be positive)
// non-positive entry is replaced by its default and a message names the input; the texts are
// never changed, so the message returns at every check until the entry is corrected.
void CheckFormationInputs(AnalysisState& state, const FormationTexts& texts, EstimationMode mode,
                          MessagePort& messages);

} // namespace id
