#include "app/view/AnalysisPresenter.h"

#include "analysis/ResultRows.h"
#include "analysis/view/StatisticsWindow.h"
#include "app/WorkWindowLayout.h"
#include "app/view/MenuTree.h"
#include "app/view/WorkWindow.h"
#include "charts/view/AnalysisPainter.h"
#include "document/AnalysisDocument.h"
#include "platform/Twips.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <array>
#include <tuple>
#include <utility>

namespace id {

namespace {

constexpr double ResultRowHeightTwips = WorkWindow::ResultRowHeight;
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

// The frame's title with the file's name and its mark of unsaved changes, and what undo and redo
// would do.
void presentTitleAndUndo(QMainWindow& frame, const MenuTree& menus,
                         const AnalysisDocument& document) {
    QString title = frameCaption(document.state().WellType);
    if (!document.filePath().isEmpty())
        title += QStringLiteral(" — ") + QFileInfo(document.filePath()).fileName();
    else if (document.well())
        title += QStringLiteral(" — скважина %1").arg(*document.well());
    // The desktop's mark of unsaved changes stands where "[*]" is.
    frame.setWindowTitle(title + QStringLiteral("[*]"));
    frame.setWindowModified(document.modified());
    menus.mEditUndo->setEnabled(document.canUndo());
    menus.mEditUndo->setText(document.canUndo()
                                 ? QStringLiteral("Отменить: ") + document.undoLabel()
                                 : QStringLiteral("Отменить"));
    menus.mEditRedo->setEnabled(document.canRedo());
    menus.mEditRedo->setText(document.canRedo()
                                 ? QStringLiteral("Повторить: ") + document.redoLabel()
                                 : QStringLiteral("Повторить"));
}

} // namespace

AnalysisPresenter::AnalysisPresenter(QMainWindow& frame, WorkWindow& form, const MenuTree& menus,
                                     const StartOptions& options)
    : frame_(frame), form_(form), menus_(menus), lastDataColumn_(options.lastDataColumn()),
      shownWellType_(options.WellType) {}

void AnalysisPresenter::showStatistics(const AnalysisState& state) {
    if (!statistics_) {
        statistics_ = new StatisticsWindow(&frame_);
        statistics_->placeBeside(frame_.frameGeometry());
    }
    reported_ = StatisticsInputs(state);
    statistics_->showAnalysis(*reported_);
    statistics_->show();
    statistics_->raise();
}

void AnalysisPresenter::present(const AnalysisDocument& document) {
    const QScopedValueRollback<bool> presenting(presenting_, true);
    if (form_.zoom() != laidOutZoom_) {
        laidOutZoom_ = form_.zoom();
        drawn_.reset();
        // The table keeps its results, shown or hidden, laid out at the new size.
        if (!shownResults_.empty())
            layOutResults();
    }
    ChartInputs charts(document.state());
    if (!drawn_ || !(*drawn_ == charts)) {
        drawAnalysis(charts, {*form_.Picture3, *form_.Picture4, *form_.Picture7, *form_.Picture8},
                     &layers_);
        // A readout of the charts as they were would point at nothing now.
        form_.Picture5->hide();
        form_.Picture9->hide();
        drawn_ = std::move(charts);
    }
    const AnalysisState& s = document.state();
    presentTitleAndUndo(frame_, menus_, document);
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
    if (statistics_ && statistics_->isVisible()) {
        StatisticsInputs report(s);
        if (!reported_ || !(*reported_ == report)) {
            statistics_->showAnalysis(report);
            reported_ = std::move(report);
        }
    }
    m.mTrend->menuAction()->setEnabled(s.DiagramShown);
    syncInputs(s);
    syncResults(s);
    syncTable(s);
}

void AnalysisPresenter::syncInputs(const AnalysisState& s) {
    const FormationInputs& f = s.Inputs;
    for (const auto& [box, text] : {std::pair{form_.Pnas, f.Pnas},
                                    {form_.Skin, f.Skin},
                                    {form_.Rkontur, f.Rkontur},
                                    {form_.Rwell, f.Rwell},
                                    {form_.ModelPres, f.ModelPres}}) {
        if (box->text() != text) {
            const QSignalBlocker quiet(box);
            box->setText(text);
        }
    }
    const bool producing = s.WellType == ProducingWell;
    form_.Pnas->setVisible(producing);
    form_.Label1->setVisible(producing);
    form_.ModelPres->setVisible(producing);
    form_.Label5->setVisible(producing);
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

void AnalysisPresenter::syncResults(const AnalysisState& s) {
    FlexGrid* grid = form_.MSFlexGrid2;
    if (!s.ResultsShown) {
        grid->hide();
        return;
    }
    std::vector<ResultRow> rows = resultRows(s);
    // Before the first result the table shows empty, as laid out (again, after an undo).
    if (rows.empty()) {
        if (!shownResults_.empty()) {
            shownResults_.clear();
            const WorkWindow::ResultsTableLayout empty = form_.emptyResultsLayout();
            const QSignalBlocker rowSizes(grid->verticalHeader());
            const QSignalBlocker columnSizes(grid->horizontalHeader());
            grid->setRows(static_cast<int>(empty.rowHeights.size()));
            for (int r = 0; r < grid->Rows(); ++r) {
                grid->setRowHeight(r, empty.rowHeights[static_cast<std::size_t>(r)]);
                for (int c = 0; c < grid->Cols(); ++c)
                    grid->setText(r, c, QString());
            }
            for (int c = 0; c < grid->Cols(); ++c)
                grid->setColumnWidth(c, empty.columnWidths[static_cast<std::size_t>(c)]);
            grid->setGeometry(empty.geometry);
            grid->doItemsLayout();
            grid->viewport()->update();
        }
        grid->show();
        return;
    }
    if (rows == shownResults_) {
        grid->show();
        return;
    }
    shownResults_ = std::move(rows);
    layOutResults();
    grid->show();
}

void AnalysisPresenter::layOutResults() {
    FlexGrid* grid = form_.MSFlexGrid2;
    // The view answers a section resize with a repaint of its own in a later round of the
    // event loop; the table is repainted whole below anyway.
    const QSignalBlocker rowSizes(grid->verticalHeader());
    const QSignalBlocker columnSizes(grid->horizontalHeader());
    const QRect geometry = grid->geometry();
    const int n = static_cast<int>(shownResults_.size());
    grid->setRows(n);
    grid->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                      form_.pixels(n * ResultRowHeightTwips));
    for (int r = 0; r < n; ++r) {
        const ResultRow& row = shownResults_[static_cast<std::size_t>(r)];
        grid->setRowHeight(r, form_.pixels((r + 1) * ResultRowHeightTwips) -
                                  form_.pixels(r * ResultRowHeightTwips));
        grid->setText(r, 0, row.caption);
        grid->setCellAlignment(r, 1, Qt::AlignCenter);
        grid->setText(r, 1, row.value);
    }
    fitResultColumns(grid, shownResults_);
    // Lay the rows out now rather than in a later round of the event loop, which would paint
    // the table a second time.
    grid->doItemsLayout();
    grid->viewport()->update();
}

void AnalysisPresenter::syncTable(const AnalysisState& s) {
    FlexGrid* grid = form_.MSFlexGrid1;
    const QList<MeasurementRow>& rows = s.Table;
    // The table shown is still shared with the analysis: nothing in it changed.
    if (rows.constData() == shownTable_.constData() && rows.size() == shownTable_.size() &&
        !rows.isEmpty())
        return;
    const QList<MeasurementRow> before = std::exchange(shownTable_, rows);
    const int count = static_cast<int>(rows.size());
    const int last = lastDataColumn_;
    // Only rows from the first that differs are repainted.
    int first = 0;
    while (first < count && first < before.size() && rows.at(first) == before.at(first))
        ++first;
    const int total = count + 2;
    const bool resized = grid->Rows() != total;
    // The grid shows the analysis's own texts (the list is shared, not copied).
    grid->setSharedRows(total, 1, count, last, [table = rows](int i, int c) {
        const MeasurementRow& row = table.at(i);
        return c == 1 ? row.Rate : c == 2 ? row.Pressure : row.Date;
    });
    if (resized)
        form_.fitRowNumbers();
    if (first == count && count == before.size())
        return;
    grid->beginBulkEdit();
    for (int i = first; i < count; ++i) {
        const int r = i + 1;
        for (int c = 1; c <= last; ++c)
            grid->setCellAlignment(r, c, EditedCellAlignment);
        grid->setRowGreyed(r, rows.at(i).Excluded);
    }
    for (int c = 1; c <= last; ++c)
        grid->setText(total - 1, c, QString());
    grid->setRowGreyed(total - 1, false);
    grid->rowsChanged(first + 1, total - 1);
    grid->endBulkEdit();
}

} // namespace id
