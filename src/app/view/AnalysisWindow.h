#pragma once

#include "analysis/view/StatisticsWindow.h"
#include "app/MenuRules.h"
#include "app/view/AnalysisPresenter.h"
#include "app/view/DatabaseActions.h"
#include "app/view/FileActions.h"
#include "app/view/MenuTree.h"
#include "charts/view/AxisRangeDialog.h"
#include "database/DatabaseWorker.h"
#include "diagram/PointSelection.h"
#include "document/AnalysisDocument.h"
#include "exports/view/ChartExport.h"
#include "measurements/TableEditing.h"
#include "state/AnalysisState.h"
#include "state/CommandContext.h"
#include "state/StartOptions.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <optional>

class QAction;
class QKeyEvent;
class QMainWindow;
class QMenu;

namespace id {

class ClipboardPort;
class FilePort;
class MessagePort;
class SpreadsheetFitService;
class WorkWindow;

// The one place where the window meets the analysis. It holds the analysis, binds every menu
// item and control to its command, and runs a command as: take the analysis, execute, keep the
// result (or, after a fault, the analysis as it was), draw the charts from it, bring every
// control in line with it, show the messages.
class AnalysisWindow : public QObject {
    Q_OBJECT
public:
    using Command = std::function<void(AnalysisState&, CommandContext&)>;

    AnalysisWindow(QMainWindow& frame, WorkWindow& form, const MenuTree& menus,
                   const StartOptions& options, MessagePort& messages, ClipboardPort& clipboard,
                   FilePort& files, SpreadsheetFitService& fits, QObject* parent = nullptr);
    ~AnalysisWindow() override;

    const AnalysisState& state() const { return document_.state(); }
    const AnalysisDocument& document() const { return document_; }
    // Runs a command on the analysis and shows the outcome; false when it raised a fault. A
    // change is an undo step under the label; a null label (NoUndo) makes none.
    bool run(const Command& command, const QString& undoLabel = QStringLiteral("изменение"),
             const QString& editGroup = {});
    static inline const QString NoUndo = AnalysisDocument::NoUndo;

    // Files and exports; the well database.
    FileActions& files() { return *files_; }
    DatabaseActions& database() { return *database_; }

    void undo();
    void redo();

    // A well's regimes from the database replace the analysis (the unsaved-changes question is
    // the caller's); saves go into its record from now on.
    void openWell(qint64 kwuId, std::int16_t wellType, const std::vector<double>& rates,
                  const std::vector<double>& pressures, bool recordPresent);

    // A file dropped on the window: an analysis file is opened (after the unsaved-changes
    // question), a text file pasted into the table as readings, from the row it fell on.
    static bool acceptsDroppedFile(const QString& path);
    void dropFile(const QString& path, QPoint globalPosition);

    // The work window was zoomed: the controls are laid out and the charts drawn at the new size.
    void showZoomed();

    // "Статистика": opens the window that follows the analysis.
    void showStatistics();
    StatisticsWindow* statisticsWindow() const { return presenter_.statisticsWindow(); }
    // A point of a trend left out of the analysis, as Ctrl+click on it does.
    void excludePoint(double rate, double pressure);

    // The open axis range dialog, if any.
    AxisRangeDialog* axisDialog() const { return axisDialog_; }

    // How a pop-up menu is offered: by default modally at the pointer; tests and automation
    // may choose an item themselves. Returns the chosen item, or none.
    using PopupChooser = std::function<QAction*(QMenu& menu)>;
    void setPopupChooser(PopupChooser chooser) { popupChooser_ = std::move(chooser); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindMenus();
    void bindEditItems();
    void bindChartItems();
    void bindFileItems();
    void bindControls();
    void bindReadouts();
    void bindBoxes();
    void onTableKey(QKeyEvent* event);
    void pasteFromClipboard();
    void pasteText(const QString& text);
    // "Копировать данные": the fit set as text.
    void copyFitSet();
    void onPlotPressed(int button, int shift, double x, double y);
    void onPlotMoved(int buttons, int shift, double x, double y);
    void onPlotReleased(int button, int shift, double x, double y);
    void showRubberBands();
    void runTableEdit(const std::function<TableEdit(AnalysisState, TableCursor)>& edit,
                      const QString& undoLabel, const QString& editGroup = {});
    TableCursor tableCursor() const;
    void present();
    void openDataMenu();
    MenuFacts menuFacts() const;
    void openDiagramMenu();
    void openTrendMenu();
    void openAxisDialog(AxisChoice axis);
    TypedInputs typedInputs() const;
    // The view after the analysis was replaced whole (undo, redo, a new or opened analysis).
    void showReplacedAnalysis();
    ChartSizes chartSizes() const;

    QMainWindow& frame_;
    WorkWindow& form_;
    const MenuTree& menus_;
    MessagePort& messages_;
    ClipboardPort& clipboard_;
    AnalysisDocument document_;
    AnalysisPresenter presenter_;
    FileActions* files_ = nullptr;
    DatabaseActions* database_ = nullptr;
    SelectionDrag drag_;
    QPointer<AxisRangeDialog> axisDialog_;
    PopupChooser popupChooser_;
};

} // namespace id
