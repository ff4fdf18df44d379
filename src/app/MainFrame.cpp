#include "app/MainFrame.h"

#include "app/AnalysisWindow.h"
#include "app/HelpWindow.h"
#include "app/ShellCommands.h"
#include "app/WorkWindow.h"
#include "platform/ClipboardPort.h"
#include "platform/FilePort.h"
#include "platform/MessageBoxPort.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

namespace id {

MainFrame::MainFrame(const StartOptions& options, MessagePort* messages, ClipboardPort* clipboard,
                     FilePort* files, QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("MDIForm1"));
    if (!messages) {
        ownMessages_ = std::make_unique<MessageBoxPort>(this);
        messages = ownMessages_.get();
    }
    if (!files) {
        ownFiles_ = std::make_unique<FileDialogPort>(this);
        files = ownFiles_.get();
    }
    if (!clipboard) {
        ownClipboard_ = std::make_unique<SystemClipboard>();
        clipboard = ownClipboard_.get();
    }
    fits_ = std::make_unique<LeastSquaresFitService>();

    menus_ = buildMenuTree(menuBar(), this);
    setWindowTitle(QStringLiteral("Индикаторная диаграмма"));

    form1_ = new WorkWindow(this);
    setCentralWidget(form1_);
    form1_->layOut(options);
    applyModeMenus(options);
    setWindowTitle(frameCaption(options.WellType));

    analysis_ = new AnalysisWindow(*this, *form1_, menus_, options, *messages, *clipboard, *files,
                                   *fits_, this);
    connect(menus_.mHelpSpravka, &QAction::triggered, this, &MainFrame::showHelp);
}

void MainFrame::showHelp() {
    if (!help_)
        help_ = new HelpWindow(this);
    help_->showContents();
    help_->show();
    help_->raise();
    help_->activateWindow();
}

MainFrame::~MainFrame() {
    // The binding watches the work window's controls; it goes first, while they all exist.
    delete analysis_;
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // Unsaved changes are saved, dropped or keep the window open, as the user says.
    if (analysis_->confirmDiscard())
        event->accept();
    else
        event->ignore();
}

const AnalysisState& MainFrame::state() const {
    return analysis_->state();
}

void MainFrame::applyModeMenus(const StartOptions& options) {
    if (!options.DatabaseMode) {
        menus_.mEditSave->setVisible(false);
        if (options.WellTypeSelectable) {
            menus_.mEditWellDob->setChecked(options.WellType == ProducingWell);
            menus_.mEditWellNag->setChecked(options.WellType == InjectionWell);
        } else {
            menus_.mEditWell->menuAction()->setVisible(false);
        }
    } else {
        menus_.mEditSave->setVisible(true);
        menus_.mEditWell->menuAction()->setVisible(false);
    }
}

} // namespace id
