#pragma once

#include "app/AppContext.h"
#include "app/MenuTree.h"
#include "app/StartOptions.h"
#include "state/AnalysisState.h"

#include <QMainWindow>
#include <memory>

namespace id {

class FormationInputs;
class MeasurementClipboard;
class MeasurementGridEditor;
class MenuOpeningRules;
class ShellCommands;
class AllowedPressureControls;
class MessagePort;
class SpreadsheetFitService;
class WorkWindow;

// The main frame: owns the menu bar, the analysis state and the work window.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // messages may be null: the frame then shows message boxes itself.
    explicit MainFrame(const StartOptions& options = {}, MessagePort* messages = nullptr,
                       QWidget* parent = nullptr);
    ~MainFrame() override;

    AnalysisState& state() { return state_; }
    const MenuTree& menus() const { return menus_; }
    WorkWindow& workWindow() { return *form1_; }
    MessagePort& messages() { return *messages_; }
    AppContext& context() { return *context_; }
    FormationInputs& formationInputs() { return *formationInputs_; }
    MeasurementGridEditor& gridEditor() { return *gridEditor_; }
    MeasurementClipboard& measurementClipboard() { return *clipboard_; }
    ShellCommands& commands() { return *commands_; }

private:
    void applyModeMenus();

    AnalysisState state_;
    MenuTree menus_;
    std::unique_ptr<MessagePort> ownMessages_;
    MessagePort* messages_ = nullptr;
    WorkWindow* form1_ = nullptr;
    std::unique_ptr<SpreadsheetFitService> fits_;
    std::unique_ptr<AppContext> context_;
    FormationInputs* formationInputs_ = nullptr;
    MeasurementGridEditor* gridEditor_ = nullptr;
    MeasurementClipboard* clipboard_ = nullptr;
    MenuOpeningRules* openingRules_ = nullptr;
    ShellCommands* commands_ = nullptr;
    AllowedPressureControls* allowedPressure_ = nullptr;
};

} // namespace id
