#pragma once

#include "app/AppContext.h"

#include <QObject>

class QCheckBox;

namespace id {

// The two check boxes that choose how the allowed bottom-hole pressure is determined (by hand
// on the diagram, or by the automatic search), and the manual pick itself.
class AllowedPressureControls : public QObject {
    Q_OBJECT
public:
    explicit AllowedPressureControls(AppContext& context, QObject* parent = nullptr);

private:
    // Runs after every change of a box, by the user or by the program.
    void onBoxChanged(QCheckBox* box, QCheckBox* other, bool ticked);
    void onPlotPressed(int button, int shift, double x, double y);

    AppContext& ctx_;
};

} // namespace id
