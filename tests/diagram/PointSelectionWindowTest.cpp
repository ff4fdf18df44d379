#include "analysis/ResultRows.h"
#include "analysis/TrendStatistics.h"
#include "analysis/view/StatisticsWindow.h"
#include "app/view/AnalysisWindow.h"
#include "document/AnalysisFile.h"
#include "platform/view/PictureSurface.h"
#include "platform/view/RubberBand.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "support/AnalysisFixture.h"
#include "support/Approx.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <map>

namespace id {
namespace {

// Picking points on the diagram with real mouse events on Picture4, in chart coordinates.
class PointSelectionTest : public test::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        answerPopups();
    }
    void answerPopups() {
        frame->analysis().setPopupChooser([this](QMenu& menu) -> QAction* {
            offered.clear();
            for (QAction* item : menu.actions())
                if (item->isVisible())
                    offered[item->objectName()] = item->isEnabled();
            ++popups;
            return choice.isEmpty() ? nullptr : menu.findChild<QAction*>(choice);
        });
    }
    void buildWith(const QString& points, int wellType = ProducingWell) {
        if (wellType == InjectionWell)
            ASSERT_TRUE(choose(menus().mEditWellNag));
        else
            form().Pnas->setText("5");
        build(points);
        ASSERT_TRUE(choose(menus().mTrendAddSelectPoint));
    }
    void send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers modifiers, double q, double p) {
        mouseAt(form().Picture4, type, button, held, modifiers, q, p);
    }
    // A left drag from (q1; p1) to (q2; p2), the popup answered with the item named choice.
    void drag(double q1, double p1, double q2, double p2, const QString& item = {},
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        choice = item;
        send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, modifiers, q1, p1);
        send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, modifiers, (q1 + q2) / 2,
             (p1 + p2) / 2);
        EXPECT_TRUE(form().Shape1->isVisible() || form().Line1->isVisible());
        send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, modifiers, q2, p2);
        send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, modifiers, q2, p2);
        // Both bands are hidden afterwards, whatever was chosen.
        EXPECT_FALSE(form().Shape1->isVisible() || form().Line1->isVisible());
    }
    QString choice;
    std::map<QString, bool> offered; // visible items and whether they are enabled
    int popups = 0;
};

const QString Five = "10\t20\n20\t18\n30\t16,2\n40\t13,8\n50\t12\n";

TEST_F(PointSelectionTest, PopupOffersTheKindsThePointCountAllows) {
    buildWith(Five);
    struct Case {
        double q1, p1, q2, p2;
        std::map<QString, bool> offered;
    };
    const Case cases[] = {
        {5,
         21,
         55,
         11,
         {{"mSelPointTrendLine", true},
          {"mSelPointTrendPolinom2", true},
          {"mSelPointTrendPolinom3", true},
          {"mSelPointTrendBreak", true},
          {"mSelPointTrendCancel", true}}},
        {25,
         17,
         55,
         11,
         {{"mSelPointTrendLine", true},
          {"mSelPointTrendPolinom2", true},
          {"mSelPointTrendPolinom3", false},
          {"mSelPointTrendBreak", false},
          {"mSelPointTrendCancel", true}}},
        {35,
         15,
         55,
         11,
         {{"mSelPointTrendLine", true},
          {"mSelPointTrendPolinom2", false},
          {"mSelPointTrendPolinom3", false},
          {"mSelPointTrendBreak", false},
          {"mSelPointTrendCancel", true}}},
        {45,
         13,
         55,
         11,
         {{"mSelPointTrendLine", false},
          {"mSelPointTrendPolinom2", false},
          {"mSelPointTrendPolinom3", false},
          {"mSelPointTrendBreak", false},
          {"mSelPointTrendCancel", true}}},
    };
    for (const Case& c : cases) {
        drag(c.q1, c.p1, c.q2, c.p2);
        EXPECT_EQ(offered, c.offered);
    }
    // The same rectangle dragged the other way picks the same points.
    drag(55, 11, 25, 17, "mSelPointTrendLine");
    EXPECT_EQ(state().FitRates.values(), std::vector<double>({30, 40, 50}));
    EXPECT_EQ(state().TrendCount, 1);
    EXPECT_EQ(state().FirstTrend.RateFrom, 0);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(PointSelectionTest, TwoTrendsThenAClickStartsOver) {
    buildWith(Five);
    ASSERT_TRUE(choose(menus().mIdSkinGidro));
    drag(5, 21, 35, 15, "mSelPointTrendPolinom2");
    EXPECT_TRUE(menus().mIdSkinNot->isChecked()); // a polynomial first trend: no estimate
    drag(25, 17, 55, 11, "mSelPointTrendLine");
    EXPECT_EQ(state().TrendCount, 2);
    EXPECT_EQ(state().SecondTrend.RateFrom, 30);
    EXPECT_EQ(resultCaptions(),
              QStringList({"Пластовое давление, МПа", "Коэф.продуктивности 2, м3/(сут*МПа)"}));
    const QStringList labels = form().Picture4->printedTexts();
    const int before = popups;
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, 30, 10);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, 30, 10);
    EXPECT_EQ(popups, before);
    EXPECT_EQ(state().TrendCount, 0);
    EXPECT_EQ(form().Picture4->printedTexts(), labels); // the chart stays as it was
    // What stays shown stays consistent and can still be deleted.
    form().Check1->click();
    EXPECT_EQ(resultCaptions(),
              QStringList({"Пластовое давление, МПа", "Коэф.продуктивности 2, м3/(сут*МПа)"}));
    emit menus().mTrend->aboutToShow();
    EXPECT_TRUE(menus().mTrendDelete->isEnabled());
    form().Check1->click();
    drag(5, 21, 55, 11, "mSelPointTrendLine"); // the next trend is the first again
    EXPECT_EQ(state().TrendCount, 1);
    EXPECT_EQ(state().SecondTrend.Kind, NoTrend);
    EXPECT_EQ(resultCaptions().filter("2,").size(), 0);
}

