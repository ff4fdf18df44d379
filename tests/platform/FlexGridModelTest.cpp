#include "platform/view/FlexGridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace id {
namespace {

// A run of rows showing the caller's texts: the rows outside it keep their own, a row that
// leaves the run is empty, its cells are not written, and every change of the rows is told to
// the views as the model tester checks it.
TEST(FlexGridModel, SharedRowsShowTheCallersTextsAndKeepTheirOwn) {
    FlexGridModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.setCols(4);
    m.setRows(3);
    m.setText(0, 1, "Дебит");
    m.setText(1, 1, "own");
    m.setText(2, 2, "entry");
    const auto cell = [](int i, int c) { return QString("r%1c%2").arg(i).arg(c); };
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    m.setSharedRows(5, 1, 3, 2, cell);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(m.rowCount(), 5);
    struct Case {
        int row, col;
        QString text;
    };
    for (const Case& c : std::initializer_list<Case>{
             {0, 1, "Дебит"}, {1, 1, "r0c1"}, {3, 2, "r2c2"}, {2, 3, ""}, {4, 2, ""}})
        EXPECT_EQ(m.text(c.row, c.col), c.text) << c.row << "," << c.col;
    m.setText(2, 1, "typed");
    EXPECT_EQ(m.text(2, 1), "r1c1") << "a shared cell is the caller's";
    m.setText(4, 1, "last");

    // The run shrinks: its old last rows leave it empty, the rows before it keep theirs.
    QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
    m.setSharedRows(4, 1, 1, 2, cell);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(m.text(1, 2), "r0c2");
    EXPECT_EQ(m.text(2, 1), "");
    EXPECT_EQ(m.text(0, 1), "Дебит");
    m.setText(3, 1, "entry");
    m.setCols(5);
    EXPECT_EQ(m.text(0, 1), "Дебит");
    EXPECT_EQ(m.text(1, 2), "r0c2");
    EXPECT_EQ(m.text(3, 1), "entry");
    // Rows removed after the run leave it; rows cut into it end it, what is left being empty.
    m.setRows(2);
    EXPECT_EQ(m.text(1, 2), "r0c2");
    m.setSharedRows(4, 1, 3, 2, cell);
    m.setRows(2);
    EXPECT_EQ(m.text(0, 1), "Дебит");
    EXPECT_EQ(m.text(1, 2), "");
    m.setRows(3);
    EXPECT_EQ(m.text(1, 1), "");
    m.setText(1, 1, "own again");
    EXPECT_EQ(m.text(1, 1), "own again");
}

// The rows a caller says changed are told to the views once, as one range, inside a bulk edit.
TEST(FlexGridModel, ChangedSharedRowsAreToldAsOneRange) {
    FlexGridModel m;
    m.setCols(3);
    m.setSharedRows(10, 1, 8, 2, [](int i, int c) { return QString::number(i * 10 + c); });
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    m.beginBulkEdit();
    m.rowsChanged(4, 6);
    m.rowsChanged(2, 3);
    m.setRowGreyed(9, true);
    m.endBulkEdit();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), m.index(2, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), m.index(9, 2));
    m.rowsChanged(7, 20);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[1][1].toModelIndex(), m.index(9, 2)) << "within the rows";
}

} // namespace
} // namespace id
