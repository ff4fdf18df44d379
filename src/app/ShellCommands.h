#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

#include <QString>

namespace id {

// The commands of the main menu and of the allowed-pressure controls. Each takes the analysis
// and gives the next one; a fault they raise leaves the analysis as it was.

// "Построить график": reads the measurement table, rounds the axes and draws the diagram.
void BuildCharts(AnalysisState& state, CommandContext& context);
// "Добывающая" (1) or "Нагнетательная" (2)
void SwitchWellType(AnalysisState& state, int wellType);
// "Линейная", "Полиномиальная 2-й степени", "Полиномиальная 3-й степени": kind 2, 3, 4
void addTrendByAllPoints(AnalysisState& state, CommandContext& context, int kind);
// "Линии тренда по выбранным точкам"
void toggleSelectionMode(AnalysisState& state, CommandContext& context);
// "Удалить линию тренда"
void deleteTrends(AnalysisState& state, CommandContext& context);
// A click that ticks or unticks box 1 ("Ручной выбор…") or box 2 ("Автопоиск…").
void tickAllowedPressureBox(AnalysisState& state, CommandContext& context, int box, bool ticked);
// A mouse press on the plot: with the right button and Shift alone, while manual choice is on,
// the pressure under the pointer becomes the allowed pressure.
void pickAllowedPressure(AnalysisState& state, int button, int shift, double pressure);
// Any change of the saturation-pressure text discards the analysis.
void saturationPressureEdited(AnalysisState& state, const QString& text);

// A cell's text as a message quotes it: long texts are cut, so the message stays on the screen.
QString quotedCell(const QString& text);

// Caption of the main frame for a well type.
QString frameCaption(int wellType);

} // namespace id
