#include "app/AnalysisWindow.h"

#include "analysis/EstimationModes.h"
#include "analysis/ResultRows.h"
#include "analysis/TrendStatistics.h"
#include "app/AnalysisFile.h"
#include "app/ChartExport.h"
#include "app/MenuRules.h"
#include "app/ReportText.h"
#include "app/ShellCommands.h"
#include "app/StatisticsWindow.h"
#include "app/WellDatabase.h"
#include "app/WorkWindow.h"
#include "charts/AnalysisPainter.h"
#include "charts/ChartUtilities.h"
#include "measurements/ClipboardTable.h"
#include "platform/ClipboardPort.h"
#include "platform/FilePort.h"
#include "platform/FlexGrid.h"
#include "platform/MessagePort.h"
#include "platform/PictureSurface.h"
#include "platform/RubberBand.h"
#include "platform/Twips.h"
#include "state/AnalysisFault.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <array>
#include <cstdio>
#include <tuple>

namespace id {

namespace {

constexpr double ResultRowHeightTwips = 350;
constexpr Qt::Alignment EditedCellAlignment = Qt::AlignHCenter | Qt::AlignTop;

// Room a cell's text needs besides its glyphs: the view's text margins and the grid line.
int cellFrame(const FlexGrid* grid) {
    return 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 2;
}

// The value column gets what its widest value needs (at least its share of the width); the
// caption column keeps the rest and wraps a caption that no longer fits on one line.
void fitResultColumns(FlexGrid* grid, const std::vector<ResultRow>& rows) {
    const QFontMetrics metrics(grid->font());
    const int tableWidth = grid->width() - 2 * grid->frameWidth();
    int valueWidth = twipsToPixels(pixelsToTwips(grid->width()) * 0.15);
    for (const ResultRow& row : rows)
        valueWidth = std::max(valueWidth, metrics.horizontalAdvance(row.value) + cellFrame(grid));
    valueWidth = std::min(valueWidth, tableWidth - 4 * cellFrame(grid));
    const int captionWidth = tableWidth - valueWidth;
    grid->setColumnWidth(0, captionWidth);
    grid->setColumnWidth(1, valueWidth);
    // A wrapped caption makes its row, and so the table, taller than the usual row height.
    int extra = 0;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QRect text =
            metrics.boundingRect(QRect(0, 0, captionWidth - cellFrame(grid), 10000),
                                 Qt::TextWordWrap, rows[static_cast<std::size_t>(r)].caption);
        const int needed = text.height() + 4;
        if (needed > grid->rowHeight(r)) {
            extra += needed - grid->rowHeight(r);
            grid->setRowHeight(r, needed);
        }
    }
    grid->resize(grid->width(), grid->height() + extra);
}

QString estimateCaption(EstimationMode mode) {
    return mode == EstimationMode::SkinFromTransmissibility
               ? QStringLiteral("Гидропроводность, Д*см/сПз")
               : QStringLiteral("Скин-эффект");
}

} // namespace

AnalysisWindow::AnalysisWindow(QMainWindow& frame, WorkWindow& form, const MenuTree& menus,
                               const StartOptions& options, MessagePort& messages,
                               ClipboardPort& clipboard, FilePort& files,
                               SpreadsheetFitService& fits, QObject* parent)
    : QObject(parent), frame_(frame), form_(form), menus_(menus), messages_(messages),
      clipboard_(clipboard), files_(files), document_(fits, options) {
    FlexGrid* results = form_.MSFlexGrid2;
    resultsLayout_.geometry = results->geometry();
    for (int r = 0; r < results->Rows(); ++r)
        resultsLayout_.rowHeights.push_back(results->rowHeight(r));
    for (int c = 0; c < results->Cols(); ++c)
        resultsLayout_.columnWidths.push_back(results->columnWidth(c));
    shownWellType_ = state().WellType;
    if (options.DatabaseMode) {
        database_ = new DatabaseWorker(options, this);
        connect(database_, &DatabaseWorker::finished, this, &AnalysisWindow::databaseStepEnded);
    }
    bindMenus();
    bindControls();
    present();
}

AnalysisWindow::~AnalysisWindow() {
    delete axisDialog_;
    // The controls outlive this object only during the frame's destruction; they must not
    // reach it then.
    for (QLineEdit* box : {form_.Pnas, form_.Skin, form_.Rkontur, form_.Rwell}) {
        box->removeEventFilter(this);
        box->disconnect(this);
    }
    for (QObject* o : std::initializer_list<QObject*>{form_.MSFlexGrid1, form_.Check1, form_.Check2,
                                                      form_.Picture4})
        o->disconnect(this);
}

TypedInputs AnalysisWindow::typedInputs() const {
    return {form_.Pnas->text(), form_.Skin->text(), form_.Rkontur->text(), form_.Rwell->text()};
}

void AnalysisWindow::takeInputTexts() {
    document_.takeTypedInputs(typedInputs());
}

