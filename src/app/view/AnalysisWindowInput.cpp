#include "analysis/EstimationModes.h"
#include "app/AllowedPressureCommands.h"
#include "app/AxisCommands.h"
#include "app/CommandTable.h"
#include "app/DataCommands.h"
#include "app/MenuRules.h"
#include "app/ModelCommands.h"
#include "app/view/AnalysisWindow.h"
#include "app/view/WorkWindow.h"
#include "charts/view/ChartUtilities.h"
#include "diagram/BreakTrends.h"
#include "document/RecentFiles.h"
#include "measurements/ClipboardTable.h"
#include "platform/MessagePort.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"
#include "platform/view/RubberBand.h"
#include "state/NumberText.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>

// The keys on the measurement table and the mouse on the diagram.
namespace id {

void AnalysisWindow::onTableKey(QKeyEvent* event) {
    const FlexGrid* grid = form_.MSFlexGrid1;
    // With no data cell current (after the table lost focus) keys are ignored.
    if (grid->Row() < 1 || grid->Col() < 1)
        return;
    // The platform's paste and copy keys run the menu's commands, under the menus' rules.
    if (event->matches(QKeySequence::Paste)) {
        if (dataMenuState(state(), menuFacts()).paste)
            pasteFromClipboard();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        if (diagramMenuState(state()).copy)
            copyFitSet();
        return;
    }
    // No menu command cuts: the cut keys (Shift+Delete among them) neither type nor delete.
    if (event->matches(QKeySequence::Cut))
        return;
    const int last = document_.options().lastDataColumn();
    if (event->key() == Qt::Key_Delete) {
        runTableEdit([last](AnalysisState s,
                            TableCursor c) { return deleteSelection(std::move(s), c, last); },
                     QStringLiteral("удаление"));
        return;
    }
    QChar character;
    if (event->key() == Qt::Key_Backspace) {
        character = QChar(8);
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        character = QChar(13);
    } else {
        // Shortcuts, Escape and keys that type nothing are no characters for the cell.
        const QString text = event->text();
        if (text.isEmpty() || !text.at(0).isPrint() ||
            (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return;
        character = text.at(0);
    }
    QStringList messages;
    runTableEdit(
        [&](AnalysisState s, TableCursor c) {
            return typeCharacter(std::move(s), c, character, last, messages);
        },
        QStringLiteral("ввод"), QStringLiteral("cell %1,%2").arg(grid->Row()).arg(grid->Col()));
    for (const QString& message : messages)
        messages_.showMessage(message);
}

void AnalysisWindow::onPlotPressed(int button, int shift, double x, double y) {
    // Ctrl+click leaves the point under the pointer out of the analysis, or brings it back.
    if (button == LeftMouseButton && shift == CtrlKey) {
        const PictureSurface& plot = *form_.Picture4;
        constexpr double PointerReach = 6; // pixels
        const double rateReach = std::abs(plot.ScaleWidth()) / plot.width() * PointerReach;
        const double pressureReach = std::abs(plot.ScaleHeight()) / plot.height() * PointerReach;
        run([=](AnalysisState& s,
                CommandContext& c) { togglePointExclusion(s, c, x, y, rateReach, pressureReach); },
            QStringLiteral("исключение точки"));
        return;
    }
    // The right button with Shift picks the allowed pressure; the left one starts a selection.
    if (picksAllowedPressure(state(), button, shift))
        run([=](AnalysisState& s, CommandContext&) { pickAllowedPressure(s, button, shift, y); },
            QStringLiteral("выбор Pз"));
    pressSelection(drag_, state().SelectionMode, button, shift, x, y);
    showRubberBands();
}

void AnalysisWindow::onPlotMoved(int buttons, int shift, double x, double y) {
    moveSelection(drag_, state().SelectionMode, state().WellType, buttons, shift, x, y);
    showRubberBands();
    form_.Picture9->hide();
    showReadout(*form_.Picture5, readoutText(x, y, DiagramReadoutUnit));
}

void AnalysisWindow::onPlotReleased(int button, int, double x, double y) {
    if (button != LeftMouseButton || !state().SelectionMode)
        return;
    SelectionPopup popup = SelectionPopup::None;
    // The selection itself is no step of its own: the trend chosen from it is.
    run([&](AnalysisState& s, CommandContext&) { popup = releaseSelection(s, drag_, x, y); },
        NoUndo);
    if (popup != SelectionPopup::None) {
        offerSelectionPopup(menus_, popup == SelectionPopup::Line, state().fitPointCount());
        QAction* chosen = popupChooser_(*menus_.mSelPointTrend);
        const int kind = chosenTrendKind(menus_, chosen);
        if (chosen && chosen == menus_.mSelPointTrendBreak && chosen->isEnabled())
            run(addBreakTrends, QStringLiteral("излом"));
        if (kind != NoTrend)
            run([kind](AnalysisState& s, CommandContext& c) { addTrendByPickedPoints(s, c, kind); },
                QStringLiteral("линия тренда"));
    }
    drag_.bands.rectangleShown = false;
    drag_.bands.lineShown = false;
    showRubberBands();
}

void AnalysisWindow::showRubberBands() {
    const RubberBands& b = drag_.bands;
    const PictureSurface& plot = *form_.Picture4;
    if (b.rectangleShown) {
        // Top is the pressure at the upper edge on screen; the lower edge is a height away.
        const double bottom =
            state().WellType == InjectionWell ? b.top + b.height : b.top - b.height;
        form_.Shape1->setRectangle(
            QRectF(plot.toPixels(b.left, b.top), plot.toPixels(b.left + b.width, bottom)));
    }
    if (b.lineShown)
        form_.Line1->setLine(QLineF(plot.toPixels(b.x1, b.y1), plot.toPixels(b.x2, b.y2)));
    form_.Shape1->setVisible(b.rectangleShown);
    form_.Line1->setVisible(b.lineShown);
}

} // namespace id
