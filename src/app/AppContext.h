#pragma once

namespace id {

class MessagePort;
class SpreadsheetFitService;
class WorkWindow;
struct AnalysisState;
struct MenuTree;

// What every command works on: the analysis state, the work window's controls, the menu, the
// message port and the fit service.
struct AppContext {
    AnalysisState& state;
    WorkWindow& form;
    const MenuTree& menus;
    MessagePort& messages;
    SpreadsheetFitService& fits;
};

} // namespace id
