#include "measurements/MeasurementGridEditor.h"

#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "measurements/DiscardAnalysis.h"
#include "platform/FlexGrid.h"
#include "platform/MessagePort.h"
#include "platform/PictureSurface.h"
#include "state/AnalysisState.h"

#include <QAction>
#include <QKeyEvent>
#include <algorithm>

namespace id {

namespace {
constexpr Qt::Alignment EditedCellAlignment = Qt::AlignHCenter | Qt::AlignTop;
}

MeasurementGridEditor::MeasurementGridEditor(AppContext& context, QObject* parent)
    : QObject(parent), ctx_(context), grid_(context.form.MSFlexGrid1) {
    connect(grid_, &FlexGrid::keyPressed, this, &MeasurementGridEditor::onKey);
    connect(grid_, &FlexGrid::focusLost, this, &MeasurementGridEditor::onFocusLost);
    const auto selectionChanged = [this] {
        if (grid_->Row() > 0)
            ctx_.menus.mEditPastRow->setEnabled(true);
    };
    connect(grid_, &QTableWidget::itemSelectionChanged, this, selectionChanged);
    // Clicking back into the cell that was current before the table lost focus changes no
    // selection, but it does return to a data row.
    connect(grid_, &QAbstractItemView::pressed, this, selectionChanged);
    connect(grid_, &FlexGrid::pointerMoved, this, [this] {
        ctx_.form.Picture5->hide();
        ctx_.form.Picture9->hide();
    });
    connect(ctx_.menus.mEditPastRow, &QAction::triggered, this, &MeasurementGridEditor::insertRow);
}

int MeasurementGridEditor::lastDataColumn() const {
    return ctx_.state.DatabaseMode ? 3 : 2;
}

void MeasurementGridEditor::onKey(QKeyEvent* event) {
    // With no data cell current (after the table lost focus) keys are ignored, so the header
    // row and the row numbers are never edited.
    if (grid_->Row() < 1 || grid_->Col() < 1)
        return;
    if (event->key() == Qt::Key_Delete) {
        deleteSelection();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        enterCharacter(QChar(8));
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        enterCharacter(QChar(13));
        return;
    }
    // Shortcuts, Escape and keys that type nothing are not characters typed into the cell.
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    enterCharacter(text.at(0));
}

void MeasurementGridEditor::enterCharacter(QChar k) {
    const int r = grid_->Row();
    const int c = grid_->Col();
    grid_->setCellAlignment(r, c, EditedCellAlignment);
    if (grid_->Row() == grid_->Rows() - 1) {
        grid_->setText(r, 0, QString::number(r));
        grid_->appendRow();
    }
    const QString cell = grid_->text(r, c);
    if (k == QChar(8)) {
        if (!cell.isEmpty())
            grid_->setText(r, c, cell.left(cell.size() - 1));
    } else if (k == u'.') {
        grid_->setText(r, c, cell + (c < 3 ? u',' : u'.'));
    } else if (k == u',') {
        grid_->setText(r, c, cell + u',');
    } else if (k == QChar(13)) {
        if (grid_->Row() < grid_->Rows() - 1)
            grid_->setCurrentCellAt(grid_->Row() + 1, c);
    } else if (k >= u'0' && k <= u'9') {
        grid_->setText(r, c, cell + k);
    } else {
        ctx_.messages.showMessage(QStringLiteral("Неправильный ввод числа"));
    }
    DiscardAnalysis(ctx_, DiscardVariant::Key);
}

void MeasurementGridEditor::deleteSelection() {
    const int last = grid_->Rows() - 1;
    int r1 = grid_->Row() == last ? grid_->Row() - 1 : grid_->Row();
    int r2 = grid_->RowSel() == last ? grid_->RowSel() - 1 : grid_->RowSel();
    const int lastColumn = lastDataColumn();
    // A selection that reaches into the header row or the number column acts on the data cells
    // it covers only: the header and the numbering always survive.
    if (std::max(r1, r2) < 1 && grid_->Rows() > 2)
        return;
    r1 = std::max(r1, 1);
    r2 = std::max(r2, 1);
    const int col = std::clamp(grid_->Col(), 1, lastColumn);
    const int colSel = std::clamp(grid_->ColSel(), 1, lastColumn);
    const bool wholeRows = (col == lastColumn && colSel == 1) || (colSel == lastColumn && col == 1);

    if (wholeRows) {
        if (grid_->Rows() == 2) {
            // No data rows: start again with the header and one fresh row.
            grid_->appendRow();
            grid_->removeRowAt(1);
        } else {
            const int from = std::min(r1, r2);
            for (int i = 0; i < std::abs(r2 - r1) + 1; ++i)
                grid_->removeRowAt(from);
            grid_->setCurrentCellAt(1, 1);
            renumberFrom(1);
        }
        grid_->setCurrentCellAt(1, 1);
    } else {
        for (int r = std::min(r1, r2); r <= std::max(r1, r2); ++r)
            for (int c = std::min(col, colSel); c <= std::max(col, colSel); ++c)
                grid_->setText(r, c, QString());
    }
    DiscardAnalysis(ctx_, DiscardVariant::Key);
}

void MeasurementGridEditor::renumberFrom(int firstRow) {
    for (int i = firstRow; i <= grid_->Rows() - 2; ++i)
        grid_->setText(i, 0, QString::number(i));
}

void MeasurementGridEditor::insertRow() {
    const int j = grid_->Row();
    if (j < 1 || j == grid_->Rows() - 1)
        return;
    const int col = std::max(1, grid_->Col());
    grid_->insertRowAt(j);
    grid_->setText(j, 0, QString::number(j));
    renumberFrom(j + 1);
    grid_->setCurrentCellAt(j, col);
    DiscardAnalysis(ctx_, DiscardVariant::Insertion);
}

void MeasurementGridEditor::onFocusLost() {
    ctx_.menus.mEditPastRow->setEnabled(false);
    ctx_.menus.mEditPaste->setEnabled(false);
    grid_->setRow(0);
}

} // namespace id
