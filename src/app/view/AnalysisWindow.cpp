#include "app/view/AnalysisWindow.h"

#include "analysis/EstimationModes.h"
#include "app/AllowedPressureCommands.h"
#include "app/AxisCommands.h"
#include "app/CommandTable.h"
#include "app/DataCommands.h"
#include "app/MenuRules.h"
#include "app/ModelCommands.h"
#include "app/view/WorkWindow.h"
#include "charts/view/ChartUtilities.h"
#include "diagram/BreakTrends.h"
#include "document/RecentFiles.h"
#include "measurements/ClipboardTable.h"
#include "platform/MessagePort.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"
#include "platform/view/RubberBand.h"
#include "state/NumberText.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>

namespace id {

namespace {
// Files that spreadsheets and loggers write as text.
const QStringList DroppedTextSuffixes{QStringLiteral("txt"), QStringLiteral("csv"),
                                      QStringLiteral("tsv"), QStringLiteral("prn"),
                                      QStringLiteral("dat")};
} // namespace

AnalysisWindow::AnalysisWindow(QMainWindow& frame, WorkWindow& form, const MenuTree& menus,
                               const StartOptions& options, MessagePort& messages,
                               ClipboardPort& clipboard, FilePort& files,
                               SpreadsheetFitService& fits, QObject* parent)
    : QObject(parent), frame_(frame), form_(form), menus_(menus), messages_(messages),
      clipboard_(clipboard), document_(fits, options), presenter_(frame, form, menus, options) {
    files_ = new FileActions(
        document_, messages, files, [this] { return typedInputs(); },
        [this] { return chartSizes(); }, this);
    connect(files_, &FileActions::replaced, this, &AnalysisWindow::showReplacedAnalysis);
    connect(files_, &FileActions::saved, this, &AnalysisWindow::present);
    database_ = new DatabaseActions(document_, messages, *menus.mEditSave, this);
    bindMenus();
    bindControls();
    present();
}

void AnalysisWindow::showZoomed() {
    present();
    // A selection under way keeps its place on the chart.
    showRubberBands();
}

void AnalysisWindow::present() {
    presenter_.present(document_);
}

AnalysisWindow::~AnalysisWindow() {
    delete axisDialog_;
    // The controls outlive this object only during the frame's destruction; they must not
    // reach it then.
    for (QLineEdit* box : {form_.Pnas, form_.Skin, form_.Rkontur, form_.Rwell, form_.ModelPres}) {
        box->removeEventFilter(this);
        box->disconnect(this);
    }
    for (QObject* o : std::initializer_list<QObject*>{form_.MSFlexGrid1, form_.Check1, form_.Check2,
                                                      form_.Picture4})
        o->disconnect(this);
}

TypedInputs AnalysisWindow::typedInputs() const {
    return {form_.Pnas->text(), form_.Skin->text(), form_.Rkontur->text(), form_.Rwell->text(),
            form_.ModelPres->text()};
}

bool AnalysisWindow::run(const Command& command, const QString& undoLabel,
                         const QString& editGroup) {
    // Text typed into a box since the last command belongs to this step.
    const AnalysisDocument::Outcome outcome =
        document_.run(command, undoLabel, typedInputs(), editGroup);
    present();
    for (const QString& message : outcome.messages)
        messages_.showMessage(message);
    return outcome.done;
}

void AnalysisWindow::bindMenus() {
    for (const CommandEntry& c : commandTable()) {
        auto* item = frame_.findChild<QAction*>(QString::fromLatin1(c.menuItem));
        Q_ASSERT_X(item, "bindMenus", c.menuItem); // a command of no menu item is a typing error
        if (item)
            connect(item, &QAction::triggered, this,
                    [this, &c] { run(c.run, QString::fromUtf8(c.undoLabel)); });
    }
    bindEditItems();
    bindChartItems();
    bindFileItems();
}

void AnalysisWindow::bindEditItems() {
    const MenuTree& m = menus_;
    connect(m.mEditPastRow, &QAction::triggered, this, [this] {
        runTableEdit([](AnalysisState s, TableCursor c) { return insertRow(std::move(s), c); },
                     QStringLiteral("вставка строки"));
    });
    connect(m.mEditPaste, &QAction::triggered, this, &AnalysisWindow::pasteFromClipboard);
    connect(m.mEditCopyIDData, &QAction::triggered, this, &AnalysisWindow::copyFitSet);
    // The chart copies compose frame and plot area on the hidden Picture6.
    // A zoomed window copies its charts at their unzoomed size all the same, drawn afresh.
    connect(m.mEditCopyIDGraf, &QAction::triggered, this, [this] {
        if (form_.zoom() != 1.0) {
            clipboard_.setImage(chartImage(state(), ExportedChart::Diagram, chartSizes()));
            return;
        }
        composeChartCopy(*form_.Picture6, *form_.Picture3, *form_.Picture4,
                         state().WellType == InjectionWell);
        clipboard_.setImage(form_.Picture6->image());
    });
    connect(m.mEditCopyPIGraf, &QAction::triggered, this, [this] {
        if (form_.zoom() != 1.0) {
            clipboard_.setImage(chartImage(state(), ExportedChart::PiChart, chartSizes()));
            return;
        }
        composeChartCopy(*form_.Picture6, *form_.Picture7, *form_.Picture8, false);
        clipboard_.setImage(form_.Picture6->image());
    });
    connect(m.mEditUndo, &QAction::triggered, this, &AnalysisWindow::undo);
    connect(m.mEditRedo, &QAction::triggered, this, &AnalysisWindow::redo);
}

void AnalysisWindow::bindChartItems() {
    const MenuTree& m = menus_;
    connect(m.mIdFormatX, &QAction::triggered, this,
            [this] { openAxisDialog(AxisChoice::DiagramRate); });
    connect(m.mIdFormatY, &QAction::triggered, this,
            [this] { openAxisDialog(AxisChoice::DiagramPressure); });
    connect(m.mIdFormatYPIQ, &QAction::triggered, this,
            [this] { openAxisDialog(AxisChoice::PiIndex); });
    connect(m.mIdStat, &QAction::triggered, this, &AnalysisWindow::showStatistics);
    connect(m.mIdConfBands, &QAction::triggered, this, [this] {
        run([](AnalysisState& s, CommandContext&) { s.ConfidenceBands = !s.ConfidenceBands; },
            QStringLiteral("доверительные интервалы"));
    });
    connect(m.mIdd, &QMenu::aboutToShow, this, &AnalysisWindow::openDiagramMenu);
    connect(m.mTrend, &QMenu::aboutToShow, this, &AnalysisWindow::openTrendMenu);
}

void AnalysisWindow::bindFileItems() {
    const MenuTree& m = menus_;
    connect(m.mEditSave, &QAction::triggered, database_, &DatabaseActions::SaveResults);
    connect(m.mFileNew, &QAction::triggered, files_, [this] { files_->newAnalysis(); });
    connect(m.mFileOpen, &QAction::triggered, files_, [this] { files_->openAnalysis(); });
    connect(m.mFileSave, &QAction::triggered, files_, [this] { files_->saveAnalysis(); });
    connect(m.mFileSaveAs, &QAction::triggered, files_, [this] { files_->saveAnalysisAs(); });
    connect(m.mFileExportDiagram, &QAction::triggered, this,
            [this] { files_->exportChartFile(ExportedChart::Diagram); });
    connect(m.mFileExportPiChart, &QAction::triggered, this,
            [this] { files_->exportChartFile(ExportedChart::PiChart); });
    connect(m.mFileExportCsv, &QAction::triggered, files_, &FileActions::exportCsvFile);
    connect(m.mFileExportPdf, &QAction::triggered, files_, &FileActions::exportReportFile);
    connect(m.mEdit, &QMenu::aboutToShow, this, &AnalysisWindow::openDataMenu);
}

void AnalysisWindow::bindControls() {
    FlexGrid* grid = form_.MSFlexGrid1;
    connect(grid, &FlexGrid::keyPressed, this, &AnalysisWindow::onTableKey);
    connect(grid, &FlexGrid::focusLost, this, [this, grid] {
        menus_.mEditPastRow->setEnabled(false);
        menus_.mEditPaste->setEnabled(false);
        grid->setRow(0);
    });
    const auto dataRowChosen = [this, grid] {
        if (grid->Row() > 0)
            menus_.mEditPastRow->setEnabled(true);
    };
    connect(grid, &FlexGrid::cellSelectionChanged, this, dataRowChosen);
    // Leaving a cell ends its typing as one undo step.
    connect(grid, &FlexGrid::cellSelectionChanged, this, [this] { document_.closeEditGroup(); });
    // Clicking back into the cell that was current before the table lost focus changes no
    // selection, but it does return to a data row.
    connect(grid, &QAbstractItemView::pressed, this, dataRowChosen);
    bindReadouts();
    bindBoxes();
    connect(form_.Picture4, &PictureSurface::mousePressed, this, &AnalysisWindow::onPlotPressed);
    connect(form_.Picture4, &PictureSurface::mouseMoved, this, &AnalysisWindow::onPlotMoved);
    connect(form_.Picture4, &PictureSurface::mouseReleased, this, &AnalysisWindow::onPlotReleased);
    popupChooser_ = [](QMenu& menu) { return menu.exec(QCursor::pos()); };
}

void AnalysisWindow::bindReadouts() {
    const auto hideReadouts = [this] {
        form_.Picture5->hide();
        form_.Picture9->hide();
    };
    connect(form_.MSFlexGrid1, &FlexGrid::pointerMoved, this, hideReadouts);
    connect(&form_, &WorkWindow::pointerMovedOutsidePlots, this, hideReadouts);
    connect(form_.Picture8, &PictureSurface::mouseMoved, this,
            [this](int, int, double x, double y) {
                form_.Picture5->hide();
                showReadout(*form_.Picture9, readoutText(x, y, PiReadoutUnit));
            });
}

void AnalysisWindow::bindBoxes() {
    for (QLineEdit* box : {form_.Pnas, form_.Skin, form_.Rkontur, form_.Rwell, form_.ModelPres})
        box->installEventFilter(this);
    connect(form_.Pnas, &QLineEdit::textChanged, this, [this](const QString& text) {
        run([text](AnalysisState& s, CommandContext&) { saturationPressureEdited(s, text); },
            QStringLiteral("давление насыщения"), QStringLiteral("Pnas"));
    });
    for (const auto& [box, number] : {std::pair{form_.Check1, 1}, {form_.Check2, 2}})
        connect(box, &QCheckBox::toggled, this, [this, number](bool ticked) {
            run(
                [number, ticked](AnalysisState& s, CommandContext& c) {
                    tickAllowedPressureBox(s, c, number, ticked);
                },
                QStringLiteral("способ определения Pз"));
        });
}

void AnalysisWindow::pasteFromClipboard() {
    pasteText(clipboard_.text());
}

bool AnalysisWindow::acceptsDroppedFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QStringLiteral("ida") || DroppedTextSuffixes.contains(suffix);
}

