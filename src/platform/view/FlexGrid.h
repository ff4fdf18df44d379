#pragma once

#include <QTableView>
#include <functional>

namespace id {

// Focus taken by a menu (opened by the mouse or by the keyboard), a message box or another
// program is not the user leaving a control.
inline bool focusStaysWithTheWindow(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
           reason == Qt::MenuBarFocusReason;
}

class FlexGridModel;

// A grid whose fixed header row and fixed column are its row 0 and column 0, held as ordinary
// read-only cells, so that Rows, Row, Col and cell (r, c) mean the same as in the table rules.
// Cells are never edited in place: key handlers write the texts.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    // Alignment of one cell (Qt::Alignment flags).
    void setCellAlignment(int row, int col, Qt::Alignment alignment);
    Qt::Alignment cellAlignment(int row, int col) const;
    // A row's data cells shown in grey.
    void setRowGreyed(int row, bool greyed);
    bool rowGreyed(int row) const;

    // Current cell and the opposite corner of the selection.
    int Row() const;
    int Col() const;
    int RowSel() const;
    int ColSel() const;
    void setRow(int row);
    // Makes (row, col) the current cell and the whole selection.
    void setCurrentCellAt(int row, int col);

    // Rows first … first + count − 1 (of total) show in columns 1 … lastCol texts the caller
    // holds, read through texts(index, col); the caller tells which of them changed.
    void setSharedRows(int total, int first, int count, int lastCol,
                       std::function<QString(int index, int col)> texts);
    void rowsChanged(int top, int bottom);

    // Many cell writes at once: the view is told once at the end instead of per cell.
    void beginBulkEdit();
    void endBulkEdit();

    // Fixed row and column count (0 or 1 each) shown in the grey fixed style.
    void setFixedRows(int rows);
    void setFixedCols(int cols);
    // Column 0 numbers the rows between the header and the last (entry) row by itself.
    void setNumberedRows(bool numbered);

signals:
    // The selected cells changed.
    void cellSelectionChanged();
    void keyPressed(QKeyEvent* event);
    void focusLost();
    void pointerMoved();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    FlexGridModel* cells_;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    // Row 0 current after focus loss: Qt keeps its own current cell, the table rules see row 0.
    bool headerRowCurrent_ = false;
};

} // namespace id
