#include "analysis/AllowedPressureControls.h"

#include "analysis/ResultsTable.h"
#include "app/CommandRunner.h"
#include "app/WorkWindow.h"
#include "diagram/RedrawPipeline.h"
#include "platform/FlexGrid.h"
#include "platform/MessagePort.h"
#include "platform/PictureSurface.h"
#include "state/AnalysisState.h"

#include <QCheckBox>

namespace id {

AllowedPressureControls::AllowedPressureControls(AppContext& context, QObject* parent)
    : QObject(parent), ctx_(context) {
    WorkWindow& f = ctx_.form;
    connect(f.Check1, &QCheckBox::toggled, this,
            [this](bool ticked) { onBoxChanged(ctx_.form.Check1, ctx_.form.Check2, ticked); });
    connect(f.Check2, &QCheckBox::toggled, this,
            [this](bool ticked) { onBoxChanged(ctx_.form.Check2, ctx_.form.Check1, ticked); });
    connect(f.Picture4, &PictureSurface::mousePressed, this,
            &AllowedPressureControls::onPlotPressed);
}

void AllowedPressureControls::onBoxChanged(QCheckBox* box, QCheckBox* other, bool ticked) {
    AnalysisState& s = ctx_.state;
    if (!ticked) {
        s.AllowedBottomholePressure = 0;
        UpdateResultsTable(ctx_);
        return;
    }
    if (other->isChecked()) {
        ctx_.messages.showMessage(
            QStringLiteral("Выбирите один способ определения предельно-допустимого Pз"));
        return;
    }
    if (box != ctx_.form.Check2)
        return; // manual picks are accepted from now on
    resetResults(s);
    s.AllowedBottomholePressure = 0;
    ResetTrends(s);
    ctx_.form.MSFlexGrid2->hide();
    ctx_.form.Picture7->hide();
    ctx_.form.Picture8->hide();
    runCommand(ctx_, [this] { RedrawIndicatorDiagram(ctx_); });
}

void AllowedPressureControls::onPlotPressed(int button, int shift, double, double y) {
    const WorkWindow& f = ctx_.form;
    if (button == RightButton && shift == ShiftKey && f.Check1->isChecked() &&
        !f.Check2->isChecked()) {
        ctx_.state.AllowedBottomholePressure = y;
        UpdateResultsTable(ctx_);
    }
}

} // namespace id
