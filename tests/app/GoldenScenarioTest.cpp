#include "app/view/AnalysisWindow.h"
#include "support/AnalysisFixture.h"
#include "support/WindowRecording.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <functional>

namespace id {
namespace {

// User scenarios through the real window, each recorded whole (drawings, tables, inputs, menus,
// messages) and compared with its recording under tests/golden. The recordings are what the
// program showed when they were made; a difference is a change of behaviour. To accept a change
// on purpose, run with ID_UPDATE_GOLDEN=1 and review the diff of the recordings.
class GoldenScenarios : public test::AnalysisFixture {
public:
    QAction* item(const char* name) {
        for (QAction* action : frame->findChildren<QAction*>(QString::fromLatin1(name)))
            if (!action->menu())
                return action;
        ADD_FAILURE() << "no menu item " << name;
        return nullptr;
    }
    // Chooses a menu item as a user would: opening its menus first; an item that is not
    // offered is not chosen.
    void pick(const char* name) { choose(item(name)); }
    void pasteRows(const QString& text, int row = 1) {
        driver.click(row, 1);
        clipboard.setText(text);
        choose(item("mEditPaste"));
    }
    void buildWith(const QString& text) {
        pasteRows(text);
        pick("mIdAdd");
    }
    QLineEdit* box(const char* name) {
        return frame->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    void typeInto(const char* name, const QString& keys) {
        QLineEdit* b = box(name);
        b->setFocus();
        b->selectAll();
        QTest::keyClick(b, Qt::Key_Delete);
        QTest::keyClicks(b, keys);
        form().MSFlexGrid1->setFocus(); // leaving the box
    }
    void tick(const char* name) {
        frame->findChild<QCheckBox*>(QString::fromLatin1(name))->click();
    }
    void pressOnPlot(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double pressure) {
        auto* plot = frame->findChild<PictureSurface*>(QStringLiteral("Picture4"));
        const QPointF at = plot->toPixels(state().IdAxisXMax / 2, pressure);
        QTest::mousePress(plot, button, modifiers, at.toPoint());
        QTest::mouseRelease(plot, button, modifiers, at.toPoint());
    }

    test::GridDriver& grid() { return driver; }
    // A left drag on the plot from (q1; p1) to (q2; p2), the pop-up answered with the item named.
    void pickPoints(double q1, double p1, double q2, double p2, const char* item,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        frame->analysis().setPopupChooser(
            [item](QMenu& menu) { return menu.findChild<QAction*>(QString::fromLatin1(item)); });
        auto* plot = frame->findChild<PictureSurface*>(QStringLiteral("Picture4"));
        const auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
                              double q,
                              double p) { mouseAt(plot, type, button, held, modifiers, q, p); };
        send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, q1, p1);
        send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, q2, p2);
        send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, q2, p2);
    }

    void checkRecording(const QString& name) {
        const QString actual = test::WindowRecording(*frame, messages, clipboard).text();
        const QString path = QStringLiteral(ID_SOURCE_DIR "/tests/golden/") + name + ".txt";
        if (qEnvironmentVariableIsSet("ID_UPDATE_GOLDEN")) {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Text));
            out.write(actual.toUtf8());
            return;
        }
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly | QIODevice::Text))
            << "no recording " << path.toStdString() << " (make it with ID_UPDATE_GOLDEN=1)";
        const QStringList expected = QString::fromUtf8(in.readAll()).split(u'\n');
        const QStringList got = actual.split(u'\n');
        for (qsizetype i = 0; i < std::max(expected.size(), got.size()); ++i) {
            const QString e = i < expected.size() ? expected[i] : QStringLiteral("<end>");
            const QString g = i < got.size() ? got[i] : QStringLiteral("<end>");
            if (e != g) {
                QDir().mkpath(QStringLiteral(ID_BUILD_DIR "/golden"));
                QFile out(QStringLiteral(ID_BUILD_DIR "/golden/") + name + ".txt");
                if (out.open(QIODevice::WriteOnly | QIODevice::Text))
                    out.write(actual.toUtf8());
                FAIL() << name.toStdString() << ": first difference at line " << i + 1
                       << "\n  recorded: " << e.toStdString()
                       << "\n  now:      " << g.toStdString();
            }
        }
    }
};