bool AnalysisWindow::run(const Command& command, const QString& undoLabel) {
    // Text typed into a box since the last command belongs to this step.
    const AnalysisDocument::Outcome outcome = document_.run(command, undoLabel, typedInputs());
    present();
    for (const QString& message : outcome.messages)
        messages_.showMessage(message);
    return outcome.done;
}

void AnalysisWindow::bindMenus() {
    const MenuTree& m = menus_;
    using S = AnalysisState;
    using C = CommandContext;
    // The menu items that are commands on the analysis, their commands and undo labels.
    const std::tuple<QAction*, Command, QString> commands[] = {
        {m.mIdAdd, [](S& s, C& c) { BuildCharts(s, c); }, "построение графика"},
        {m.mEditWellDob, [](S& s, C&) { SwitchWellType(s, ProducingWell); }, "тип скважины"},
        {m.mEditWellNag, [](S& s, C&) { SwitchWellType(s, InjectionWell); }, "тип скважины"},
        {m.mTrendLine, [](S& s, C& c) { addTrendByAllPoints(s, c, LinearTrend); }, "линия тренда"},
        {m.mTrendPolinom2, [](S& s, C& c) { addTrendByAllPoints(s, c, QuadraticTrend); },
         "линия тренда"},
        {m.mTrendPolinom3, [](S& s, C& c) { addTrendByAllPoints(s, c, CubicTrend); },
         "линия тренда"},
        {m.mTrendAddSelectPoint, [](S& s, C& c) { toggleSelectionMode(s, c); }, "выбор точек"},
        {m.mTrendDelete, [](S& s, C& c) { deleteTrends(s, c); }, "удаление линии тренда"},
        {m.mIdSkinGidro,
         [](S& s, C& c) {
             selectEstimatingMode(s, EstimationMode::TransmissibilityFromSkin, c.messages);
         },
         "оценка"},
        {m.mIdSkinSkin,
         [](S& s, C& c) {
             selectEstimatingMode(s, EstimationMode::SkinFromTransmissibility, c.messages);
         },
         "оценка"},
        {m.mIdSkinNot, [](S& s, C&) { withoutEstimate(s); }, "оценка"},
    };
    for (const auto& [item, command, label] : commands)
        connect(item, &QAction::triggered, this, [this, command, label] { run(command, label); });
    connect(m.mEditPastRow, &QAction::triggered, this, [this] {
        runTableEdit([](AnalysisState s, TableCursor c) { return insertRow(std::move(s), c); },
                     QStringLiteral("вставка строки"));
    });
    connect(m.mEditPaste, &QAction::triggered, this, [this] {
        const QString text = clipboard_.text();
        QStringList messages;
        runTableEdit(
            [&](AnalysisState s, TableCursor c) {
                return pasteMeasurements(std::move(s), c, text, messages);
            },
            QStringLiteral("вставка"));
        for (const QString& message : messages)
            messages_.showMessage(message);
    });
    connect(m.mEditCopyIDData, &QAction::triggered, this, [this] {
        const std::vector<double>& rates = state().FitRates.values();
        const std::vector<double>& pressures = state().FitPressures.values();
        const auto count = static_cast<std::size_t>(std::max(0, state().FitPointCount));
        clipboard_.setText(fitSetText(
            std::vector<double>(rates.begin(), rates.begin() + std::min(count, rates.size())),
            std::vector<double>(pressures.begin(),
                                pressures.begin() + std::min(count, pressures.size()))));
    });
    // The chart copies compose frame and plot area on the hidden Picture6.
    connect(m.mEditCopyIDGraf, &QAction::triggered, this, [this] {
        composeChartCopy(*form_.Picture6, *form_.Picture3, *form_.Picture4,
                         state().WellType == InjectionWell);
        clipboard_.setImage(form_.Picture6->image());
    });
    connect(m.mEditCopyPIGraf, &QAction::triggered, this, [this] {
        composeChartCopy(*form_.Picture6, *form_.Picture7, *form_.Picture8, false);
        clipboard_.setImage(form_.Picture6->image());
    });
    connect(m.mIdFormatX, &QAction::triggered, this,
            [this] { openAxisDialog(AxisChoice::DiagramRate); });
    connect(m.mIdFormatY, &QAction::triggered, this,
            [this] { openAxisDialog(AxisChoice::DiagramPressure); });
    connect(m.mIdFormatYPIQ, &QAction::triggered, this,
            [this] { openAxisDialog(AxisChoice::PiIndex); });
    connect(m.mEditSave, &QAction::triggered, this, &AnalysisWindow::SaveResults);
    connect(m.mIdStat, &QAction::triggered, this, &AnalysisWindow::showStatistics);
    connect(m.mIdConfBands, &QAction::triggered, this, [this] {
        run([](AnalysisState& s, CommandContext&) { s.ConfidenceBands = !s.ConfidenceBands; },
            QStringLiteral("доверительные интервалы"));
    });
    connect(m.mEditUndo, &QAction::triggered, this, &AnalysisWindow::undo);
    connect(m.mEditRedo, &QAction::triggered, this, &AnalysisWindow::redo);
    connect(m.mFileNew, &QAction::triggered, this, [this] { newAnalysis(); });
    connect(m.mFileOpen, &QAction::triggered, this, [this] { openAnalysis(); });
    connect(m.mFileSave, &QAction::triggered, this, [this] { saveAnalysis(); });
    connect(m.mFileSaveAs, &QAction::triggered, this, [this] { saveAnalysisAs(); });
    connect(m.mFileExportDiagram, &QAction::triggered, this,
            [this] { exportChartFile(ExportedChart::Diagram); });
    connect(m.mFileExportPiChart, &QAction::triggered, this,
            [this] { exportChartFile(ExportedChart::PiChart); });
    connect(m.mFileExportCsv, &QAction::triggered, this, &AnalysisWindow::exportCsvFile);
    connect(m.mFileExportPdf, &QAction::triggered, this, &AnalysisWindow::exportReportFile);
    connect(m.mEdit, &QMenu::aboutToShow, this, &AnalysisWindow::openDataMenu);
    connect(m.mIdd, &QMenu::aboutToShow, this, &AnalysisWindow::openDiagramMenu);
    connect(m.mTrend, &QMenu::aboutToShow, this, &AnalysisWindow::openTrendMenu);
}

