#include "measurements/TableEditing.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace id {
namespace {

// A table of rate/pressure rows, as typed.
AnalysisState tableOf(const std::vector<std::pair<QString, QString>>& rows) {
    AnalysisState s;
    for (const auto& [rate, pressure] : rows)
        s.Table.push_back({rate, pressure, {}});
    return s;
}

QStringList column(const AnalysisState& s, int col) {
    QStringList texts;
    for (int r = 1; r < tableRows(s) - 1; ++r)
        texts << tableCell(s, r, col);
    return texts;
}

// The analysis a table edit must discard.
AnalysisState built(AnalysisState s) {
    s.TrendCount = 1;
    s.ProductivityIndex = 2;
    s.DiagramShown = true;
    s.ResultsShown = true;
    s.ManualPick = true;
    return s;
}

TEST(TableEditing, TypedCharactersAndTheEntryRow) {
    struct Case {
        const char* name;
        int row, col, lastColumn;
        QString keys;
        QStringList column;
        int messages;
        int rowAfter;
    };
    const Case cases[] = {
        {"full stop is a comma", 1, 1, 2, "12.5", {"12,5", "9"}, 0, 1},
        {"full stop stays in the date column", 1, 3, 3, "12.5", {"12.5", ""}, 0, 1},
        {"backspace removes the last character", 1, 2, 2, "45\b", {"4", "9"}, 0, 1},
        {"backspace in an empty cell", 1, 2, 2, "\b", {"", "9"}, 0, 1},
        {"refused character still numbers the entry row", 3, 1, 2, "-", {"", "9", ""}, 1, 3},
        {"enter on the entry row moves into a new one", 3, 1, 2, "\r", {"", "9", ""}, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TableEdit edit{built(tableOf({{"", ""}, {"9", "9"}})), {c.row, c.col, c.row, c.col}};
        QStringList messages;
        for (const QChar key : c.keys)
            edit = typeCharacter(edit.state, edit.cursor, key == u'\b' ? QChar(8) : key,
                                 c.lastColumn, messages);
        EXPECT_EQ(column(edit.state, c.col), c.column);
        EXPECT_EQ(messages.size(), c.messages);
        EXPECT_EQ(edit.cursor.Row, c.rowAfter);
        EXPECT_FALSE(edit.state.DiagramShown || edit.state.ResultsShown);
        EXPECT_EQ(edit.state.TrendCount, 0);
        EXPECT_TRUE(edit.state.ManualPick); // the key variant keeps the ticks
    }
}

TEST(TableEditing, DeleteBlanksCellsOrRemovesWholeRows) {
    struct Case {
        const char* name;
        TableCursor cursor;
        QStringList rates;
        QStringList pressures;
    };
    // Five rows 10/20 .. 50/16; the entry row is row 6.
    const Case cases[] = {
        {"one cell", {3, 2, 3, 2}, {"10", "20", "30", "40", "50"}, {"20", "19", "", "17", "16"}},
        {"the entry row counts as the row above",
         {6, 1, 6, 1},
         {"10", "20", "30", "40", ""},
         {"20", "19", "18", "17", "16"}},
        {"rows 2 and 3 across both columns", {2, 1, 3, 2}, {"10", "40", "50"}, {"20", "17", "16"}},
        {"from the header cell", {3, 1, 0, 2}, {"40", "50"}, {"17", "16"}},
        {"from a row number", {1, 0, 3, 2}, {"40", "50"}, {"17", "16"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TableEdit edit = deleteSelection(
            tableOf({{"10", "20"}, {"20", "19"}, {"30", "18"}, {"40", "17"}, {"50", "16"}}),
            c.cursor, 2);
        EXPECT_EQ(column(edit.state, 1), c.rates);
        EXPECT_EQ(column(edit.state, 2), c.pressures);
    }
    const TableEdit empty = deleteSelection(AnalysisState{}, {1, 1, 1, 2}, 2);
    EXPECT_EQ(tableRows(empty.state), 2);
}

TEST(TableEditing, PasteWritesFromTheCurrentRowAndGrowsTheTable) {
    struct Case {
        const char* name;
        int row;
        QString text;
        QStringList rates;
        int rowAfter;
    };
    // Three rows 1/9, 2/8, 3/7 (table rows 5 with header and entry row).
    const Case cases[] = {
        {"two lines from row 2 insert nothing", 2, "12,5\t10,1\n15\t9\n", {"1", "12,5", "15"}, 3},
        {"three lines from row 3 insert two",
         3,
         "4\t6\r\n5\t5\r\n6\t4\r\n",
         {"1", "2", "4", "5", "6"},
         5},
        {"three lines from row 2 insert one", 2, "4\t6\n5\t5\n6\t4", {"1", "4", "5", "6"}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList messages;
        const TableEdit edit =
            pasteMeasurements(built(tableOf({{"1", "9"}, {"2", "8"}, {"3", "7"}})),
                              {c.row, 1, c.row, 1}, c.text, messages);
        EXPECT_EQ(column(edit.state, 1), c.rates);
        EXPECT_EQ(edit.cursor, (TableCursor{c.rowAfter, 2, c.rowAfter, 2}));
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_FALSE(edit.state.ManualPick); // the insertion variant unticks the boxes
    }
    QStringList messages;
    const TableEdit fresh =
        pasteMeasurements({}, {1, 1, 1, 1}, "1\t2\n3\t4\n5\t6\n7\t8\n", messages);
    EXPECT_EQ(column(fresh.state, 1), QStringList({"1", "3", "5", "7"}));
    const TableEdit refused =
        pasteMeasurements(built(tableOf({{"1", "9"}})), {1, 1, 1, 1}, "1\t2\t3\n", messages);
    EXPECT_EQ(column(refused.state, 1), QStringList({"1"}));
    EXPECT_EQ(messages, QStringList({"Столбцов должно быть два, а Вы скопировали 3"}));
    EXPECT_FALSE(refused.state.DiagramShown); // discarded all the same
}

TEST(TableEditing, RowInsertionBeforeTheCurrentDataRowOnly) {
    const AnalysisState s = built(tableOf({{"10", "20"}, {"20", "19"}}));
    const TableEdit inserted = insertRow(s, {2, 1, 2, 1});
    EXPECT_EQ(column(inserted.state, 1), QStringList({"10", "", "20"}));
    EXPECT_FALSE(inserted.state.DiagramShown);
    const TableEdit onEntryRow = insertRow(s, {3, 1, 3, 1});
    EXPECT_EQ(onEntryRow.state, s); // nothing at all, the analysis stays
}

} // namespace
} // namespace id
