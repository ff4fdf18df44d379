#include "app/MenuOpeningRules.h"

#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "platform/FlexGrid.h"
#include "platform/PictureSurface.h"
#include "state/AnalysisState.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>

namespace id {

MenuOpeningRules::MenuOpeningRules(AppContext& context, QObject* parent)
    : QObject(parent), ctx_(context) {
    connect(ctx_.menus.mEdit, &QMenu::aboutToShow, this, &MenuOpeningRules::openDataMenu);
    connect(ctx_.menus.mIdd, &QMenu::aboutToShow, this, &MenuOpeningRules::openDiagramMenu);
    connect(ctx_.menus.mTrend, &QMenu::aboutToShow, this, &MenuOpeningRules::openTrendMenu);
}

void MenuOpeningRules::openDataMenu() {
    const MenuTree& m = ctx_.menus;
    if (ctx_.form.MSFlexGrid1->Row() < 1) {
        m.mEditPaste->setEnabled(false);
    } else {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        m.mEditPaste->setEnabled(data && data->hasText() && !data->text().isEmpty());
    }
    const AnalysisState& s = ctx_.state;
    m.mEditSave->setEnabled(
        s.DatabaseRecordLoaded &&
        (s.ProductivityIndex > 0 || s.ReservoirPressure > 0 || s.AllowedBottomholePressure > 0));
}

void MenuOpeningRules::openDiagramMenu() {
    const MenuTree& m = ctx_.menus;
    const WorkWindow& f = ctx_.form;
    FlexGrid* grid = f.MSFlexGrid1;
    m.mIdAdd->setEnabled(grid->Rows() > 2 && !grid->text(1, 1).isEmpty() &&
                         !grid->text(1, 2).isEmpty());
    const bool diagramShown = f.Picture3->isVisible() && f.Picture4->isVisible();
    const bool piChartShown = f.Picture7->isVisible() && f.Picture8->isVisible();
    m.mIdFormat->menuAction()->setEnabled(diagramShown);
    m.mIdFormatX->setEnabled(diagramShown);
    m.mIdFormatY->setEnabled(diagramShown);
    m.mEditCopy->menuAction()->setEnabled(diagramShown);
    m.mIdFormatYPIQ->setEnabled(piChartShown);
    m.mEditCopyPIGraf->setEnabled(piChartShown);
    m.mIdSkin->menuAction()->setEnabled(ctx_.state.FirstTrendKind < QuadraticTrend);
}

void MenuOpeningRules::openTrendMenu() {
    const MenuTree& m = ctx_.menus;
    if (!m.mTrendAddSelectPoint->isChecked()) {
        m.mTrendAdd->menuAction()->setEnabled(true);
        const int points = ctx_.state.FitPointCount;
        if (points >= 1) {
            m.mTrendLine->setEnabled(points >= 2);
            m.mTrendPolinom2->setEnabled(points >= 3);
            m.mTrendPolinom3->setEnabled(points > 3);
        }
    } else {
        m.mTrendAdd->menuAction()->setEnabled(false);
    }
    m.mTrendDelete->setEnabled(ctx_.state.TrendCount >= 1);
}

} // namespace id
