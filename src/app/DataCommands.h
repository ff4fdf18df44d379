#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

#include <QString>

namespace id {

// The commands on the measurements: the build, the well type, points left out and brought back,
// the saturation pressure's text. Each takes the analysis and gives the next one; a fault they
// raise leaves the analysis as it was.

// "Построить график": reads the measurement table, rounds the axes and draws the diagram.
void BuildCharts(AnalysisState& state, CommandContext& context);
// "Добывающая" (1) or "Нагнетательная" (2)
void SwitchWellType(AnalysisState& state, int wellType);
// Ctrl+click on the diagram: the measured point nearest (rate; pressure), within the tolerances
// on each axis, is left out of the analysis, or brought back if it was out; the standing trends
// are fitted again. False when no point is near.
bool togglePointExclusion(AnalysisState& state, CommandContext& ctx, double rate, double pressure,
                          double rateTolerance, double pressureTolerance);
// "Вернуть исключённые точки": every point back in.
void restoreExcludedPoints(AnalysisState& state, CommandContext& ctx);
// Any change of the saturation-pressure text discards the analysis.
void saturationPressureEdited(AnalysisState& state, const QString& text);

// A cell's text as a message quotes it: long texts are cut, so the message stays on the screen.
QString quotedCell(const QString& text);

} // namespace id
