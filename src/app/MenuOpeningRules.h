#pragma once

#include "app/AppContext.h"

#include <QObject>

namespace id {

// The rules that recompute the enabled and checked state of a top-level menu's items every
// time that menu opens.
class MenuOpeningRules : public QObject {
    Q_OBJECT
public:
    explicit MenuOpeningRules(AppContext& context, QObject* parent = nullptr);

    void openDataMenu();
    void openDiagramMenu();
    void openTrendMenu();

private:
    AppContext& ctx_;
};

} // namespace id
