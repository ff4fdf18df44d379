#include "app/CommandTable.h"

#include "analysis/EstimationModes.h"
#include "app/DataCommands.h"
#include "app/ModelCommands.h"
#include "app/TrendCommands.h"
#include "diagram/BreakTrends.h"

#include <array>

namespace id {

namespace {

using S = AnalysisState;
using C = CommandContext;

void estimate(S& s, C& c, EstimationMode mode) {
    selectEstimatingMode(s, mode, c.messages);
}

constexpr std::array<CommandEntry, 16> Commands{{
    {CommandId::BuildCharts, "mIdAdd", "построение графика", [](S& s, C& c) { BuildCharts(s, c); }},
    {CommandId::ProducingWell, "mEditWellDob", "тип скважины",
     [](S& s, C&) { SwitchWellType(s, ProducingWell); }},
    {CommandId::InjectionWell, "mEditWellNag", "тип скважины",
     [](S& s, C&) { SwitchWellType(s, InjectionWell); }},
    {CommandId::LinearTrend, "mTrendLine", "линия тренда",
     [](S& s, C& c) { addTrendByAllPoints(s, c, LinearTrend); }},
    {CommandId::QuadraticTrend, "mTrendPolinom2", "линия тренда",
     [](S& s, C& c) { addTrendByAllPoints(s, c, QuadraticTrend); }},
    {CommandId::CubicTrend, "mTrendPolinom3", "линия тренда",
     [](S& s, C& c) { addTrendByAllPoints(s, c, CubicTrend); }},
    {CommandId::VogelModel, "mModelVogel", "модель притока",
     [](S& s, C& c) { addInflowModel(s, c, VogelModel); }},
    {CommandId::CompositeModel, "mModelComposite", "модель притока",
     [](S& s, C& c) { addInflowModel(s, c, CompositeModel); }},
    {CommandId::FetkovichModel, "mModelFetkovich", "модель притока",
     [](S& s, C& c) { addInflowModel(s, c, FetkovichModel); }},
    {CommandId::BreakTrends, "mTrendBreak", "излом", [](S& s, C& c) { addBreakTrends(s, c); }},
    {CommandId::SelectionMode, "mTrendAddSelectPoint", "выбор точек",
     [](S& s, C& c) { toggleSelectionMode(s, c); }},
    {CommandId::DeleteTrends, "mTrendDelete", "удаление линии тренда",
     [](S& s, C& c) { deleteTrends(s, c); }},
    {CommandId::RestorePoints, "mTrendRestorePoints", "возврат исключённых точек",
     [](S& s, C& c) { restoreExcludedPoints(s, c); }},
    {CommandId::TransmissibilityFromSkin, "mIdSkinGidro", "оценка",
     [](S& s, C& c) { estimate(s, c, EstimationMode::TransmissibilityFromSkin); }},
    {CommandId::SkinFromTransmissibility, "mIdSkinSkin", "оценка",
     [](S& s, C& c) { estimate(s, c, EstimationMode::SkinFromTransmissibility); }},
    {CommandId::NoEstimate, "mIdSkinNot", "оценка", [](S& s, C&) { withoutEstimate(s); }},
}};

// A table out of step with its ids does not build.
constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < Commands.size(); ++i)
        if (static_cast<std::size_t>(Commands[i].id) != i)
            return false;
    return true;
}
static_assert(Commands.size() == static_cast<std::size_t>(CommandId::NoEstimate) + 1);
static_assert(inIdOrder(), "the command table lists every id once, in the order of the ids");

} // namespace

std::span<const CommandEntry> commandTable() {
    return Commands;
}

const CommandEntry& command(CommandId id) {
    return Commands[static_cast<std::size_t>(id)];
}

void runCommand(CommandId id, AnalysisState& state, CommandContext& context) {
    command(id).run(state, context);
}

} // namespace id
