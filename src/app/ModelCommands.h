#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

namespace id {

// "Фогель", "Дарси + Фогель (с Pнас)", "Феткович": the model fitted to the fit set in the next
// slot, the second one taken again once both stand.
void addInflowModel(AnalysisState& state, CommandContext& context, int kind);
// Enter in the "Pпл для моделей" box: the standing models fitted again to their points.
void refitInflowModels(AnalysisState& state, CommandContext& context);

} // namespace id
