#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace id {

// The commands of the main menu and of the allowed-pressure controls. Each takes the analysis
// and gives the next one; a fault they raise leaves the analysis as it was.

// "Построить график": reads the measurement table, rounds the axes and draws the diagram.
void BuildCharts(AnalysisState& state, CommandContext& context);
// "Добывающая" (1) or "Нагнетательная" (2)
// Ctrl+click on the diagram: the measured point nearest (rate; pressure), within the tolerances
// on each axis, is left out of the analysis, or brought back if it was out; the standing trends
// are fitted again. False when no point is near.
bool togglePointExclusion(AnalysisState& state, CommandContext& ctx, double rate, double pressure,
                          double rateTolerance, double pressureTolerance);
// "Вернуть исключённые точки": every point back in.
void restoreExcludedPoints(AnalysisState& state, CommandContext& ctx);

void SwitchWellType(AnalysisState& state, int wellType);
// "Линейная", "Полиномиальная 2-й степени", "Полиномиальная 3-й степени": kind 2, 3, 4
void addTrendByAllPoints(AnalysisState& state, CommandContext& context, int kind);
// "Фогель", "Дарси + Фогель (с Pнас)", "Феткович": the model fitted to the fit set in the next
// slot, the second one taken again once both stand.
void addInflowModel(AnalysisState& state, CommandContext& context, int kind);
// Enter in the "Pпл для моделей" box: the standing models fitted again to their points.
void refitInflowModels(AnalysisState& state, CommandContext& context);
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

// The axes the range dialog sets: the diagram's rate and pressure axes, the PI chart's index axis.
enum class AxisChoice { DiagramRate, DiagramPressure, PiIndex };

// The axis's limits as the axis dialog shows them, the lower first (for a pressure axis whichever
// edge of the screen it is on).
std::pair<double, double> axisRange(const AnalysisState& state, AxisChoice axis);

// The dialog's OK: the axis from lo to hi (lo below hi, the lower pressure first), or with
// automatic set from the measurements, rounded up. The diagram is rebuilt as after any command;
// with two trends on it they are redrawn from their stored coefficients, never refitted. The PI
// chart keeps its index axis but for the PI dialog's change.
void setAxisRange(AnalysisState& state, CommandContext& context, AxisChoice axis, double lo,
                  double hi, bool automatic);

// A cell's text as a message quotes it: long texts are cut, so the message stays on the screen.
QString quotedCell(const QString& text);

// Caption of the main frame for a well type.
QString frameCaption(int wellType);

// The menu items that are plain commands on the analysis: the item's name, its command and the
// undo step's label.
struct MenuCommand {
    const char* item;
    std::function<void(AnalysisState&, CommandContext&)> command;
    const char* undoLabel;
};
const std::vector<MenuCommand>& menuCommands();

} // namespace id
