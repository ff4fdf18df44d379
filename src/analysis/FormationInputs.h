#pragma once

#include "app/AppContext.h"

#include <QObject>

class QAction;
class QLineEdit;

namespace id {

// Validates the formation-input boxes of the work window into the analysis state.
void checkFormationInputsOfForm(AppContext& context);

// The formation-input boxes and the estimation-mode commands of the "Оценка" submenu.
class FormationInputs : public QObject {
    Q_OBJECT
public:
    explicit FormationInputs(AppContext& context, QObject* parent = nullptr);

    // Validates the boxes into the analysis state, with defaults and messages for bad input.
    void CheckFormationInputs();
    // Switches estimation off the way the polynomial trend commands do: check marks and hidden
    // inputs only, the results table is not refreshed.
    void switchEstimationOffQuietly();

    void estimateTransmissibilityFromSkin();
    void estimateSkinFromTransmissibility();
    void withoutEstimate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectEstimatingMode(QAction* item, bool skinHoldsTransmissibility);
    void hideEstimationInputs();

    AppContext& ctx_;
};

} // namespace id