void AnalysisWindow::bindControls() {
    FlexGrid* grid = form_.MSFlexGrid1;
    connect(grid, &FlexGrid::keyPressed, this, [this, grid](QKeyEvent* event) {
        // With no data cell current (after the table lost focus) keys are ignored.
        if (grid->Row() < 1 || grid->Col() < 1)
            return;
        const int last = document_.options().lastDataColumn();
        if (event->key() == Qt::Key_Delete) {
            runTableEdit([last](AnalysisState s,
                                TableCursor c) { return deleteSelection(std::move(s), c, last); },
                         QStringLiteral("удаление"));
            return;
        }
        QChar character;
        if (event->key() == Qt::Key_Backspace) {
            character = QChar(8);
        } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            character = QChar(13);
        } else {
            // Shortcuts, Escape and keys that type nothing are no characters for the cell.
            const QString text = event->text();
            if (text.isEmpty() || !text.at(0).isPrint() ||
                (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
                return;
            character = text.at(0);
        }
        QStringList messages;
        runTableEdit(
            [&](AnalysisState s, TableCursor c) {
                return typeCharacter(std::move(s), c, character, last, messages);
            },
            QStringLiteral("ввод"));
        for (const QString& message : messages)
            messages_.showMessage(message);
    });
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
    // Clicking back into the cell that was current before the table lost focus changes no
    // selection, but it does return to a data row.
    connect(grid, &QAbstractItemView::pressed, this, dataRowChosen);
    const auto hideReadouts = [this] {
        form_.Picture5->hide();
        form_.Picture9->hide();
    };
    connect(grid, &FlexGrid::pointerMoved, this, hideReadouts);
    connect(&form_, &WorkWindow::pointerMovedOutsidePlots, this, hideReadouts);
    connect(form_.Picture8, &PictureSurface::mouseMoved, this,
            [this](int, int, double x, double y) {
                form_.Picture5->hide();
                showReadout(*form_.Picture9, readoutText(x, y, PiReadoutUnit));
            });

    for (QLineEdit* box : {form_.Pnas, form_.Skin, form_.Rkontur, form_.Rwell})
        box->installEventFilter(this);
    connect(form_.Pnas, &QLineEdit::textChanged, this, [this](const QString& text) {
        run([text](AnalysisState& s, CommandContext&) { saturationPressureEdited(s, text); },
            QStringLiteral("давление насыщения"));
    });
    for (const auto& [box, number] : {std::pair{form_.Check1, 1}, {form_.Check2, 2}})
        connect(box, &QCheckBox::toggled, this, [this, number](bool ticked) {
            run(
                [number, ticked](AnalysisState& s, CommandContext& c) {
                    tickAllowedPressureBox(s, c, number, ticked);
                },
                QStringLiteral("способ определения Pз"));
        });
    connect(form_.Picture4, &PictureSurface::mousePressed, this, &AnalysisWindow::onPlotPressed);
    connect(form_.Picture4, &PictureSurface::mouseMoved, this, &AnalysisWindow::onPlotMoved);
    connect(form_.Picture4, &PictureSurface::mouseReleased, this, &AnalysisWindow::onPlotReleased);
    popupChooser_ = [](QMenu& menu) { return menu.exec(QCursor::pos()); };
}

void AnalysisWindow::onPlotPressed(int button, int shift, double x, double y) {
    // The right button with Shift picks the allowed pressure; the left one starts a selection.
    constexpr int RightMouseButton = 2;
    if (button == RightMouseButton && shift == ShiftAlone && state().ManualPick &&
        !state().AutoSearch)
        run([=](AnalysisState& s, CommandContext&) { pickAllowedPressure(s, button, shift, y); },
            QStringLiteral("выбор Pз"));
    pressSelection(drag_, state().SelectionMode, button, shift, x, y);
    showRubberBands();
}

void AnalysisWindow::onPlotMoved(int buttons, int shift, double x, double y) {
    moveSelection(drag_, state().SelectionMode, state().WellType, buttons, shift, x, y);
    showRubberBands();
    form_.Picture9->hide();
    showReadout(*form_.Picture5, readoutText(x, y, DiagramReadoutUnit));
}

void AnalysisWindow::onPlotReleased(int button, int, double x, double y) {
    if (button != LeftMouseButton || !state().SelectionMode)
        return;
    SelectionPopup popup = SelectionPopup::None;
    // The selection itself is no step of its own: the trend chosen from it is.
    run([&](AnalysisState& s, CommandContext&) { popup = releaseSelection(s, drag_, x, y); },
        NoUndo);
    if (popup != SelectionPopup::None) {
        const MenuTree& m = menus_;
        const bool line = popup == SelectionPopup::Line;
        const int points = state().FitPointCount;
        for (QAction* kind :
             {m.mSelPointTrendLine, m.mSelPointTrendPolinom2, m.mSelPointTrendPolinom3})
            kind->setVisible(!line);
        m.mSelPointTrendAdd->setVisible(line);
        m.mSelPointTrendLine->setEnabled(points >= 2);
        m.mSelPointTrendPolinom2->setEnabled(points >= 3);
        m.mSelPointTrendPolinom3->setEnabled(points >= 4);
        QAction* chosen = popupChooser_(*m.mSelPointTrend);
        int kind = NoTrend;
        if (chosen == m.mSelPointTrendLine || chosen == m.mSelPointTrendAdd)
            kind = LinearTrend;
        else if (chosen == m.mSelPointTrendPolinom2)
            kind = QuadraticTrend;
        else if (chosen == m.mSelPointTrendPolinom3)
            kind = CubicTrend;
        if (kind != NoTrend && chosen->isEnabled())
            run([kind](AnalysisState& s, CommandContext& c) { addTrendByPickedPoints(s, c, kind); },
                QStringLiteral("линия тренда"));
    }
    drag_.bands.rectangleShown = false;
    drag_.bands.lineShown = false;
    showRubberBands();
}

void AnalysisWindow::showRubberBands() {
    const RubberBands& b = drag_.bands;
    const PictureSurface& plot = *form_.Picture4;
    if (b.rectangleShown) {
        // Top is the pressure at the upper edge on screen; the lower edge is a height away.
        const double bottom =
            state().WellType == InjectionWell ? b.top + b.height : b.top - b.height;
        form_.Shape1->setRectangle(
            QRectF(plot.toPixels(b.left, b.top), plot.toPixels(b.left + b.width, bottom)));
    }
    if (b.lineShown)
        form_.Line1->setLine(QLineF(plot.toPixels(b.x1, b.y1), plot.toPixels(b.x2, b.y2)));
    form_.Shape1->setVisible(b.rectangleShown);
    form_.Line1->setVisible(b.lineShown);
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
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Hiding a focused box while the controls are brought in line moves the focus; the
        // user left no box then.
        if (!presenting_ && !focusStaysWithTheWindow(reason) &&
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
                                  const QString& undoLabel) {
    const TableCursor before = tableCursor();
    TableCursor after = before;
    run(
        [&](AnalysisState& s, CommandContext&) {
            TableEdit result = edit(std::move(s), before);
            s = std::move(result.state);
            after = result.cursor;
        },
        undoLabel);
    if (after != before)
        form_.MSFlexGrid1->setCurrentCellAt(after.Row, after.Col);
}

namespace {

// Whether two analyses give the same charts: the renderers read only these.
bool sameCharts(const AnalysisState& a, const AnalysisState& b) {
    const auto drawnFrom = [](const AnalysisState& s) {
        return std::tie(s.WellType, s.SelectionMode, s.Measurements, s.MeasurementCount,
                        s.Inputs.SaturationPressure, s.IdAxisXMin, s.IdAxisXMax, s.IdAxisYTop,
                        s.IdAxisYBottom, s.PiAxisXMin, s.PiAxisXMax, s.PiAxisYTop, s.PiAxisYBottom,
                        s.TrendCount, s.FirstTrend, s.SecondTrend, s.DiagramShown, s.PiChartShown,
                        s.ConfidenceBands);
    };
    return drawnFrom(a) == drawnFrom(b);
}

// Whether two analyses give the same statistics page: the report reads only these (a
// selection or an axis range alone must not run its bootstrap again).
bool sameReport(const AnalysisState& a, const AnalysisState& b) {
    const auto reportedFrom = [](const AnalysisState& s) {
        return std::tie(s.WellType, s.TrendCount, s.FirstTrend, s.SecondTrend, s.Measurements,
                        s.MeasurementCount, s.AllowedBottomholePressure, s.ManualPick, s.AutoSearch,
                        s.ReservoirPressure, s.IdAxisXMax);
    };
    return reportedFrom(a) == reportedFrom(b);
}

} // namespace

void AnalysisWindow::present() {
    const QScopedValueRollback<bool> presenting(presenting_, true);
    if (!drawn_ || !sameCharts(*drawn_, state())) {
        drawAnalysis(state(), {*form_.Picture3, *form_.Picture4, *form_.Picture7, *form_.Picture8});
        drawn_ = state();
    }
    const AnalysisState& s = state();
    QString title = frameCaption(s.WellType);
    if (!filePath().isEmpty())
        title += QStringLiteral(" — ") + QFileInfo(filePath()).fileName();
    frame_.setWindowTitle(title);
    menus_.mEditUndo->setEnabled(document_.canUndo());
    menus_.mEditUndo->setText(document_.canUndo()
                                  ? QStringLiteral("Отменить: ") + document_.undoLabel()
                                  : QStringLiteral("Отменить"));
    menus_.mEditRedo->setEnabled(document_.canRedo());
    menus_.mEditRedo->setText(document_.canRedo()
                                  ? QStringLiteral("Повторить: ") + document_.redoLabel()
                                  : QStringLiteral("Повторить"));
    if (s.WellType != shownWellType_) {
        shownWellType_ = s.WellType;
        form_.applyWellTypeHeader(s.WellType);
        form_.placeDiagram(s.WellType);
    }
    form_.Picture3->setVisible(s.DiagramShown);
    form_.Picture4->setVisible(s.DiagramShown);
    form_.Picture7->setVisible(s.PiChartShown);
    form_.Picture8->setVisible(s.PiChartShown);
    for (const auto& [box, ticked] :
         {std::pair{form_.Check1, s.ManualPick}, {form_.Check2, s.AutoSearch}}) {
        const QSignalBlocker quiet(box);
        box->setChecked(ticked);
        box->setVisible(s.AllowedPressureBoxesShown);
    }
    const MenuTree& m = menus_;
    m.mEditWellDob->setChecked(s.WellType == ProducingWell);
    m.mEditWellNag->setChecked(s.WellType == InjectionWell);
    m.mIdSkinGidro->setChecked(s.Estimation == EstimationMode::TransmissibilityFromSkin);
    m.mIdSkinSkin->setChecked(s.Estimation == EstimationMode::SkinFromTransmissibility);
    m.mIdSkinNot->setChecked(s.Estimation == EstimationMode::None);
    m.mTrendAddSelectPoint->setChecked(s.SelectionMode);
    m.mIdConfBands->setChecked(s.ConfidenceBands);
    if (statistics_ && statistics_->isVisible() && !(reported_ && sameReport(*reported_, s))) {
        statistics_->showAnalysis(s);
        reported_ = s;
    }
    m.mTrend->menuAction()->setEnabled(s.DiagramShown);
    syncInputs();
    syncResults();
    syncTable();
}

void AnalysisWindow::syncInputs() {
    const AnalysisState& s = state();
    const FormationInputs& f = s.Inputs;
    for (const auto& [box, text] : {std::pair{form_.Pnas, f.Pnas},
                                    {form_.Skin, f.Skin},
                                    {form_.Rkontur, f.Rkontur},
                                    {form_.Rwell, f.Rwell}}) {
        if (box->text() != text) {
            const QSignalBlocker quiet(box);
            box->setText(text);
        }
    }
    const bool producing = s.WellType == ProducingWell;
    form_.Pnas->setVisible(producing);
    form_.Label1->setVisible(producing);
    const bool estimating = s.Estimation != EstimationMode::None;
    for (QWidget* w : std::initializer_list<QWidget*>{form_.Skin, form_.Label2, form_.Rkontur,
                                                      form_.Label3, form_.Rwell, form_.Label4})
        w->setVisible(estimating);
    if (estimating) {
        form_.setLabelText(form_.Label2, estimateCaption(s.Estimation));
        form_.setLabelText(form_.Label3, QStringLiteral("Радиус контура питания, м"));
        form_.setLabelText(form_.Label4, QStringLiteral("Радиус скважины, м"));
    }
}

void AnalysisWindow::syncResults() {
    FlexGrid* grid = form_.MSFlexGrid2;
    const AnalysisState& s = state();
    if (!s.ResultsShown) {
        grid->hide();
        return;
    }
    // Before the first result the table shows empty, as laid out (again, after an undo).
    if (s.ResultRows.empty()) {
        if (!shownResults_.empty()) {
            shownResults_.clear();
            const QSignalBlocker rowSizes(grid->verticalHeader());
            const QSignalBlocker columnSizes(grid->horizontalHeader());
            grid->setRows(static_cast<int>(resultsLayout_.rowHeights.size()));
            for (int r = 0; r < grid->Rows(); ++r) {
                grid->setRowHeight(r, resultsLayout_.rowHeights[static_cast<std::size_t>(r)]);
                for (int c = 0; c < grid->Cols(); ++c)
                    grid->setText(r, c, QString());
            }
            for (int c = 0; c < grid->Cols(); ++c)
                grid->setColumnWidth(c, resultsLayout_.columnWidths[static_cast<std::size_t>(c)]);
            grid->setGeometry(resultsLayout_.geometry);
            grid->doItemsLayout();
            grid->viewport()->update();
        }
        grid->show();
        return;
    }
    if (s.ResultRows == shownResults_) {
        grid->show();
        return;
    }
    shownResults_ = s.ResultRows;
    // The view answers a section resize with a repaint of its own in a later round of the
    // event loop; the table is repainted whole below anyway.
    const QSignalBlocker rowSizes(grid->verticalHeader());
    const QSignalBlocker columnSizes(grid->horizontalHeader());
    const QRect geometry = grid->geometry();
    const int n = static_cast<int>(s.ResultRows.size());
    grid->setRows(n);
    grid->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                      twipsToPixels(n * ResultRowHeightTwips));
    for (int r = 0; r < n; ++r) {
        const ResultRow& row = s.ResultRows[static_cast<std::size_t>(r)];
        grid->setRowHeight(r, twipsToPixels((r + 1) * ResultRowHeightTwips) -
                                  twipsToPixels(r * ResultRowHeightTwips));
        grid->setText(r, 0, row.caption);
        grid->setCellAlignment(r, 1, Qt::AlignCenter);
        grid->setText(r, 1, row.value);
    }
    fitResultColumns(grid, s.ResultRows);
    // Lay the rows out now rather than in a later round of the event loop, which would paint
    // the table a second time.
    grid->doItemsLayout();
    grid->viewport()->update();
    grid->show();
}

void AnalysisWindow::syncTable() {
    FlexGrid* grid = form_.MSFlexGrid1;
    const QList<MeasurementRow>& rows = state().Table;
    const int count = static_cast<int>(rows.size());
    const int last = document_.options().lastDataColumn();
    const auto texts = [&](int i) {
        const MeasurementRow& row = rows.at(i);
        return std::array<const QString*, 3>{&row.Rate, &row.Pressure, &row.Date};
    };
    // The grid holds the texts it shows: only rows from the first that differs are written.
    const auto shows = [&](int i) {
        const auto cells = texts(i);
        for (int c = 1; c <= last; ++c)
            if (grid->text(i + 1, c) != *cells[static_cast<std::size_t>(c - 1)])
                return false;
        return true;
    };
    const int shownRows = std::max(grid->Rows() - 2, 0);
    int first = 0;
    while (first < count && first < shownRows && shows(first))
        ++first;
    if (first == count && count == shownRows)
        return;
    const int total = count + 2;
    if (grid->Rows() != total)
        grid->setRows(total);
    grid->beginBulkEdit();
    for (int i = first; i < count; ++i) {
        const int r = i + 1;
        const auto cells = texts(i);
        for (int c = 1; c <= last; ++c) {
            grid->setCellAlignment(r, c, EditedCellAlignment);
            grid->setText(r, c, *cells[static_cast<std::size_t>(c - 1)]);
        }
    }
    for (int c = 1; c <= last; ++c)
        grid->setText(total - 1, c, QString());
    grid->endBulkEdit();
}

void AnalysisWindow::openAxisDialog(AxisChoice axis) {
    const AnalysisState& s = state();
    const bool injection = s.WellType == InjectionWell;
    double lo = 0;
    double hi = 0;
    switch (axis) {
    case AxisChoice::DiagramRate:
        lo = s.IdAxisXMin;
        hi = s.IdAxisXMax;
        break;
    case AxisChoice::DiagramPressure:
        // The lower pressure first, whichever edge of the screen it is on.
        lo = injection ? s.IdAxisYTop : s.IdAxisYBottom;
        hi = injection ? s.IdAxisYBottom : s.IdAxisYTop;
        break;
    case AxisChoice::PiIndex:
        lo = s.PiAxisYBottom;
        hi = s.PiAxisYTop;
        break;
    }
    delete axisDialog_;
    axisDialog_ = new AxisRangeDialog(
        axis, lo, hi, frame_, messages_, [this, axis](double low, double high, bool automatic) {
            return run([=](AnalysisState& s,
                           CommandContext& c) { setAxisRange(s, c, axis, low, high, automatic); },
                       QStringLiteral("формат оси"));
        });
    axisDialog_->show();
}

bool AnalysisWindow::modified() {
    return document_.modified();
}

void AnalysisWindow::showReplacedAnalysis() {
    delete axisDialog_;
    drag_ = {};
    present();
    showRubberBands();
}

void AnalysisWindow::showStatistics() {
    if (!statistics_)
        statistics_ = new StatisticsWindow(&frame_);
    statistics_->showAnalysis(state());
    reported_ = state();
    statistics_->show();
    statistics_->raise();
}

void AnalysisWindow::undo() {
    if (document_.undo(typedInputs()))
        showReplacedAnalysis();
}

void AnalysisWindow::redo() {
    if (document_.redo(typedInputs()))
        showReplacedAnalysis();
}

namespace {

const QString AnalysisFilter = QStringLiteral("Анализ индикаторной диаграммы (*.ida)");
constexpr qint64 LargestAnalysisFile = 64LL * 1024 * 1024;

// The path the user chose, with the format's extension when it has none (a dialog given in
// advance does not add it).
QString withSuffix(QString path, const QString& suffix) {
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    return path;
}

} // namespace

bool AnalysisWindow::confirmDiscard() {
    takeInputTexts();
    if (!modified())
        return true;
    switch (messages_.ask(QStringLiteral("Сохранить изменения в анализе?"))) {
    case MessagePort::Answer::Yes:
        return saveAnalysis();
    case MessagePort::Answer::No:
        return true;
    case MessagePort::Answer::Cancel:
        break;
    }
    return false;
}

bool AnalysisWindow::newAnalysis() {
    if (!confirmDiscard())
        return false;
    document_.startNew();
    showReplacedAnalysis();
    return true;
}

bool AnalysisWindow::openAnalysis(const QString& given) {
    if (!confirmDiscard())
        return false;
    const QString path =
        given.isEmpty() ? files_.openPath(QStringLiteral("Открыть анализ"), AnalysisFilter) : given;
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString cause = russianCause(file.errorString());
        messages_.showMessage(
            QStringLiteral("Файл не открыт: ") +
                (cause.isEmpty() ? QStringLiteral("система отказала в чтении") : cause) +
                QStringLiteral(".\n") + QDir::toNativeSeparators(path),
            QStringLiteral("Сообщение системы: ") + file.errorString());
        return false;
    }
    if (file.size() > LargestAnalysisFile) {
        messages_.showMessage(
            QStringLiteral("Файл не открыт: он слишком велик для анализа одной скважины."));
        return false;
    }
    if (const std::optional<QString> refused = document_.open(file.readAll(), path)) {
        messages_.showMessage(*refused);
        return false;
    }
    showReplacedAnalysis();
    return true;
}