// The PI chart kept on screen after a selection started over belongs to its analysis: opened over
// another analysis, the file shows its own chart, not the other's.
TEST_F(PointSelectionTest, AKeptPiChartIsPartOfItsAnalysis) {
    const auto piChart = [this] {
        QStringList ops;
        for (const DrawOp& op : form().Picture8->operations())
            ops << QString("%1 %2 %3 %4 %5 %6")
                       .arg(op.kind)
                       .arg(op.x1)
                       .arg(op.y1)
                       .arg(op.x2)
                       .arg(op.y2)
                       .arg(op.text);
        return ops;
    };
    buildWith("1\t25\n2\t24\n3\t23\n6\t18\n7\t16\n8\t14\n");
    drag(0.5, 26, 3.5, 22, "mSelPointTrendLine");
    drag(5.5, 19, 8.5, 13, "mSelPointTrendLine");
    ASSERT_EQ(state().TrendCount, 2);
    drag(0.5, 26, 8.5, 13); // the pop-up cancelled: the selection starts over
    ASSERT_EQ(state().TrendCount, 0);
    const QStringList kept = piChart();
    QTemporaryDir dir;
    files.answerNext(dir.filePath("a.ida"));
    ASSERT_TRUE(choose(menus().mFileSaveAs));
    ASSERT_TRUE(choose(menus().mFileNew));
    build("10\t5\n20\t4\n30\t3\n40\t2,5\n");
    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    ASSERT_NE(piChart(), kept);
    files.answerNext(dir.filePath("a.ida"));
    ASSERT_TRUE(choose(menus().mFileOpen));
    EXPECT_EQ(piChart(), kept);
}

TEST_F(PointSelectionTest, LineOffersOnlyAddAndFitsItsTwoEnds) {
    buildWith(Five);
    drag(10, 20, 50, 12, "mSelPointTrendAdd", Qt::ShiftModifier);
    EXPECT_EQ(offered, (std::map<QString, bool>{{"mSelPointTrendAdd", true},
                                                {"mSelPointTrendCancel", true}}));
    ASSERT_EQ(state().TrendCount, 1);
    EXPECT_REL(-0.2, state().FirstTrend.Coefficients[1], 1e-6);
    EXPECT_REL(5, state().ProductivityIndex, 1e-6);
    // A line of zero length: the fit says why, no trend is added, the count goes back.
    messages.clear();
    drag(30, 16, 30, 16, "mSelPointTrendAdd", Qt::ShiftModifier);
    EXPECT_TRUE(messages.last().startsWith("Для линии тренда степени 1"));
    EXPECT_EQ(state().TrendCount, 1);
    EXPECT_FALSE(resultCaptions().join(' ').contains("nan"));
}

