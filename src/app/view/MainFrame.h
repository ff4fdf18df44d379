#pragma once

#include "app/view/MenuTree.h"
#include "state/AnalysisState.h"
#include "state/StartOptions.h"

#include <QMainWindow>
#include <memory>

class QLabel;

namespace id {

class AboutBox;
class AnalysisWindow;
class HelpWindow;
class ClipboardPort;
class FilePort;
class MessagePort;
class SpreadsheetFitService;
class WorkWindow;
class WellsActions;
class ZoomActions;

// The main frame: owns the menu bar, the work window and the analysis behind them.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The ports may be null: the frame then uses message boxes, the system clipboard and the
    // file dialogs itself.
    explicit MainFrame(const StartOptions& options = {}, MessagePort* messages = nullptr,
                       ClipboardPort* clipboard = nullptr, FilePort* files = nullptr,
                       QWidget* parent = nullptr);
    ~MainFrame() override;

    const AnalysisState& state() const;
    const MenuTree& menus() const { return menus_; }
    WorkWindow& workWindow() { return *form1_; }
    AnalysisWindow& analysis() { return *analysis_; }
    ZoomActions& zoom() { return *zoom_; }
    // The wells of the database: the list and the walk through it.
    WellsActions& wells() { return *wells_; }
    // The help window, opened on its contents; null until help was asked for.
    HelpWindow* help() const { return help_; }
    void showHelp();
    // "О программе"; null until it was asked for.
    AboutBox* about() const { return about_; }
    void showAbout();
    // Shows the frame as the user last left it (maximized the first time).
    void showWhereLeft();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showDatabaseActivity();
    void applyModeMenus(const StartOptions& options);

    MenuTree menus_;
    std::unique_ptr<MessagePort> ownMessages_;
    std::unique_ptr<ClipboardPort> ownClipboard_;
    std::unique_ptr<FilePort> ownFiles_;
    std::unique_ptr<SpreadsheetFitService> fits_;
    WorkWindow* form1_ = nullptr;
    AnalysisWindow* analysis_ = nullptr;
    HelpWindow* help_ = nullptr;
    AboutBox* about_ = nullptr;
    ZoomActions* zoom_ = nullptr;
    WellsActions* wells_ = nullptr;
    // Shown in the menu bar's corner while the well database works.
    QLabel* databaseBusy_ = nullptr;
    // The user closed the window during a save: it closes when the save has ended.
    bool closeWhenIdle_ = false;
};

} // namespace id
