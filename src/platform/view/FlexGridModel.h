#pragma once

#include <QAbstractTableModel>
#include <QBrush>
#include <QString>
#include <vector>

namespace id {

// The cells of a FlexGrid: a text and an alignment per cell in one flat array, row by row. The
// texts share their characters with the analysis that wrote them, so a table of a hundred
// thousand rows costs a few megabytes, not a cell object per cell.
class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FlexGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setRows(int rows);
    void setCols(int cols);
    void insertRowAt(int index);
    void removeRowAt(int index);

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    Qt::Alignment alignment(int row, int col) const;
    // A row's data cells in grey (a measurement left out).
    bool rowGreyed(int row) const;
    void setRowGreyed(int row, bool greyed);
    void setAlignment(int row, int col, Qt::Alignment alignment);

    // Fixed rows and columns (0 or 1 each) are not selectable and painted in the fixed style.
    void setFixed(int rows, int cols);
    void setFixedBrush(const QBrush& brush) { fixedBrush_ = brush; }
    // Column 0 of the rows between the header and the last row shows the row's number, computed
    // rather than stored; writes to those cells are ignored.
    void setNumberedRows(bool numbered);

    // Many cell writes at once: the view is told once, at the end, instead of per cell.
    void beginBulkEdit();
    void endBulkEdit();

private:
    bool valid(int row, int col) const;
    bool numberCell(int row, int col) const;
    std::size_t at(int row, int col) const;
    void changed(int row, int col);

    int rows_ = 0;
    int cols_ = 0;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    QBrush fixedBrush_;
    std::vector<QString> texts_;
    std::vector<quint16> alignments_;
    std::vector<char> greyed_;
    bool numbered_ = false;
    bool bulk_ = false;
    int bulkTop_ = 0;
    int bulkBottom_ = -1;
};

} // namespace id