void AnalysisWindow::dropFile(const QString& path, QPoint globalPosition) {
    if (QFileInfo(path).suffix().toLower() == QStringLiteral("ida")) {
        files_->openAnalysis(path);
        return;
    }
    const std::optional<QString> text = files_->readTextFile(path);
    if (!text)
        return;
    // From the row it was dropped on, else from the current row, else after the last one.
    FlexGrid* grid = form_.MSFlexGrid1;
    int row = grid->rowAt(grid->viewport()->mapFromGlobal(globalPosition).y());
    if (!grid->viewport()->rect().contains(grid->viewport()->mapFromGlobal(globalPosition)) ||
        row < 1)
        row = grid->Row() >= 1 ? grid->Row() : grid->Rows() - 1;
    grid->setCurrentCellAt(row, 1);
    pasteText(*text);
}

void AnalysisWindow::pasteText(const QString& text) {
    QStringList messages;
    runTableEdit([&](AnalysisState s,
                     TableCursor c) { return pasteMeasurements(std::move(s), c, text, messages); },
                 QStringLiteral("вставка"));
    for (const QString& message : messages)
        messages_.showMessage(message);
}

void AnalysisWindow::copyFitSet() {
    clipboard_.setText(fitSetText(state().FitRates.values(), state().FitPressures.values()));
}