TEST_F(PointSelectionTest, InjectionWellFindsWhereItsTwoTrendsMeet) {
    // Trend 1 through p = 2q + 5, trend 2 through p = 3q + 1. By hand: the gap
    // |(2q + 5) / (3q + 1) - 1| first drops to 1 % at q >= 3.99 / 1.03 = 3.874, so the scan in
    // steps of 0.01 stops at 3.88, where trend 2 gives 3 * 3.88 + 1 = 12.64.
    buildWith("1\t7\n2\t9\n3\t11\n6\t19\n7\t22\n8\t25\n", InjectionWell);
    form().Check2->click();
    drag(0.5, 6, 3.5, 12, "mSelPointTrendLine");
    EXPECT_EQ(state().AllowedBottomholePressure, 0); // one trend: no search yet
    drag(8.5, 26, 5.5, 18, "mSelPointTrendLine");
    EXPECT_REL(12.64, state().AllowedBottomholePressure, 1e-9);
    EXPECT_EQ(resultCaptions(),
              QStringList({"Коэф.приемистости 1, м3/(сут*МПа)", "Пластовое давление, МПа",
                           "Коэф.приемистости 2, м3/(сут*МПа)", "Предельно-допустимое Pз, МПа"}));
    EXPECT_EQ(form().MSFlexGrid2->text(3, 1), "12,64");
    // Starting over: the next first trend replaces the pair, and their meeting point with it.
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, 4, 15);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, 4, 15);
    drag(5.5, 18, 8.5, 26, "mSelPointTrendLine");
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    EXPECT_FALSE(resultCaptions().join(' ').contains("Предельно"));
}

TEST_F(PointSelectionTest, ManualPickStillWorksInSelectionMode) {
    buildWith(Five);
    form().Check1->click();
    send(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier, 30, 12.3);
    send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, Qt::ShiftModifier, 30, 12.3);
    EXPECT_REL(12.3, state().AllowedBottomholePressure, 1e-2);
    EXPECT_EQ(popups, 0);
    EXPECT_FALSE(form().Shape1->isVisible() || form().Line1->isVisible());
}

} // namespace
} // namespace id

namespace id {
namespace {

using ExclusionTest = PointSelectionTest;

// Ctrl+click leaves a point out: hollow on the diagram, grey in the table, out of the trend;
// again brings it back; the row keeps it; undo and "Вернуть исключённые точки" undo it.
TEST_F(ExclusionTest, CtrlClickLeavesAPointOutOfEveryFit) {
    form().Pnas->setText("5");
    build(Five);
    ASSERT_TRUE(choose(menus().mTrendLine));
    const Coefficients all = state().FirstTrend.Coefficients;
    const auto ctrlClick = [&](double q, double p) {
        send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, q, p);
        send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier, q, p);
    };
    ctrlClick(30.3, 16.1); // beside the third point, within the pointer's reach
    ASSERT_EQ(state().ExcludedPoints.count(), 1);
    EXPECT_EQ(state().measurementCount(), 4);
    EXPECT_TRUE(state().Table[2].Excluded);
    EXPECT_TRUE(form().MSFlexGrid1->rowGreyed(3));
    const auto fit = LeastSquaresFitService().fit({10, 20, 40, 50}, {20, 18, 13.8, 12}, 1);
    EXPECT_REL(fit.coefficients[0], state().FirstTrend.Coefficients[1], 1e-12);
    EXPECT_EQ(state().FirstTrend.Rates.size(), 4);
    int hollow = 0;
    for (const DrawOp& op : form().Picture4->operations(DrawOp::Circle))
        hollow += !op.filled;
    EXPECT_EQ(hollow, 1);
    ctrlClick(90, 2); // near nothing
    EXPECT_EQ(state().ExcludedPoints.count(), 1);

    frame->analysis().undo();
    EXPECT_EQ(state().ExcludedPoints.count(), 0);
    EXPECT_TRUE(state().FirstTrend.Coefficients == all);
    frame->analysis().redo();
    ctrlClick(50, 12);
    EXPECT_EQ(state().ExcludedPoints.count(), 2);
    ctrlClick(30, 16.2); // a point left out comes back
    EXPECT_EQ(state().ExcludedPoints.count(), 1);
    emit menus().mTrend->aboutToShow();
    ASSERT_TRUE(menus().mTrendRestorePoints->isEnabled());
    menus().mTrendRestorePoints->trigger();
    EXPECT_EQ(state().ExcludedPoints.count(), 0);
    EXPECT_TRUE(state().FirstTrend.Coefficients == all);
    EXPECT_FALSE(form().MSFlexGrid1->rowGreyed(5));

