#pragma once

#include "diagram/RedrawPipeline.h"
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
    // A new main frame, the driver on its table.
    void start(const StartOptions& options = {}) {
        GuiFixture::start(options);
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
    // A trend of the kind in the slot, fitted to the given points as a selection picks them.
    void trendOnPoints(int slot, int kind, const OneBasedArray<double>& rates,
                       const OneBasedArray<double>& pressures) {
        frame->analysis().run([&](AnalysisState& s, CommandContext& c) {
            s.FitRates = rates;
            s.FitPressures = pressures;
            s.FitRateFrom = slot == 1 ? 0 : rates[1];
            s.FitRateTo = rates[rates.size()];
            s.TrendCount = static_cast<std::int16_t>(slot);
            s.trend(slot).Kind = static_cast<std::int16_t>(kind);
            RedrawIndicatorDiagram(s, c);
        });
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
