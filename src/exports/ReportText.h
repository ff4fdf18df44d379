#pragma once

#include "state/AnalysisState.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace id {

// The measurement table, the results and the trends as text for a Russian-locale spreadsheet:
// UTF-8 with a byte-order mark, ";" between fields, the decimal comma as typed.
QByteArray csvText(const AnalysisState& state, bool withDates);

// "y=-0,5000x+20,0000, R² = 0,991" for each trend standing on the diagram.
QStringList trendEquations(const AnalysisState& state);

// The models' parameters and a quadratic trend's A and B, each as caption, value, standard error
// and the 95 % interval's ends (empty for a figure of the fit: residual deviation, R², AICc).
std::vector<QStringList> parameterRows(const AnalysisState& state);

// The formation inputs in force, each as "caption: value" with the caption of its box; an empty
// box is left out.
QStringList reportInputs(const AnalysisState& state);

} // namespace id