bool AnalysisWindow::saveAnalysis() {
    takeInputTexts();
    return filePath().isEmpty() ? saveAnalysisAs() : writeFile(filePath());
}

bool AnalysisWindow::saveAnalysisAs() {
    takeInputTexts();
    const QString suggested = filePath().isEmpty() ? QStringLiteral("анализ.ida") : filePath();
    const QString path =
        withSuffix(files_.savePath(QStringLiteral("Сохранить анализ"), suggested, AnalysisFilter),
                   QStringLiteral("ida"));
    return !path.isEmpty() && writeFile(path);
}

bool AnalysisWindow::writeFile(const QString& path) {
    const AnalysisDocument::FileBytes file = document_.fileBytes();
    if (!file.error.isEmpty()) {
        messages_.showMessage(QStringLiteral("Анализ не сохранён: ") + file.error);
        return false;
    }
    if (!writeWhole(path, file.bytes, QStringLiteral("Анализ не сохранён")))
        return false;
    document_.markSaved(path);
    present();
    return true;
}

bool AnalysisWindow::writeWhole(const QString& path, const QByteArray& bytes,
                                const QString& notSaved) {
    if (bytes.isEmpty()) {
        messages_.showMessage(notSaved + QStringLiteral(": не удалось подготовить содержимое."));
        return false;
    }
    const std::optional<WriteFailure> failed = files_.write(path, bytes);
    if (failed)
        messages_.showMessage(notSaved + QStringLiteral(": ") + failed->cause +
                                  QStringLiteral(".\n") + QDir::toNativeSeparators(path),
                              QStringLiteral("Сообщение системы: ") + failed->systemText);
    return !failed;
}

