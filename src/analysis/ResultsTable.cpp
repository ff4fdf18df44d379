#include "analysis/ResultsTable.h"

#include "app/AppContext.h"
#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "platform/FlexGrid.h"
#include "platform/Twips.h"

#include <QAction>

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
}

} // namespace id