bool AnalysisWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* box = qobject_cast<QLineEdit*>(watched);
        // The decimal separator is the comma; a typed full stop becomes one.
        if (box && key->text() == QStringLiteral(".")) {
            box->insert(QStringLiteral(","));
            return true;
        }
        // Enter applies a formation box as leaving it does.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (watched == form_.Skin || watched == form_.Rkontur || watched == form_.Rwell)) {
            run([](AnalysisState& s, CommandContext& c) { formationInputLeft(s, c.messages); },
                QStringLiteral("параметры пласта"));
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            watched == form_.ModelPres) {
            run([](AnalysisState& s, CommandContext& c) { refitInflowModels(s, c); },
                QStringLiteral("Pпл для моделей"));
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == form_.Pnas)
            document_.closeEditGroup();
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Hiding a focused box while the controls are brought in line moves the focus; the
        // user left no box then.
        if (!presenter_.presenting() && !focusStaysWithTheWindow(reason) &&
            (watched == form_.Skin || watched == form_.Rkontur || watched == form_.Rwell))
            run([](AnalysisState& s, CommandContext& c) { formationInputLeft(s, c.messages); },
                QStringLiteral("параметры пласта"));
    }
    return QObject::eventFilter(watched, event);
}

TableCursor AnalysisWindow::tableCursor() const {
    const FlexGrid* grid = form_.MSFlexGrid1;
    return {grid->Row(), grid->Col(), grid->RowSel(), grid->ColSel()};
}