ChartSizes AnalysisWindow::chartSizes() const {
    return {form_.Picture3->size(), form_.Picture4->size(), form_.Picture7->size(),
            form_.Picture8->size()};
}

void AnalysisWindow::exportChartFile(ExportedChart chart) {
    const QString path = withSuffix(
        files_.savePath(QStringLiteral("Экспорт графика"),
                        chart == ExportedChart::Diagram ? QStringLiteral("диаграмма.png")
                                                        : QStringLiteral("график PI-Q.png"),
                        QStringLiteral("Рисунок PNG (*.png);;Векторный рисунок SVG (*.svg)")),
        QStringLiteral("png"));
    if (path.isEmpty())
        return;
    const bool svg =
        QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0;
    writeWhole(path,
               chartFile(svg ? ChartFormat::Svg : ChartFormat::Png, state(), chart, chartSizes()),
               QStringLiteral("График не сохранён"));
}

void AnalysisWindow::exportCsvFile() {
    takeInputTexts();
    const QString path =
        withSuffix(files_.savePath(QStringLiteral("Экспорт в CSV"), QStringLiteral("анализ.csv"),
                                   QStringLiteral("Таблица CSV (*.csv)")),
                   QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    writeWhole(path, csvText(state(), document_.options().DatabaseMode),
               QStringLiteral("Файл CSV не сохранён"));
}

void AnalysisWindow::exportReportFile() {
    takeInputTexts();
    const QString path =
        withSuffix(files_.savePath(QStringLiteral("Отчёт PDF"), QStringLiteral("отчёт.pdf"),
                                   QStringLiteral("Документ PDF (*.pdf)")),
                   QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    writeWhole(path, reportFile(state(), document_.options().DatabaseMode, chartSizes()),
               QStringLiteral("Отчёт не сохранён"));
}

void AnalysisWindow::SaveResults() {
    if (!database_ || !document_.options().DatabaseRecordLoaded ||
        !database_->start(DatabaseWorker::Job::SaveResults, state()))
        return;
    updateSaveItem();
    emit databaseActivity(QStringLiteral("Сохранение результатов в базу скважин…"));
}

void AnalysisWindow::checkRecord(bool sayFailure) {
    if (!database_ || !database_->start(DatabaseWorker::Job::CheckRecord))
        return;
    sayCheckFailure_ = sayFailure;
    updateSaveItem();
    emit databaseActivity(QStringLiteral("Проверка записи в базе скважин…"));
}

bool AnalysisWindow::databaseBusy() const {
    return database_ && database_->busy();
}

void AnalysisWindow::waitForDatabase() {
    if (database_)
        database_->wait();
}

void AnalysisWindow::databaseStepEnded(DatabaseWorker::Job job, const DatabaseOutcome& outcome) {
    emit databaseActivity(QString());
    if (job == DatabaseWorker::Job::CheckRecord) {
        document_.options().DatabaseRecordLoaded = outcome.ok;
        updateSaveItem();
        if (!outcome.ok && sayCheckFailure_) {
            std::fputs((outcome.message + u'\n').toLocal8Bit().constData(), stderr);
            messages_.showMessage(outcome.message, outcome.details);
        }
        return;
    }
    // A save that found the record proves it is there; one that did not, that it is gone.
    if (outcome.ok)
        document_.options().DatabaseRecordLoaded = true;
    else if (outcome.recordMissing)
        document_.options().DatabaseRecordLoaded = false;
    updateSaveItem();
    messages_.showMessage(outcome.message, outcome.details);
}

MenuFacts AnalysisWindow::menuFacts() const {
    return {!clipboard_.text().isEmpty(), form_.MSFlexGrid1->Row(),
            document_.options().DatabaseRecordLoaded, databaseBusy()};
}

void AnalysisWindow::updateSaveItem() {
    menus_.mEditSave->setEnabled(dataMenuState(state(), menuFacts()).save);
}

void AnalysisWindow::openDataMenu() {
    // A record that could not be checked at start (a locked file, a server restarting) is looked
    // for again, so that saving does not stay off until the program is restarted.
    if (document_.options().DatabaseMode && !document_.options().DatabaseRecordLoaded)
        checkRecord(false);
    const DataMenuState d = dataMenuState(state(), menuFacts());
    const MenuTree& m = menus_;
    m.mEditPaste->setEnabled(d.paste);
    m.mFileExportDiagram->setEnabled(d.exportDiagram);
    m.mFileExportPiChart->setEnabled(d.exportPiChart);
    m.mFileExportCsv->setEnabled(d.exportCsv);
    m.mFileExportPdf->setEnabled(d.exportPdf);
    m.mEditSave->setEnabled(d.save);
}

void AnalysisWindow::openDiagramMenu() {
    const DiagramMenuState d = diagramMenuState(state());
    const MenuTree& m = menus_;
    m.mIdAdd->setEnabled(d.build);
    m.mIdFormat->menuAction()->setEnabled(d.format);
    m.mIdFormatX->setEnabled(d.formatX);
    m.mIdFormatY->setEnabled(d.formatY);
    m.mIdFormatYPIQ->setEnabled(d.formatPi);
    m.mEditCopy->menuAction()->setEnabled(d.copy);
    m.mEditCopyPIGraf->setEnabled(d.copyPi);
    m.mIdStat->setEnabled(d.statistics);
    m.mIdConfBands->setEnabled(d.confidenceBands);
    m.mIdSkin->menuAction()->setEnabled(d.estimate);
}

void AnalysisWindow::openTrendMenu() {
    const TrendMenuState t = trendMenuState(state());
    const MenuTree& m = menus_;
    m.mTrendAdd->menuAction()->setEnabled(t.byAllPoints);
    for (const auto& [item, enabled] : {std::pair{m.mTrendLine, t.line},
                                        {m.mTrendPolinom2, t.quadratic},
                                        {m.mTrendPolinom3, t.cubic}})
        if (enabled)
            item->setEnabled(*enabled);
    m.mTrendDelete->setEnabled(t.remove);
}

} // namespace id
