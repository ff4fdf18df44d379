#include "measurements/DiscardAnalysis.h"

#include "app/AppContext.h"
#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "platform/FlexGrid.h"
#include "platform/PictureSurface.h"
#include "state/AnalysisState.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>

namespace id {

void DiscardAnalysis(AppContext& ctx, DiscardVariant variant) {
    resetResults(ctx.state);
    ctx.state.AllowedBottomholePressure = 0;
    ResetTrends(ctx.state);
    WorkWindow& f = ctx.form;
    f.Picture3->hide();
    f.Picture4->hide();
    f.Picture7->hide();
    f.Picture8->hide();
    // Both variants: with neither allowed-pressure box ticked, unticking would not hide the
    // table, and stale results would stay next to an empty chart area.
    f.MSFlexGrid2->hide();
    f.Check1->hide();
    f.Check2->hide();
    if (variant == DiscardVariant::Insertion) {
        f.Check1->setChecked(false);
        f.Check2->setChecked(false);
    }
    ctx.menus.mTrend->menuAction()->setEnabled(false);
}

} // namespace id
