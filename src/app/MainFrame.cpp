#include "app/MainFrame.h"

#include "analysis/AllowedPressureControls.h"
#include "analysis/FormationInputs.h"
#include "app/MenuOpeningRules.h"
#include "app/ShellCommands.h"
#include "app/WorkWindow.h"
#include "measurements/MeasurementClipboard.h"
#include "measurements/MeasurementGridEditor.h"
#include "platform/MessageBoxPort.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace id {

MainFrame::MainFrame(const StartOptions& options, MessagePort* messages, QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("MDIForm1"));
    if (messages) {
        messages_ = messages;
    } else {
        ownMessages_ = std::make_unique<MessageBoxPort>(this);
        messages_ = ownMessages_.get();
    }

    state_.DatabaseMode = options.DatabaseMode;
    state_.WellTypeSelectable = options.WellTypeSelectable;
    state_.WellType = options.WellType;

    menus_ = buildMenuTree(menuBar(), this);
    setWindowTitle(QStringLiteral("Индикаторная диаграмма"));

    form1_ = new WorkWindow(state_, this);
    setCentralWidget(form1_);
    form1_->layOut();
    applyModeMenus();
    setWindowTitle(frameCaption(state_.WellType));

    fits_ = std::make_unique<LeastSquaresFitService>();
    context_ =
        std::make_unique<AppContext>(AppContext{state_, *form1_, menus_, *messages_, *fits_});
    formationInputs_ = new FormationInputs(*context_, this);
    gridEditor_ = new MeasurementGridEditor(*context_, this);
    clipboard_ = new MeasurementClipboard(*context_, this);
    openingRules_ = new MenuOpeningRules(*context_, this);
    commands_ = new ShellCommands(*context_, *formationInputs_, *this, this);
    allowedPressure_ = new AllowedPressureControls(*context_, this);
}

MainFrame::~MainFrame() {
    // The controllers watch the work window's controls and reach into them from their handlers;
    // they go first, while every control they know still exists. Otherwise the focus changes
    // of the controls' own destruction would reach handlers of half-destroyed objects.
    delete allowedPressure_;
    delete commands_;
    delete openingRules_;
    delete clipboard_;
    delete gridEditor_;
    delete formationInputs_;
}

void MainFrame::applyModeMenus() {
    if (!state_.DatabaseMode) {
        menus_.mEditSave->setVisible(false);
        if (state_.WellTypeSelectable) {
            menus_.mEditWellDob->setChecked(state_.WellType == ProducingWell);
            menus_.mEditWellNag->setChecked(state_.WellType == InjectionWell);
        } else {
            menus_.mEditWell->menuAction()->setVisible(false);
        }
    } else {
        menus_.mEditSave->setVisible(true);
        menus_.mEditWell->menuAction()->setVisible(false);
    }
}

} // namespace id