    // From the statistics window: the chosen point of the table.
    ASSERT_TRUE(choose(menus().mIdStat));
    StatisticsWindow* statistics = frame->analysis().statisticsWindow();
    EXPECT_FALSE(statistics->excludeButton()->isEnabled());
    statistics->points()->selectRow(1);
    ASSERT_TRUE(statistics->excludeButton()->isEnabled());
    QTest::mouseClick(statistics->excludeButton(), Qt::LeftButton);
    ASSERT_EQ(state().ExcludedPoints.count(), 1);
    EXPECT_EQ(state().ExcludedPoints.rate(1), 20);
}

// In selection mode a trend picked with a point is fitted again without it; the second trend,
// which did not hold it, stays.
TEST_F(ExclusionTest, APickedTrendIsFittedAgainWithoutThePoint) {
    buildWith(Five);
    drag(5, 21, 35, 15, "mSelPointTrendLine");
    drag(35, 15, 55, 11, "mSelPointTrendLine");
    const TrendRecord second = state().SecondTrend;
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, 20, 18);
    ASSERT_EQ(state().ExcludedPoints.count(), 1);
    EXPECT_EQ(state().TrendCount, 2);
    EXPECT_EQ(state().FirstTrend.Rates.values(), (std::vector<double>{10, 30}));
    EXPECT_REL(-0.19, state().FirstTrend.Coefficients[1], 1e-12);
    EXPECT_TRUE(state().SecondTrend.Coefficients == second.Coefficients);
}

} // namespace
} // namespace id

namespace id {
namespace {

// The models as an engineer reaches them: the box's Pпл holds for the next model, Enter in it
// refits the standing one, a model's label stands on the diagram; an injection well has neither.
TEST_F(ExclusionTest, ModelsFromTheMenuAndTheirBox) {
    form().Pnas->setText("5");
    build(Five);
    form().ModelPres->setFocus();
    QTest::keyClicks(form().ModelPres, "25");
    ASSERT_TRUE(choose(menus().mModelVogel));
    EXPECT_EQ(state().FirstTrend.Kind, VogelModel);
    EXPECT_EQ(state().FirstTrend.Coefficients[2], 25);
    const auto labelled = [&](const QString& start) {
        for (const DrawOp& op : form().Picture4->operations(DrawOp::Text))
            if (op.text.startsWith(start))
                return true;
        return false;
    };
    EXPECT_TRUE(labelled("Фогель: qmax="));
    form().ModelPres->clear();
    QTest::keyClicks(form().ModelPres, "26");
    QTest::keyClick(form().ModelPres, Qt::Key_Return);
    EXPECT_EQ(state().FirstTrend.Coefficients[2], 26);
    EXPECT_TRUE(labelled("Фогель: qmax=")) << "the refit model is drawn again";

    ASSERT_TRUE(choose(menus().mEditWellNag));
    EXPECT_FALSE(form().ModelPres->isVisible());
    build(Five);
    EXPECT_FALSE(choose(menus().mModelVogel));
}

} // namespace
} // namespace id

