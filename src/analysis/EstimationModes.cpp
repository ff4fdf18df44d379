#include "analysis/EstimationModes.h"

#include "analysis/FormationInputCheck.h"
#include "analysis/ResultRows.h"
#include "state/NumberText.h"

namespace id {

void selectEstimatingMode(AnalysisState& s, EstimationMode mode, QStringList& messages) {
    if (s.ProductivityIndex == 0 && s.TrendCount > 0)
        return;
    if (s.Estimation == mode)
        return;
    s.Estimation = mode;
    FormationInputs& f = s.Inputs;
    const bool skinHoldsTransmissibility = mode == EstimationMode::SkinFromTransmissibility;
    f.Skin = skinHoldsTransmissibility ? QStringLiteral("10") : QStringLiteral("0");
    const double skinBox = readNumber(f.Skin).value_or(0);
    if (skinHoldsTransmissibility)
        f.Transmissibility = skinBox;
    else
        f.SkinFactor = skinBox;
    f.Rkontur = QStringLiteral("300");
    f.DrainageRadius = readNumber(f.Rkontur).value_or(FormationDefaults::DrainageRadius);
    f.Rwell = formatGeneral(0.1);
    f.WellRadius = readNumber(f.Rwell).value_or(FormationDefaults::WellRadius);
    if (resultsTableShown(s)) {
        CheckEstimationInputs(s, messages);
        UpdateResultsTable(s);
    }
}

void withoutEstimate(AnalysisState& s) {
    if (s.Estimation == EstimationMode::None)
        return;
    s.Estimation = EstimationMode::None;
    if (resultsTableShown(s))
        UpdateResultsTable(s);
}

void switchEstimationOffQuietly(AnalysisState& s) {
    s.Estimation = EstimationMode::None;
}

void formationInputLeft(AnalysisState& s, QStringList& messages) {
    if (!resultsTableShown(s))
        return;
    CheckEstimationInputs(s, messages);
    UpdateResultsTable(s);
}

} // namespace id
