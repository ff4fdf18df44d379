#pragma once

#include "support/QtPrinters.h"

#include "app/view/AnalysisWindow.h"
#include "app/view/MainFrame.h"
#include "app/view/WorkWindow.h"
#include "platform/RecordingMessagePort.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FilePort.h"
#include "platform/view/PictureSurface.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QSettings>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace id::test {

// A main frame started headless with its messages recorded.
class GuiFixture : public ::testing::Test {
protected:
    void start(const StartOptions& options = {}) {
        clipboard.setText(QString());
        // Every test starts at the unzoomed layout, whatever one before it chose.
        QSettings().remove(QStringLiteral("view"));
        frame = std::make_unique<MainFrame>(options, &messages, &clipboard, &files);
        frame->resize(1100, 820);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    void SetUp() override { start(); }

    WorkWindow& form() { return frame->workWindow(); }
    const AnalysisState& state() { return frame->state(); }
    // Brings the analysis into a state for a test, as a command would.
    void edit(const std::function<void(AnalysisState&)>& change) {
        frame->analysis().run([&](AnalysisState& s, CommandContext&) { change(s); });
    }
    const MenuTree& menus() const { return frame->menus(); }

    // A mouse event on a chart surface at a point in the chart's own coordinates.
    static void mouseAt(PictureSurface* surface, QEvent::Type type, Qt::MouseButton button,
                        Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, double x,
                        double y) {
        const QPointF at = surface->toPixels(x, y);
        QMouseEvent event(type, at, surface->mapToGlobal(at), button, held, modifiers);
        QApplication::sendEvent(surface, &event);
    }

    RecordingMessagePort messages;
    // The program's clipboard in tests: the system one is not needed.
    MemoryClipboard clipboard;
    // File dialogs answered in advance.
    ScriptedFilePort files;
    std::unique_ptr<MainFrame> frame;
};

} // namespace id::test
