#pragma once

#include "support/GridDriver.h"
#include "support/GuiFixture.h"

#include <QApplication>
#include <QMenu>

namespace id::test {

// A started program driven through its menus, with helpers to enter measurements.
class AnalysisFixture : public GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        driver = GridDriver{frame->workWindow().MSFlexGrid1};
    }
    // Runs the opening rules of the menus above the item, then chooses it if it is offered.
    bool choose(QAction* item) {
        std::vector<QMenu*> chain;
        for (QObject* o = item->parent(); auto* menu = qobject_cast<QMenu*>(o); o = o->parent())
            chain.push_back(menu);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            emit(*it)->aboutToShow();
            if (!(*it)->menuAction()->isEnabled())
                return false;
        }
        if (!item->isEnabled())
            return false;
        item->trigger();
        return true;
    }
    void paste(const QString& text) {
        driver.click(1, 1);
        clipboard.setText(text);
        choose(menus().mEditPaste);
    }
    void build(const QString& text) {
        paste(text);
        ASSERT_TRUE(choose(menus().mIdAdd));
    }
    QStringList resultCaptions() {
        QStringList list;
        auto* grid = frame->workWindow().MSFlexGrid2;
        if (!grid->isVisible())
            return list;
        for (int r = 0; r < grid->Rows(); ++r)
            list << grid->text(r, 0);
        return list;
    }
    GridDriver driver{nullptr};
};

} // namespace id::test