namespace id {
namespace {

// The break through the menus of both well types and the selection's pop-up: two joined lines,
// their meeting the allowed pressure with its interval and significance, named as a step-rate
// test for an injection well; undone in one step, kept by the file.
TEST_F(PointSelectionTest, BreakFoundByTheData) {
    for (const int wellType : {ProducingWell, InjectionWell}) {
        SCOPED_TRACE(wellType);
        start();
        answerPopups();
        QString rows;
        for (int i = 1; i <= 12; ++i) {
            const double q = 10.0 * i;
            const double p = wellType == InjectionWell
                                 ? 5 + 0.1 * q - 0.07 * std::max(0.0, q - 65)
                                 : 25 - 0.05 * q - 0.1 * std::max(0.0, q - 65);
            rows += QString("%1\t%2\n").arg(q).arg(p + (i % 3 - 1) * 0.01).replace('.', ',');
        }
        if (wellType == InjectionWell)
            ASSERT_TRUE(choose(menus().mEditWellNag));
        else
            form().Pnas->setText("5");
        build(rows);
        ASSERT_TRUE(choose(menus().mTrendBreak));
        ASSERT_TRUE(state().Break);
        EXPECT_NEAR(state().Break->Fit.breakRate, 65, 1);
        EXPECT_EQ(state().TrendCount, 2);
        EXPECT_EQ(state().AllowedBottomholePressure, state().Break->Fit.breakPressure());
        EXPECT_TRUE(resultCaptions().contains("Значимость излома"));
        EXPECT_TRUE(resultCaptions().contains("Интервал Pз (95 %), МПа"));
        EXPECT_EQ(resultRows(state()).back().value, "p < 0,001");
        const QString report = statisticsReport(StatisticsInputs(state()));
        EXPECT_TRUE(report.contains("Излом значим (p < 0,001)"));
        EXPECT_EQ(report.contains("Давление начала раскрытия трещин"), wellType == InjectionWell);
        const AnalysisFileRead read = readAnalysis(writeAnalysis(state()));
        ASSERT_TRUE(read.state) << read.error.toStdString();
        EXPECT_TRUE(read.state->Break == state().Break);
        frame->analysis().undo();
        EXPECT_FALSE(state().Break);
        EXPECT_EQ(state().AllowedBottomholePressure, 0);
        // What replaces the break leaves a file that opens again.
        for (QAction* next : {menus().mTrendPolinom2, menus().mIdAdd}) {
            ASSERT_TRUE(choose(menus().mTrendBreak));
            ASSERT_TRUE(choose(next));
            EXPECT_FALSE(state().Break);
            EXPECT_FALSE(unopenableProblem(state()));
        }
    }
    // In selection mode, on the picked points only.
    start();
    answerPopups();
    buildWith(Five + "60\t9\n70\t6\n");
    drag(5, 21, 75, 5, "mSelPointTrendBreak");
    ASSERT_TRUE(state().Break);
    EXPECT_EQ(state().Break->Fit.points, 7);
    drag(5, 21, 35, 15, "mSelPointTrendBreak");
    EXPECT_FALSE(offered["mSelPointTrendBreak"]) << "three points make no break";
}

// Charts drawn over their kept layers command after command show, to the pixel, what a window
// that made only the last command shows, and the window shows the plots: nothing of an earlier
// line or caption is left behind.
TEST_F(PointSelectionTest, ChartsAfterEachCommandAreThoseOfAFreshWindow) {
    const QString points = "10\t20\n20\t18,5\n30\t16,2\n40\t13,8\n50\t12\n60\t9,1\n";
    const auto surfaces = [this] {
        return std::vector<PictureSurface*>{form().Picture3, form().Picture4, form().Picture7,
                                            form().Picture8};
    };
    const std::vector<QAction* MenuTree::*> commands = {
        &MenuTree::mTrendLine, &MenuTree::mTrendPolinom2, &MenuTree::mTrendPolinom3,
        &MenuTree::mTrendLine, &MenuTree::mTrendPolinom2};
    build(points);
    std::vector<std::vector<QImage>> made;
    for (QAction* MenuTree::*command : commands) {
        ASSERT_TRUE(choose(menus().*command));
        QApplication::processEvents();
        made.emplace_back();
        for (PictureSurface* s : surfaces())
            made.back().push_back(s->image());
        // The plots as the window shows them, inside the border drawn around them on screen.
        for (PictureSurface* s : {form().Picture4, form().Picture8}) {
            const QRect inside = s->rect().adjusted(1, 1, -1, -1);
            const QPoint at = s->mapTo(s->window(), inside.topLeft());
            const QImage shown = s->screen()
                                     ->grabWindow(s->window()->winId(), at.x(), at.y(),
                                                  inside.width(), inside.height())
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGB32);
            EXPECT_TRUE(shown == s->image().copy(inside).convertToFormat(QImage::Format_RGB32))
                << s->objectName().toStdString();
        }
    }
    for (std::size_t k = 0; k < commands.size(); ++k) {
        SCOPED_TRACE(k);
        start();
        build(points);
        ASSERT_TRUE(choose(menus().*commands[k]));
        QApplication::processEvents();
        for (std::size_t i = 0; i < surfaces().size(); ++i)
            EXPECT_TRUE(surfaces()[i]->image() == made[k][i])
                << surfaces()[i]->objectName().toStdString();
    }
}

} // namespace
} // namespace id
