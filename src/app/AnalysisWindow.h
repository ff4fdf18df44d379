#pragma once

#include "app/AnalysisDocument.h"
#include "app/AxisRangeDialog.h"
#include "app/ChartExport.h"
#include "app/DatabaseWorker.h"
#include "app/MenuRules.h"
#include "app/MenuTree.h"
#include "app/StatisticsWindow.h"
#include "diagram/PointSelection.h"
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
    bool run(const Command& command, const QString& undoLabel = QStringLiteral("изменение"));
    static inline const QString NoUndo = AnalysisDocument::NoUndo;

    // Analysis files. Each asks about unsaved changes first where it would lose them; false
    // when the user cancelled or the step failed (after saying why).
    bool newAnalysis();
    bool openAnalysis(const QString& path = {});
    bool saveAnalysis();
    bool saveAnalysisAs();
    // Whether the analysis may be dropped: unchanged, saved now, or the user says so.
    bool confirmDiscard();
    bool modified();
    const QString& filePath() const { return document_.filePath(); }

    void undo();
    void redo();

    // "Статистика": opens the window that follows the analysis.
    void showStatistics();
    StatisticsWindow* statisticsWindow() const { return statistics_; }

    // Exports, each to a file the user chooses, written whole or not at all.
    void exportChartFile(ExportedChart chart);
    void exportCsvFile();
    void exportReportFile();

    // Starts writing three results into the well database's record, in the background; how it
    // went is reported when it ends. The analysis does not change.
    void SaveResults();
    // Checks in the background whether the record is there; a failure is said only when asked.
    void checkRecord(bool sayFailure);
    // Whether a database step is running; waits for it to end (and be reported).
    bool databaseBusy() const;
    void waitForDatabase();

    // The open axis range dialog, if any.
    AxisRangeDialog* axisDialog() const { return axisDialog_; }

    // How a pop-up menu is offered: by default modally at the pointer; tests and automation
    // may choose an item themselves. Returns the chosen item, or none.
    using PopupChooser = std::function<QAction*(QMenu& menu)>;
    void setPopupChooser(PopupChooser chooser) { popupChooser_ = std::move(chooser); }

signals:
    // What the well database is doing now, empty when it is idle.
    void databaseActivity(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindMenus();
    void bindControls();
    void onPlotPressed(int button, int shift, double x, double y);
    void onPlotMoved(int buttons, int shift, double x, double y);
    void onPlotReleased(int button, int shift, double x, double y);
    void showRubberBands();
    void runTableEdit(const std::function<TableEdit(AnalysisState, TableCursor)>& edit,
                      const QString& undoLabel);
    TableCursor tableCursor() const;
    void present();
    void syncTable();
    void syncResults();
    void syncInputs();
    void openDataMenu();
    void updateSaveItem();
    MenuFacts menuFacts() const;
    void databaseStepEnded(DatabaseWorker::Job job, const DatabaseOutcome& outcome);
    void openDiagramMenu();
    void openTrendMenu();
    void openAxisDialog(AxisChoice axis);
    void takeInputTexts();
    TypedInputs typedInputs() const;
    // The view after the analysis was replaced whole (undo, redo, a new or opened analysis).
    void showReplacedAnalysis();
    ChartSizes chartSizes() const;
    bool writeFile(const QString& path);
    // Writes the bytes through the file port; on failure says why, under the heading given.
    bool writeWhole(const QString& path, const QByteArray& bytes, const QString& notSaved);

    QMainWindow& frame_;
    WorkWindow& form_;
    const MenuTree& menus_;
    MessagePort& messages_;
    ClipboardPort& clipboard_;
    FilePort& files_;
    AnalysisDocument document_;
    // The result rows the results table holds now, and the table as laid out at start.
    std::vector<ResultRow> shownResults_;
    struct {
        QRect geometry;
        std::vector<int> rowHeights;
        std::vector<int> columnWidths;
    } resultsLayout_;
    std::int16_t shownWellType_ = 0;
    // The analysis the charts were last drawn from: a command that changes nothing they show
    // draws nothing.
    std::optional<AnalysisState> drawn_;
    // Set while the controls are brought in line: their own signals and focus changes then are
    // not the user's.
    bool presenting_ = false;
    SelectionDrag drag_;
    QPointer<AxisRangeDialog> axisDialog_;
    QPointer<StatisticsWindow> statistics_;
    // The analysis the statistics window last showed.
    std::optional<AnalysisState> reported_;
    PopupChooser popupChooser_;
    // The well database in database mode; a failed check is said only when the user asked.
    DatabaseWorker* database_ = nullptr;
    bool sayCheckFailure_ = false;
};

} // namespace id