void AnalysisWindow::runTableEdit(const std::function<TableEdit(AnalysisState, TableCursor)>& edit,
                                  const QString& undoLabel, const QString& editGroup) {
    const TableCursor before = tableCursor();
    TableCursor after = before;
    run(
        [&](AnalysisState& s, CommandContext&) {
            TableEdit result = edit(std::move(s), before);
            s = std::move(result.state);
            after = result.cursor;
        },
        undoLabel, editGroup);
    if (after != before)
        form_.MSFlexGrid1->setCurrentCellAt(after.Row, after.Col);
}

void AnalysisWindow::openAxisDialog(AxisChoice axis) {
    const auto [lo, hi] = axisRange(state(), axis);
    delete axisDialog_;
    axisDialog_ = new AxisRangeDialog(
        axis, lo, hi, frame_, messages_, [this, axis](double low, double high, bool automatic) {
            return run([=](AnalysisState& s,
                           CommandContext& c) { setAxisRange(s, c, axis, low, high, automatic); },
                       QStringLiteral("формат оси"));
        });
    axisDialog_->show();
}

void AnalysisWindow::showReplacedAnalysis() {
    delete axisDialog_;
    drag_ = {};
    present();
    showRubberBands();
}

void AnalysisWindow::showStatistics() {
    presenter_.showStatistics(state());
    connect(presenter_.statisticsWindow(), &StatisticsWindow::excludePoint, this,
            &AnalysisWindow::excludePoint, Qt::UniqueConnection);
}

void AnalysisWindow::excludePoint(double rate, double pressure) {
    // The point itself, to the last digit: its neighbours are not reached.
    const double rateReach = std::max(std::abs(rate), 1.0) * 1e-12;
    const double pressureReach = std::max(std::abs(pressure), 1.0) * 1e-12;
    run(
        [=](AnalysisState& s, CommandContext& c) {
            togglePointExclusion(s, c, rate, pressure, rateReach, pressureReach);
        },
        QStringLiteral("исключение точки"));
}

void AnalysisWindow::openWell(qint64 kwuId, std::int16_t wellType, const std::vector<double>& rates,
                              const std::vector<double>& pressures, bool recordPresent) {
    QList<MeasurementRow> table;
    for (std::size_t i = 0; i < rates.size() && i < pressures.size(); ++i)
        table.append({formatGeneral(rates[i]).replace(u'.', u','),
                      formatGeneral(pressures[i]).replace(u'.', u','),
                      {}});
    document_.options().WellType = wellType;
    document_.openWell(kwuId, wellType, table);
    database_->switchRecord(kwuId, recordPresent);
    showReplacedAnalysis();
}

void AnalysisWindow::undo() {
    if (document_.undo(typedInputs()))
        showReplacedAnalysis();
}

void AnalysisWindow::redo() {
    if (document_.redo(typedInputs()))
        showReplacedAnalysis();
}

ChartSizes AnalysisWindow::chartSizes() const {
    // Exported charts have the window's unzoomed sizes, whatever the zoom on screen.
    const WorkWindowLayout& l = form_.layout();
    return {l.Picture3.toPixels().size(), l.Picture4.toPixels().size(),
            l.Picture7.toPixels().size(), l.Picture8.toPixels().size()};
}

MenuFacts AnalysisWindow::menuFacts() const {
    return {!clipboard_.text().isEmpty(), form_.MSFlexGrid1->Row(),
            document_.options().DatabaseRecordLoaded, database_->busy()};
}

void AnalysisWindow::openDataMenu() {
    // A record that could not be checked at start (a locked file, a server restarting) is looked
    // for again, so that saving does not stay off until the program is restarted.
    if (document_.options().DatabaseMode && !document_.options().DatabaseRecordLoaded)
        database_->checkRecord(false);
    applyMenuState(menus_, dataMenuState(state(), menuFacts()));
    files_->fillRecentMenu(*menus_.mFileRecent);
}

void AnalysisWindow::openDiagramMenu() {
    applyMenuState(menus_, diagramMenuState(state()));
}

void AnalysisWindow::openTrendMenu() {
    applyMenuState(menus_, trendMenuState(state()));
}

} // namespace id
