#include "analysis/FormationInputs.h"

#include "analysis/FormationInputCheck.h"
#include "analysis/ResultsTable.h"
#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "measurements/DiscardAnalysis.h"
#include "platform/FlexGrid.h"
#include "state/AnalysisState.h"
#include "state/NumberText.h"

#include <QAction>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace id {

FormationInputs::FormationInputs(AppContext& context, QObject* parent)
    : QObject(parent), ctx_(context) {
    WorkWindow& f = ctx_.form;
    for (QLineEdit* box : {f.Pnas, f.Skin, f.Rkontur, f.Rwell})
        box->installEventFilter(this);
    connect(f.Pnas, &QLineEdit::textChanged, this,
            [this] { DiscardAnalysis(ctx_, DiscardVariant::Key); });

    const MenuTree& m = ctx_.menus;
    connect(m.mIdSkinGidro, &QAction::triggered, this, [this](bool checked) {
        restoreMarkBeforeClick(ctx_.menus.mIdSkinGidro, checked);
        estimateTransmissibilityFromSkin();
    });
    connect(m.mIdSkinSkin, &QAction::triggered, this, [this](bool checked) {
        restoreMarkBeforeClick(ctx_.menus.mIdSkinSkin, checked);
        estimateSkinFromTransmissibility();
    });
    connect(m.mIdSkinNot, &QAction::triggered, this, [this](bool checked) {
        restoreMarkBeforeClick(ctx_.menus.mIdSkinNot, checked);
        withoutEstimate();
    });
}

void checkFormationInputsOfForm(AppContext& ctx) {
    const WorkWindow& f = ctx.form;
    CheckFormationInputs(ctx.state,
                         {f.Pnas->text(), f.Skin->text(), f.Rkontur->text(), f.Rwell->text()},
                         currentEstimationMode(ctx.menus), ctx.messages);
}

void FormationInputs::CheckFormationInputs() {
    checkFormationInputsOfForm(ctx_);
}

void FormationInputs::estimateTransmissibilityFromSkin() {
    selectEstimatingMode(ctx_.menus.mIdSkinGidro, false);
}

void FormationInputs::estimateSkinFromTransmissibility() {
    selectEstimatingMode(ctx_.menus.mIdSkinSkin, true);
}

void FormationInputs::selectEstimatingMode(QAction* item, bool skinHoldsTransmissibility) {
    AnalysisState& s = ctx_.state;
    const MenuTree& m = ctx_.menus;
    WorkWindow& f = ctx_.form;
    if (s.ProductivityIndex == 0 && s.TrendCount > 0)
        return;
    if (item->isChecked())
        return;
    m.mIdSkinGidro->setChecked(item == m.mIdSkinGidro);
    m.mIdSkinSkin->setChecked(item == m.mIdSkinSkin);
    m.mIdSkinNot->setChecked(false);

    f.Skin->show();
    f.Label2->show();
    f.Skin->setText(skinHoldsTransmissibility ? QStringLiteral("10") : QStringLiteral("0"));
    f.setLabelText(f.Label2, skinHoldsTransmissibility
                                 ? QStringLiteral("Гидропроводность, Д*см/сПз")
                                 : QStringLiteral("Скин-эффект"));
    const double skinBox = readNumber(f.Skin->text()).value_or(0);
    if (skinHoldsTransmissibility)
        s.Transmissibility = skinBox;
    else
        s.SkinFactor = skinBox;

    f.Rkontur->show();
    f.Rkontur->setText(QStringLiteral("300"));
    f.Label3->show();
    f.setLabelText(f.Label3, QStringLiteral("Радиус контура питания, м"));
    s.DrainageRadius = readNumber(f.Rkontur->text()).value_or(FormationDefaults::DrainageRadius);

    f.Rwell->show();
    f.Rwell->setText(formatGeneral(0.1));
    f.Label4->show();
    f.setLabelText(f.Label4, QStringLiteral("Радиус скважины, м"));
    s.WellRadius = readNumber(f.Rwell->text()).value_or(FormationDefaults::WellRadius);

    if (resultsTableShown(f)) {
        CheckFormationInputs();
        UpdateResultsTable(ctx_);
    }
}

void FormationInputs::withoutEstimate() {
    const MenuTree& m = ctx_.menus;
    if (m.mIdSkinNot->isChecked())
        return;
    hideEstimationInputs();
    if (resultsTableShown(ctx_.form))
        UpdateResultsTable(ctx_);
}

void FormationInputs::switchEstimationOffQuietly() {
    if (ctx_.menus.mIdSkinNot->isChecked())
        return;
    hideEstimationInputs();
}

void FormationInputs::hideEstimationInputs() {
    const MenuTree& m = ctx_.menus;
    m.mIdSkinGidro->setChecked(false);
    m.mIdSkinSkin->setChecked(false);
    m.mIdSkinNot->setChecked(true);
    WorkWindow& f = ctx_.form;
    for (QWidget* w :
         std::initializer_list<QWidget*>{f.Skin, f.Label2, f.Rkontur, f.Label3, f.Rwell, f.Label4})
        w->hide();
}

bool FormationInputs::eventFilter(QObject* watched, QEvent* event) {
    WorkWindow& f = ctx_.form;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* box = qobject_cast<QLineEdit*>(watched);
        // The decimal separator is the comma; a typed full stop becomes one.
        if (box && key->text() == QStringLiteral(".")) {
            box->insert(QStringLiteral(","));
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or menu taking the focus is not the user leaving the box.
        const bool leftTheBox =
            reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        if (leftTheBox && (watched == f.Skin || watched == f.Rkontur || watched == f.Rwell) &&
            resultsTableShown(f)) {
            CheckFormationInputs();
            UpdateResultsTable(ctx_);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace id
