#include "app/view/ZoomActions.h"
#include "document/ViewZoom.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/RubberBand.h"
#include "support/AnalysisFixture.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <map>

namespace id {
namespace {

// The work window zoomed with real keys and wheel events, the charts drawn afresh at the size.
class ZoomWindowTest : public test::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        form().Pnas->setText("5");
        build("10\t20\n20\t18\n30\t16,2\n40\t13,8\n50\t12\n");
        ASSERT_TRUE(choose(menus().mTrendLine));
        ASSERT_TRUE(choose(menus().mTrendAddSelectPoint));
        frame->analysis().setPopupChooser([this](QMenu& menu) -> QAction* {
            picked = state().fitPointCount();
            return menu.findChild<QAction*>("mSelPointTrendCancel");
        });
    }
    // Every control's place and size, by name.
    std::map<QString, QRect> geometries() {
        std::map<QString, QRect> all;
        for (QWidget* w : form().findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
                all[w->objectName()] = w->geometry();
        return all;
    }
    // The points a rectangle drawn in chart coordinates picks.
    int pick(double q1, double p1, double q2, double p2) {
        picked = -1;
        PictureSurface* plot = form().Picture4;
        mouseAt(plot, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {}, q1, p1);
        mouseAt(plot, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {}, q2, p2);
        mouseAt(plot, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {}, q2, p2);
        return picked;
    }
    void wheel(QWidget* over, int angle) {
        const QPointF at(over->width() / 2.0, over->height() / 2.0);
        QWheelEvent event(at, over->mapToGlobal(at), {}, {0, angle}, Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    }
    int picked = -1;
};

TEST_F(ZoomWindowTest, KeysAndWheelZoomEverythingAndBackToTheSameLayout) {
    const auto before = geometries();
    const QStringList labels = form().Picture3->printedTexts();
    const int atFull = pick(15, 19, 45, 13);
    ASSERT_EQ(atFull, 3);

    QTest::keyClick(form().MSFlexGrid1, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(form().zoom(), 1.1);
    // Over a table the wheel zooms rather than scrolls; two quarter-notches make no step.
    wheel(form().MSFlexGrid1->viewport(), 60);
    EXPECT_DOUBLE_EQ(form().zoom(), 1.1);
    wheel(form().MSFlexGrid1->viewport(), 60);
    wheel(form().Picture4, 120);
    EXPECT_DOUBLE_EQ(form().zoom(), 1.5);

    EXPECT_NEAR(form().Picture3->width(), before.at("Picture3").width() * 1.5, 1);
    EXPECT_NEAR(form().MSFlexGrid1->height(), before.at("MSFlexGrid1").height() * 1.5, 1);
    EXPECT_DOUBLE_EQ(form().Pnas->font().pointSizeF(), 16.5);
    // Drawn afresh: the same labels in the same chart coordinates, on a larger image.
    EXPECT_EQ(form().Picture3->printedTexts(), labels);
    EXPECT_EQ(form().Picture4->image().width(), form().Picture4->width());
    EXPECT_EQ(pick(15, 19, 45, 13), atFull);

    QTest::keyClick(form().Picture4, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(geometries(), before);
    EXPECT_EQ(form().Picture3->printedTexts(), labels);
}

TEST_F(ZoomWindowTest, FittedToAFullHdWindowAndRemembered) {
    frame->resize(1920, 1080);
    QTest::qWait(1);
    menus().mViewFit->trigger();
    QTest::qWait(1);
    EXPECT_GT(form().zoom(), 1.3);
    // The whole canvas in the window: no scroll bar.
    EXPECT_LE(form().Frame1->width(), form().width());
    EXPECT_LE(form().Frame1->height(), form().height());
    EXPECT_FALSE(form().Picture1->isVisible());
    EXPECT_FALSE(form().Picture2->isVisible());
    EXPECT_EQ(pick(15, 19, 45, 13), 3);

    // A window its width limits, tall and narrow: no scroll bar either.
    frame->resize(1000, 1400);
    QTest::qWait(1);
    EXPECT_FALSE(form().Picture1->isVisible() || form().Picture2->isVisible());

    // A smaller window, a smaller zoom; a step ends the fitting.
    frame->resize(1366, 768);
    QTest::qWait(1);
    const double smaller = form().zoom();
    EXPECT_LT(smaller, 1.3);
    QTest::keyClick(form().MSFlexGrid1, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_FALSE(menus().mViewFit->isChecked());
    EXPECT_DOUBLE_EQ(form().zoom(), zoomedOut(smaller));

    MainFrame next;
    EXPECT_DOUBLE_EQ(next.workWindow().zoom(), zoomedOut(smaller));
}

// Away from 100 % nothing is cut: the table keeps its columns clear of its scroll bar, the
// check boxes their tick; and a chart copied is the unzoomed chart.
TEST_F(ZoomWindowTest, AtHalfSizeNothingIsCutAndCopiesKeepTheirSize) {
    ASSERT_TRUE(choose(menus().mEditCopyIDGraf));
    const QSize unzoomed = clipboard.image().size();
    QString rows;
    for (int i = 1; i <= 40; ++i)
        rows += QString("%1\t%2\n").arg(i).arg(30 - i * 0.5);
    build(rows);
    edit([](AnalysisState& s) { s.AllowedPressureBoxesShown = true; });
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(form().MSFlexGrid1, Qt::Key_Minus, Qt::ControlModifier);
    ASSERT_DOUBLE_EQ(form().zoom(), 0.5);
    QApplication::processEvents();
    EXPECT_FALSE(form().MSFlexGrid1->horizontalScrollBar()->isVisible());
    for (QWidget* box :
         {static_cast<QWidget*>(form().Check1), static_cast<QWidget*>(form().Check2)})
        EXPECT_GE(box->height(), box->sizeHint().height());
    EXPECT_FALSE(form().Check1->geometry().intersects(form().Check2->geometry()));
    EXPECT_FALSE(form().Check2->geometry().intersects(form().MSFlexGrid2->geometry()));
    ASSERT_TRUE(choose(menus().mEditCopyIDGraf));
    EXPECT_EQ(clipboard.image().size(), unzoomed);
}

TEST(ViewZoomTest, StepsAndFitting) {
    struct Case {
        double zoom, in, out;
    };
    for (const Case& c : {Case{1.0, 1.1, 0.9},
                          {0.5, 0.67, 0.5},
                          {3.0, 3.0, 2.5},
                          {1.3, 1.5, 1.25},
                          {1.2500000001, 1.5, 1.1}})
        EXPECT_EQ(std::pair(zoomedIn(c.zoom), zoomedOut(c.zoom)), std::pair(c.in, c.out)) << c.zoom;
    EXPECT_NEAR(fittingZoom({1000, 400}, {500, 100}), 2.0, 0.01);
    // Fitted, the rounded layout never needs a scroll bar, whichever side limits it.
    const QSizeF design(886.67, 738.67);
    for (const QSize window : {QSize(1000, 1400), QSize(1920, 1080), QSize(1366, 768),
                               QSize(887, 739), QSize(2001, 1667)}) {
        const double z = fittingZoom(window, design);
        EXPECT_LE(std::lround(design.width() * z), window.width()) << window.width();
        EXPECT_LE(std::lround(design.height() * z), window.height()) << window.height();
        EXPECT_GE(
            std::max(design.width() * z - window.width(), design.height() * z - window.height()),
            -2);
    }
    EXPECT_EQ(fittingZoom({100, 100}, {1000, 1000}), MinZoom);
    EXPECT_EQ(fittingZoom({9000, 9000}, {100, 100}), MaxZoom);
    EXPECT_EQ(usableZoom(std::nan("")), 1.0);
    EXPECT_EQ(usableZoom(7), 1.0);
}

} // namespace
} // namespace id
