#include "analysis/ResultsTable.h"

#include "app/AppContext.h"
#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "platform/FlexGrid.h"
#include "platform/Twips.h"

#include <QAction>
#include <QFontMetrics>
#include <QStyle>
#include <algorithm>

namespace id {

namespace {
constexpr double RowHeightTwips = 350;
}

EstimationMode currentEstimationMode(const MenuTree& menus) {
    if (menus.mIdSkinGidro->isChecked())
        return EstimationMode::TransmissibilityFromSkin;
    if (menus.mIdSkinSkin->isChecked())
        return EstimationMode::SkinFromTransmissibility;
    return EstimationMode::None;
}

bool resultsTableShown(const WorkWindow& form) {
    const FlexGrid* grid = form.MSFlexGrid2;
    return grid->isVisible() && grid->Rows() > 0 && !grid->text(0, 0).isEmpty();
}

namespace {

// Room a cell's text needs besides its glyphs: the view's text margins and the grid line.
int cellFrame(const FlexGrid* grid) {
    return 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 2;
}

// The value column gets what its widest value needs (at least its share of the width); the
// caption column keeps the rest and wraps a caption that no longer fits on one line.
void fitColumns(FlexGrid* grid, const std::vector<ResultRow>& rows) {
    const QFontMetrics metrics(grid->font());
    const int tableWidth = grid->width() - 2 * grid->frameWidth();
    int valueWidth = twipsToPixels(pixelsToTwips(grid->width()) * 0.15);
    for (const ResultRow& row : rows)
        valueWidth = std::max(valueWidth, metrics.horizontalAdvance(row.value) + cellFrame(grid));
    valueWidth = std::min(valueWidth, tableWidth - 4 * cellFrame(grid));
    const int captionWidth = tableWidth - valueWidth;
    grid->setColumnWidth(0, captionWidth);
    grid->setColumnWidth(1, valueWidth);
    // A wrapped caption makes its row, and so the table, taller than the usual row height.
    int extra = 0;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QRect text =
            metrics.boundingRect(QRect(0, 0, captionWidth - cellFrame(grid), 10000),
                                 Qt::TextWordWrap, rows[static_cast<std::size_t>(r)].caption);
        const int needed = text.height() + 4;
        if (needed > grid->rowHeight(r)) {
            extra += needed - grid->rowHeight(r);
            grid->setRowHeight(r, needed);
        }
    }
    grid->resize(grid->width(), grid->height() + extra);
}

} // namespace

void UpdateResultsTable(AppContext& ctx) {
    FlexGrid* grid = ctx.form.MSFlexGrid2;
    grid->hide();
    const std::vector<ResultRow> rows =
        computeResultRows(ctx.state, currentEstimationMode(ctx.menus));
    const QRect geometry = grid->geometry();
    int n = 0;
    for (const ResultRow& row : rows) {
        ++n;
        grid->setRows(n);
        const int height = twipsToPixels(n * RowHeightTwips);
        grid->setGeometry(geometry.x(), geometry.y(), geometry.width(), height);
        grid->setRowHeight(n - 1, twipsToPixels(n * RowHeightTwips) -
                                      twipsToPixels((n - 1) * RowHeightTwips));
        grid->show();
        grid->setText(n - 1, 0, row.caption);
        grid->setCellAlignment(n - 1, 1, Qt::AlignCenter);
        grid->setText(n - 1, 1, row.value);
    }
    if (n > 0)
        fitColumns(grid, rows);
}

} // namespace id
