#pragma once

#include "platform/RecordingMessagePort.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>

namespace id::test {

// Everything a user can see of the program, written as text: the drawing operations of the
// charts, the tables, the input boxes, the check boxes, every menu item as its menu shows it,
// the messages and the clipboard. Controls are found by their names only, so the recording
// does not depend on how the program is built inside.
class WindowRecording {
public:
    WindowRecording(QMainWindow& frame, const RecordingMessagePort& messages,
                    const ClipboardPort& clipboard)
        : frame_(frame), messages_(messages), clipboard_(clipboard) {}

    QString text() {
        out_.clear();
        // The caption; the unsaved-changes mark is the desktop's, not the analysis's.
        line("title " + quoted(QString(frame_.windowTitle()).remove(QStringLiteral("[*]"))));
        for (const char* name : {"Picture3", "Picture4", "Picture7", "Picture8"})
            surface(name);
        grid("MSFlexGrid1");
        grid("MSFlexGrid2");
        for (const char* name : {"Pnas", "Skin", "Rkontur", "Rwell"}) {
            auto* box = find<QLineEdit>(name);
            line(QStringLiteral("%1 visible=%2 text=%3")
                     .arg(name)
                     .arg(box->isVisible())
                     .arg(quoted(box->text())));
        }
        for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
            auto* label = find<QLabel>(name);
            line(QStringLiteral("%1 visible=%2 text=%3")
                     .arg(name)
                     .arg(label->isVisible())
                     .arg(quoted(label->text())));
        }
        for (const char* name : {"Check1", "Check2"}) {
            auto* box = find<QCheckBox>(name);
            line(QStringLiteral("%1 visible=%2 checked=%3")
                     .arg(name)
                     .arg(box->isVisible())
                     .arg(box->isChecked()));
        }
        menus();
        for (const QString& message : messages_.messages())
            line("message " + quoted(message));
        line("clipboard " + quoted(clipboard_.text()));
        return out_;
    }

private:
    template <typename T> T* find(const char* name) {
        T* widget = frame_.findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    void line(const QString& text) { out_ += text + u'\n'; }
    static QString quoted(const QString& text) {
        QString escaped = text;
        escaped.replace(u'\\', QStringLiteral("\\\\"));
        escaped.replace(u'\n', QStringLiteral("\\n"));
        escaped.replace(u'\t', QStringLiteral("\\t"));
        return u'"' + escaped + u'"';
    }
    static QString number(double v) { return QString::number(v, 'g', 9); }

    void surface(const char* name) {
        auto* s = find<PictureSurface>(name);
        line(QStringLiteral("%1 visible=%2").arg(name).arg(s->isVisible()));
        // What a hidden chart still holds cannot be seen: it is drawn anew before it shows.
        if (!s->isVisible())
            return;
        for (const DrawOp& op : s->operations()) {
            switch (op.kind) {
            case DrawOp::Clear:
                line("  clear");
                break;
            case DrawOp::Scale:
                line(QStringLiteral("  scale %1 %2 %3 %4")
                         .arg(number(op.x1), number(op.y1), number(op.x2), number(op.y2)));
                break;
            case DrawOp::Line:
                line(QStringLiteral("  line %1 %2 %3 %4 c%5 w%6")
                         .arg(number(op.x1), number(op.y1), number(op.x2), number(op.y2))
                         .arg(op.color)
                         .arg(op.width));
                break;
            case DrawOp::Circle:
                line(QStringLiteral("  circle %1 %2 r%3 c%4 w%5 f%6")
                         .arg(number(op.x1), number(op.y1), number(op.radius))
                         .arg(op.color)
                         .arg(op.width)
                         .arg(op.filled));
                break;
            case DrawOp::Text:
                line(QStringLiteral("  text %1 %2 s%3 c%4 %5")
                         .arg(number(op.x1), number(op.y1), number(op.fontSize))
                         .arg(op.color)
                         .arg(quoted(op.text)));
                break;
            case DrawOp::Image:
                line(QStringLiteral("  image %1 %2").arg(number(op.x1), number(op.y1)));
                break;
            }
        }
    }

    void grid(const char* name) {
        auto* g = find<FlexGrid>(name);
        if (!g->isVisible()) {
            line(QStringLiteral("%1 visible=0").arg(name));
            return;
        }
        line(QStringLiteral("%1 visible=%2 rows=%3 height=%4 current=%5,%6")
                 .arg(name)
                 .arg(g->isVisible())
                 .arg(g->Rows())
                 .arg(g->height())
                 .arg(g->Row())
                 .arg(g->Col()));
        for (int r = 0; r < g->Rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < g->Cols(); ++c)
                cells << quoted(g->text(r, c));
            line("  " + cells.join(u' '));
        }
    }

    // Each top-level menu is opened (its opening rule runs), then its items are read.
    void menus() {
        for (const char* name : {"mEdit", "mIdd", "mTrend", "mHelp"}) {
            auto* menu = find<QMenu>(name);
            emit menu->aboutToShow();
            item(menu->menuAction(), 0);
        }
        item(find<QMenu>("mSelPointTrend")->menuAction(), 0);
    }
    void item(QAction* action, int depth) {
        // The corpus records the menus of the text; items added beyond it are not part of it.
        static const QStringList added = {"mEditUndo",   "mEditRedo", "mFileNew",
                                          "mFileOpen",   "mFileSave", "mFileSaveAs",
                                          "mFileExport", "mIdStat",   "mIdConfBands"};
        if (action->isSeparator() || added.contains(action->objectName()))
            return;
        line(QStringLiteral("%1%2 enabled=%3 checked=%4 visible=%5")
                 .arg(QString(2 * depth, u' '), action->objectName())
                 .arg(action->isEnabled())
                 .arg(action->isChecked())
                 .arg(action->isVisible()));
        if (QMenu* sub = action->menu())
            for (QAction* child : sub->actions())
                item(child, depth + 1);
    }

    QMainWindow& frame_;
    const RecordingMessagePort& messages_;
    const ClipboardPort& clipboard_;
    QString out_;
};

} // namespace id::test
