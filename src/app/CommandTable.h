#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

#include <QString>
#include <span>

namespace id {

// The menu items that are plain commands on the analysis, by id: the window binds its menu items
// to them, the batch runs them; no one looks a command up by its text.
enum class CommandId {
    BuildCharts,
    ProducingWell,
    InjectionWell,
    LinearTrend,
    QuadraticTrend,
    CubicTrend,
    VogelModel,
    CompositeModel,
    FetkovichModel,
    BreakTrends,
    SelectionMode,
    DeleteTrends,
    RestorePoints,
    TransmissibilityFromSkin,
    SkinFromTransmissibility,
    NoEstimate,
};

struct CommandEntry {
    CommandId id;
    const char* menuItem; // the objectName of the menu item that runs it
    const char* undoLabel;
    void (*run)(AnalysisState&, CommandContext&);
};

// Every command, once, in the order of the ids.
std::span<const CommandEntry> commandTable();
const CommandEntry& command(CommandId id);
void runCommand(CommandId id, AnalysisState& state, CommandContext& context);

} // namespace id
