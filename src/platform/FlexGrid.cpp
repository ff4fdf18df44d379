#include "platform/FlexGrid.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace id {

namespace {
constexpr Qt::ItemFlags CellFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(parent) {
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
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
        headerRowCurrent_ = false;
        // The fixed row and column are never current, as in a grid with real fixed cells.
        if (row >= 0 && col >= 0 && (row < fixedRows_ || col < fixedCols_) &&
            rowCount() > fixedRows_ && columnCount() > fixedCols_)
            setCurrentCell(std::max(row, fixedRows_), std::max(col, fixedCols_),
                           QItemSelectionModel::ClearAndSelect);
    });
}

void FlexGrid::setRows(int rows) {
    const int old = rowCount();
    setRowCount(rows);
    ensureCells(old, rows);
}

void FlexGrid::ensureCells(int from, int to) {
    for (int r = from; r < to; ++r)
        for (int c = 0; c < columnCount(); ++c)
            cell(r, c);
}

void FlexGrid::setCols(int cols) {
    const int old = columnCount();
    setColumnCount(cols);
    for (int r = 0; r < rowCount(); ++r)
        for (int c = old; c < cols; ++c)
            cell(r, c);
}

void FlexGrid::styleCell(QTableWidgetItem* item, int row, int col) const {
    const bool fixed = row < fixedRows_ || col < fixedCols_;
    item->setFlags(fixed ? Qt::ItemIsEnabled : CellFlags);
    if (fixed)
        item->setBackground(palette().button());
}

QTableWidgetItem* FlexGrid::cell(int row, int col) {
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        styleCell(it, row, col);
        setItem(row, col, it);
    }
    return it;
}

QString FlexGrid::text(int row, int col) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void FlexGrid::setText(int row, int col, const QString& text) {
    cell(row, col)->setText(text);
}

void FlexGrid::setCellAlignment(int row, int col, Qt::Alignment alignment) {
    cell(row, col)->setTextAlignment(alignment);
}

Qt::Alignment FlexGrid::cellAlignment(int row, int col) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? Qt::Alignment(it->textAlignment()) : Qt::Alignment();
}

int FlexGrid::Row() const {
    if (headerRowCurrent_)
        return 0;
    return std::max(currentRow(), 0);
}

int FlexGrid::Col() const {
    return std::max(currentColumn(), 0);
}

int FlexGrid::RowSel() const {
    if (headerRowCurrent_)
        return 0;
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty())
        return Row();
    const QTableWidgetSelectionRange& r = ranges.first();
    return r.topRow() == Row() ? r.bottomRow() : r.topRow();
}

int FlexGrid::ColSel() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty())
        return Col();
    const QTableWidgetSelectionRange& r = ranges.first();
    return r.leftColumn() == Col() ? r.rightColumn() : r.leftColumn();
}

void FlexGrid::setRow(int row) {
    if (row == 0) {
        headerRowCurrent_ = true;
        return;
    }
    setCurrentCellAt(row, Col());
}

void FlexGrid::setCol(int col) {
    setCurrentCellAt(Row(), col);
}

void FlexGrid::setCurrentCellAt(int row, int col) {
    setCurrentCell(row, col, QItemSelectionModel::ClearAndSelect);
    // The view's own call also moves the start of Shift-selections here; the cell it started
    // from may now hold other data.
    QAbstractItemView::setCurrentIndex(model()->index(row, col));
    headerRowCurrent_ = false;
}

void FlexGrid::insertRowAt(int index) {
    insertRow(index);
    for (int c = 0; c < columnCount(); ++c)
        cell(index, c);
}

void FlexGrid::removeRowAt(int index) {
    removeRow(index);
}

void FlexGrid::appendRow() {
    setRows(rowCount() + 1);
}

void FlexGrid::beginBulkEdit() {
    setUpdatesEnabled(false);
    model()->blockSignals(true);
}

void FlexGrid::endBulkEdit() {
    model()->blockSignals(false);
    setUpdatesEnabled(true);
    viewport()->update();
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
        QTableWidget::keyPressEvent(event);
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
    QTableWidget::focusOutEvent(event);
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
    return QTableWidget::viewportEvent(event);
}

} // namespace id