const QString Seven = "12,5\t18,93\n25,1\t17,71\n37,8\t16,84\n51\t15,22\n63,3\t14,51\n"
                      "77,9\t13,02\n90,2\t12,37\n";
const QString LargeRates = "1200\t31,2\n2350\t29,87\n3710\t28,01\n4980\t27,15\n6120\t24,3\n"
                           "7450\t23,02\n8890\t20,11\n9920\t19,36\n";
// Rate against pressure rises as the pressure falls to about 9 MPa and falls below it.
const QString Turning = "19\t18\n51\t16\n75\t14\n91\t12\n99\t10\n99\t8\n91\t6\n";
const QString Injection = "50\t6\n120\t8,5\n210\t11\n260\t12,8\n330\t15,1\n";

using G = GoldenScenarios;

struct Scenario {
    const char* name;
    std::function<void(G&)> steps;
};

const Scenario Scenarios[] = {
    {"producing_build_only",
     [](G& t) {
         t.typeInto("Pnas", "8.5");
         t.buildWith(Seven);
     }},
    {"producing_no_saturation_pressure", [](G& t) { t.buildWith(Seven); }},
    {"producing_linear",
     [](G& t) {
         t.typeInto("Pnas", "8,5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
     }},
    {"producing_quadratic",
     [](G& t) {
         t.typeInto("Pnas", "8,5");
         t.buildWith(Seven);
         t.pick("mTrendPolinom2");
     }},
    {"producing_cubic",
     [](G& t) {
         t.typeInto("Pnas", "8,5");
         t.buildWith(Seven);
         t.pick("mTrendPolinom3");
     }},
    {"producing_large_rates_every_kind",
     [](G& t) {
         t.typeInto("Pnas", "15");
         t.buildWith(LargeRates);
         t.pick("mTrendLine");
         t.pick("mTrendPolinom3");
         t.pick("mTrendPolinom2");
     }},
    {"producing_linear_then_quadratic",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.pick("mIdSkinGidro");
         t.pick("mTrendPolinom2");
     }},
    {"estimate_transmissibility",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.pick("mIdSkinGidro");
     }},
    {"estimate_skin",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.pick("mIdSkinSkin");
     }},
    {"estimate_inputs_edited",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.pick("mIdSkinGidro");
         t.typeInto("Skin", "-2.5");
         t.typeInto("Rkontur", "500");
         t.typeInto("Rwell", "abc");
     }},
    {"estimate_switched_off",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.pick("mIdSkinSkin");
         t.pick("mIdSkinNot");
     }},
    {"estimate_before_any_result", [](G& t) { t.pick("mIdSkinGidro"); }},
    {"producing_search_found",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Turning);
         t.tick("Check2");
         t.pick("mTrendPolinom2");
     }},
    {"producing_search_not_found",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.tick("Check2");
         t.pick("mTrendLine");
     }},
    {"manual_pick",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.tick("Check1");
         t.pressOnPlot(Qt::RightButton, Qt::ShiftModifier, 12.3);
         t.pressOnPlot(Qt::RightButton, Qt::NoModifier, 7);
     }},
    {"both_boxes_ticked",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.tick("Check1");
         t.tick("Check2");
         t.pressOnPlot(Qt::RightButton, Qt::ShiftModifier, 12.3);
         t.tick("Check1");
     }},
    {"delete_trends",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendPolinom3");
         t.pick("mTrendDelete");
     }},
    {"selection_mode_toggled",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.pick("mTrendAddSelectPoint");
     }},
    {"selection_mode_off_again",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendAddSelectPoint");
         t.pick("mTrendAddSelectPoint");
         t.pick("mTrendLine");
     }},
    {"discard_by_typing",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.grid().click(2, 2);
         t.grid().type("1");
     }},
    {"discard_by_paste",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.tick("Check2");
         t.pick("mTrendLine");
         t.pasteRows("100\t11\n", 8);
     }},
    {"discard_by_row_insertion",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.grid().click(3, 1);
         t.pick("mEditPastRow");
     }},
    {"discard_by_saturation_pressure",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.typeInto("Pnas", "6");
     }},
    {"delete_rows_after_build",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.grid().select(2, 1, 3, 2);
         t.grid().key(Qt::Key_Delete);
         t.pick("mIdAdd");
         t.pick("mTrendLine");
     }},
    {"bad_cell_refused",
     [](G& t) {
         t.grid().typeRows({{"10", "20"}, {"1,2,3", "5"}});
         t.pick("mIdAdd");
     }},
    {"paste_refused",
     [](G& t) {
         t.pasteRows("1\t2\t3\n");
         t.pasteRows("12,5\t10,1\n15\tabc\n");
     }},
    {"zero_slope",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith("10\t15\n20\t15\n30\t15\n");
         t.pick("mTrendLine");
         t.pick("mTrendPolinom2");
     }},
    {"repeated_rates_for_a_cubic",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith("10\t18\n20\t16\n20\t15\n40\t12\n");
         t.pick("mTrendLine");
         t.pick("mTrendPolinom3");
     }},
    {"numbers_too_large", [](G& t) { t.buildWith("1E20\t5\n2\t4\n"); }},
    {"copy_fit_set",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mEditCopyIDData");
     }},
    {"injection_build_only",
     [](G& t) {
         t.pick("mEditWellNag");
         t.buildWith(Injection);
     }},
    {"injection_linear",
     [](G& t) {
         t.pick("mEditWellNag");
         t.buildWith(Injection);
         t.pick("mTrendLine");
         t.pick("mIdSkinSkin");
     }},
    {"injection_cubic_and_search_ticked",
     [](G& t) {
         t.pick("mEditWellNag");
         t.buildWith(Injection);
         t.tick("Check2");
         t.pick("mTrendPolinom3");
     }},
    {"injection_manual_pick",
     [](G& t) {
         t.pick("mEditWellNag");
         t.buildWith(Injection);
         t.pick("mTrendPolinom2");
         t.tick("Check1");
         t.pressOnPlot(Qt::RightButton, Qt::ShiftModifier, 9);
     }},
    {"well_type_switched_back",
     [](G& t) {
         t.pick("mEditWellNag");
         t.buildWith(Injection);
         t.pick("mTrendLine");
         t.pick("mIdSkinGidro");
         t.pick("mEditWellDob");
         t.typeInto("Pnas", "7");
         t.pick("mIdAdd");
         t.pick("mTrendLine");
     }},
    {"selection_two_trends",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendAddSelectPoint");
         t.pickPoints(5, 20, 40, 16, "mSelPointTrendPolinom2");
         t.pickPoints(95, 11, 45, 16, "mSelPointTrendLine");
     }},
    {"selection_line_and_start_over",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendAddSelectPoint");
         t.pickPoints(12.5, 18.93, 90.2, 12.37, "mSelPointTrendAdd", Qt::ShiftModifier);
         t.pickPoints(50, 16, 95, 11, "mSelPointTrendLine");
         t.pickPoints(50, 10, 50, 10, "mSelPointTrendLine");
     }},
    {"injection_selection_meeting_point",
     [](G& t) {
         t.pick("mEditWellNag");
         t.buildWith(Injection);
         t.tick("Check2");
         t.pick("mTrendAddSelectPoint");
         t.pickPoints(40, 5, 220, 12, "mSelPointTrendLine");
         t.pickPoints(340, 16, 240, 12, "mSelPointTrendLine");
     }},
    {"well_type_switch_discards",
     [](G& t) {
         t.typeInto("Pnas", "5");
         t.buildWith(Seven);
         t.pick("mTrendLine");
         t.pick("mEditWellNag");
     }},
};

TEST_F(GoldenScenarios, EveryScenarioShowsWhatItShowedWhenRecorded) {
    for (const Scenario& s : Scenarios) {
        SCOPED_TRACE(s.name);
        start();
        driver = test::GridDriver{form().MSFlexGrid1};
        messages.clear();
        s.steps(*this);
        checkRecording(QString::fromLatin1(s.name));
    }
}

} // namespace
} // namespace id
