#include "platform/view/FlexGrid.h"

#include "platform/view/FlexGridModel.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace id {

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), cells_(new FlexGridModel(this)) {
    cells_->setFixedBrush(palette().button());
    setModel(cells_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(true);
    setMouseTracking(true);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FlexGrid::cellSelectionChanged);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                headerRowCurrent_ = false;
                const int row = current.row();
                const int col = current.column();
                // The fixed row and column are never current, as in a grid with real fixed
                // cells.
                if (row >= 0 && col >= 0 && (row < fixedRows_ || col < fixedCols_) &&
                    Rows() > fixedRows_ && Cols() > fixedCols_)
                    selectionModel()->setCurrentIndex(
                        cells_->index(std::max(row, fixedRows_), std::max(col, fixedCols_)),
                        QItemSelectionModel::ClearAndSelect);
            });
}

int FlexGrid::Rows() const {
    return cells_->rowCount();
}

int FlexGrid::Cols() const {
    return cells_->columnCount();
}

void FlexGrid::setRows(int rows) {
    cells_->setRows(rows);
}

void FlexGrid::setCols(int cols) {
    cells_->setCols(cols);
}

void FlexGrid::setFixedRows(int rows) {
    fixedRows_ = rows;
    cells_->setFixed(fixedRows_, fixedCols_);
}

void FlexGrid::setFixedCols(int cols) {
    fixedCols_ = cols;
    cells_->setFixed(fixedRows_, fixedCols_);
}

void FlexGrid::setNumberedRows(bool numbered) {
    cells_->setNumberedRows(numbered);
}

QString FlexGrid::text(int row, int col) const {
    return cells_->text(row, col);
}

void FlexGrid::setText(int row, int col, const QString& text) {
    cells_->setText(row, col, text);
}

void FlexGrid::setRowGreyed(int row, bool greyed) {
    cells_->setRowGreyed(row, greyed);
}

bool FlexGrid::rowGreyed(int row) const {
    return cells_->rowGreyed(row);
}

void FlexGrid::setCellAlignment(int row, int col, Qt::Alignment alignment) {
    cells_->setAlignment(row, col, alignment);
}

Qt::Alignment FlexGrid::cellAlignment(int row, int col) const {
    return cells_->alignment(row, col);
}

int FlexGrid::Row() const {
    if (headerRowCurrent_)
        return 0;
    return std::max(currentIndex().row(), 0);
}

int FlexGrid::Col() const {
    return std::max(currentIndex().column(), 0);
}

int FlexGrid::RowSel() const {
    if (headerRowCurrent_)
        return 0;
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty())
        return Row();
    const QItemSelectionRange& r = selection.first();
    return r.top() == Row() ? r.bottom() : r.top();
}

int FlexGrid::ColSel() const {
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty())
        return Col();
    const QItemSelectionRange& r = selection.first();
    return r.left() == Col() ? r.right() : r.left();
}

void FlexGrid::setRow(int row) {
    if (row == 0) {
        headerRowCurrent_ = true;
        return;
    }
    setCurrentCellAt(row, Col());
}

void FlexGrid::setCurrentCellAt(int row, int col) {
    const QModelIndex cell = cells_->index(row, col);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    // The view's own call also moves the start of Shift-selections here; the cell it started
    // from may now hold other data.
    QAbstractItemView::setCurrentIndex(cell);
    headerRowCurrent_ = false;
}

void FlexGrid::setSharedRows(int total, int first, int count, int lastCol,
                             std::function<QString(int index, int col)> texts) {
    cells_->setSharedRows(total, first, count, lastCol, std::move(texts));
}

void FlexGrid::rowsChanged(int top, int bottom) {
    cells_->rowsChanged(top, bottom);
}

void FlexGrid::beginBulkEdit() {
    cells_->beginBulkEdit();
}

void FlexGrid::endBulkEdit() {
    cells_->endBulkEdit();
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    // Arrow keys, Home, End and paging move the current cell as usual; everything else is the
    // table handlers' business.
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        QTableView::keyPressEvent(event);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        event->ignore();
        return;
    default:
        emit keyPressed(event);
        event->accept();
    }
}

void FlexGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    // Opening a menu (by the mouse or the keyboard) or a message box, or switching to another
    // program, is not leaving the table.
    if (!focusStaysWithTheWindow(event->reason()))
        emit focusLost();
}

bool FlexGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseMove)
        emit pointerMoved();
    // Clicking into the table makes a data cell current again, even the one it had before.
    if (event->type() == QEvent::MouseButtonPress)
        headerRowCurrent_ = false;
    return QTableView::viewportEvent(event);
}

} // namespace id
