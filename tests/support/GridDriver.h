#pragma once

#include "platform/view/FlexGrid.h"

#include <QTest>

namespace id::test {

// Drives a grid with real mouse clicks and key presses.
struct GridDriver {
    FlexGrid* grid;

    QPoint centre(int row, int col) const {
        return grid->visualRect(grid->model()->index(row, col)).center();
    }
    void click(int row, int col) {
        grid->setFocus();
        grid->scrollTo(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre(row, col));
    }
    // Selects from (row1, col1) to (row2, col2) as a click and a shift-click do.
    void select(int row1, int col1, int row2, int col2) {
        click(row1, col1);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(row2, col2));
    }
    void type(const QString& keys) { QTest::keyClicks(grid, keys); }
    void key(Qt::Key key) { QTest::keyClick(grid, key); }

    // Types rate and pressure into consecutive rows from row 1, as a user would.
    void typeRows(const std::vector<std::pair<QString, QString>>& rows) {
        int r = 1;
        for (const auto& [rate, pressure] : rows) {
            click(r, 1);
            type(rate);
            click(r, 2);
            type(pressure);
            ++r;
        }
    }
    QStringList column(int col) const {
        QStringList texts;
        for (int r = 0; r < grid->Rows(); ++r)
            texts << grid->text(r, col);
        return texts;
    }
};

} // namespace id::test
