#pragma once

#include "state/AnalysisState.h"

#include <QChar>
#include <QStringList>

namespace id {

// The current cell of the measurement table and the opposite corner of its selection, in the
// table's own numbering: row 0 is the header, rows 1..n the data rows, row n + 1 the empty
// entry row; column 0 holds the row numbers.
struct TableCursor {
    int Row = 1;
    int Col = 1;
    int RowSel = 1;
    int ColSel = 1;

    bool operator==(const TableCursor&) const = default;
};

// An edited analysis and where the current cell is afterwards.
struct TableEdit {
    AnalysisState state;
    TableCursor cursor;
};

// Rows of the table, header and entry row included.
inline int tableRows(const AnalysisState& s) {
    return static_cast<int>(s.Table.size()) + 2;
}

// Text of data cell (row, col) of the table; empty for the entry row.
QString tableCell(const AnalysisState& s, int row, int col);

// A typed character (Backspace is 8, Enter 13) appended to the current cell; a character that
// is no digit or separator is refused with a message. Every key discards the analysis.
TableEdit typeCharacter(AnalysisState s, TableCursor cursor, QChar character, int lastDataColumn,
                        QStringList& messages);

// Delete: blanks the selected cells, or removes the selected rows when the selection spans all
// data columns. Only data cells are touched: the header and the numbering always survive.
TableEdit deleteSelection(AnalysisState s, TableCursor cursor, int lastDataColumn);

// "Вставить строку": an empty row before the current data row.
TableEdit insertRow(AnalysisState s, TableCursor cursor);

// "Вставить": the clipboard's two-column block written from the current row on, the table
// grown as needed. A refused block changes no cell; the analysis is discarded either way.
TableEdit pasteMeasurements(AnalysisState s, TableCursor cursor, const QString& clipboardText,
                            QStringList& messages);

} // namespace id
