#pragma once

#include <QAbstractTableModel>
#include <QBrush>
#include <QString>
#include <functional>
#include <vector>

namespace id {

// The cells of a FlexGrid: a text and an alignment per cell in flat arrays, row by row. A run of
// rows may show texts the caller holds (an analysis's table) instead of texts of its own: a table
// of a hundred thousand rows is then held once, by the analysis, not again cell by cell here.
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
    // total rows in all, of which first … first + count − 1 show in columns 1 … lastCol the
    // caller's texts (index from 0 within the run); their other cells are empty and theirs are
    // not written here. The caller says which of them changed (rowsChanged).
    using SharedTexts = std::function<QString(int index, int col)>;
    void setSharedRows(int total, int first, int count, int lastCol, SharedTexts texts);
    void rowsChanged(int top, int bottom);

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
    bool shared(int row) const;
    // A cell's text among the texts held here (a row outside the shared run).
    std::size_t held(int row, int col) const;
    void changed(int row, int col);

    int rows_ = 0;
    int cols_ = 0;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    QBrush fixedBrush_;
    // The texts of the rows outside the shared run, row by row.
    std::vector<QString> texts_;
    int sharedFirst_ = 0;
    int sharedCount_ = 0;
    int sharedLastCol_ = 0;
    SharedTexts sharedTexts_;
    std::vector<quint16> alignments_;
    std::vector<char> greyed_;
    bool numbered_ = false;
    bool bulk_ = false;
    int bulkTop_ = 0;
    int bulkBottom_ = -1;
};

} // namespace id
