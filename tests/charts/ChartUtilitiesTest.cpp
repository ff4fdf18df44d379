#include "app/view/WorkWindow.h"
#include "charts/view/AnalysisPainter.h"
#include "platform/view/PictureSurface.h"
#include "support/AnalysisFixture.h"
#include "support/Approx.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

namespace id {
namespace {

class ChartUtilitiesTest : public test::AnalysisFixture {
protected:
    void moveOver(PictureSurface* surface, double x, double y) {
        mouseAt(surface, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, Qt::NoModifier, x, y);
    }
};

TEST_F(ChartUtilitiesTest, ReadoutsFollowThePointerOverEitherPlot) {
    form().Pnas->setText("5");
    build("10\t18\n20\t16\n30\t14,5\n40\t12\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    moveOver(form().Picture4, 12.346, 7);
    EXPECT_TRUE(form().Picture5->isVisible());
    EXPECT_EQ(form().Picture5->printedTexts(), QStringList({"X= 12,35 м3/сут; Y= 7,00 МПа"}));
    moveOver(form().Picture8, 25, 3.5);
    EXPECT_FALSE(form().Picture5->isVisible());
    EXPECT_TRUE(form().Picture9->isVisible());
    EXPECT_EQ(form().Picture9->printedTexts(),
              QStringList({"X= 25,00 м3/сут; Y= 3,50 м3/(сут*МПа)"}));
    QTest::mouseMove(form().MSFlexGrid1->viewport(), QPoint(5, 5));
    EXPECT_FALSE(form().Picture5->isVisible() || form().Picture9->isVisible());
}

// Commands that keep the axes draw only the trends over the kept layers: the same pictures as
// drawn whole.
TEST_F(ChartUtilitiesTest, ChartsDrawnOverKeptLayersEqualChartsDrawnWhole) {
    form().Pnas->setText("5");
    build("10\t18\n20\t16\n30\t14,5\n40\t12\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    ASSERT_TRUE(choose(menus().mIdConfBands));
    ASSERT_TRUE(choose(menus().mTrendLine));
    const ChartSurfaces surfaces{*form().Picture3, *form().Picture4, *form().Picture7,
                                 *form().Picture8};
    std::vector<std::pair<QImage, std::vector<DrawOp>>> kept;
    for (PictureSurface* p :
         {&surfaces.picture3, &surfaces.picture4, &surfaces.picture7, &surfaces.picture8})
        kept.emplace_back(p->image().copy(), p->operations());
    drawAnalysis(ChartInputs(state()), surfaces);
    int i = 0;
    for (PictureSurface* p :
         {&surfaces.picture3, &surfaces.picture4, &surfaces.picture7, &surfaces.picture8}) {
        EXPECT_EQ(p->image(), kept[i].first) << i;
        EXPECT_EQ(p->operations().size(), kept[i++].second.size());
    }
}

TEST_F(ChartUtilitiesTest, CopiesComposeFrameAndPlotWithTheRectangle) {
    ASSERT_TRUE(choose(menus().mEditWellNag));
    build("50\t6\n120\t8,5\n210\t11\n260\t12,8\n330\t15,1\n");
    ASSERT_TRUE(choose(menus().mEditCopyIDGraf));
    const QImage first = clipboard.image();
    PictureSurface& p6 = *form().Picture6;
    ASSERT_EQ(first.size(), p6.image().size());
    const double w = p6.ScaleWidth();
    const double h = p6.ScaleHeight();
    // An injection well's plot area lies in the lower part; its bottom and right sides are the
    // picture's edges, drawn thicker.
    const auto images = p6.operations(DrawOp::Image);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_REL(w * 0.12, images[1].x1, 1e-12);
    EXPECT_REL(h * 0.12, images[1].y1, 1e-12);
    const auto lines = p6.operations(DrawOp::Line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].y1, h);
    EXPECT_EQ(lines[2].width, 2);
    EXPECT_EQ(lines[3].x1, w);
    EXPECT_EQ(lines[3].width, 2);
    EXPECT_EQ(lines[0].width, 1);
    ASSERT_TRUE(choose(menus().mEditCopyIDGraf));
    EXPECT_EQ(clipboard.image(), first); // the surface is cleared first
}

TEST_F(ChartUtilitiesTest, ScrollStripsHideOnlyWhenTheWindowHoldsTheCanvas) {
    WorkWindow& f = form();
    QWidget* vertical = f.findChild<QWidget*>("Picture1");
    QWidget* horizontal = f.findChild<QWidget*>("Picture2");
    const QSize canvas = f.Frame1->size();
    // Exactly as tall as the canvas: no vertical strip. Exactly as wide: the horizontal one
    // stays (only a wider window hides it).
    f.resize(canvas.width(), canvas.height());
    EXPECT_FALSE(vertical->isVisible());
    EXPECT_TRUE(horizontal->isVisible());
    f.resize(canvas.width() + 1, canvas.height() - 1);
    EXPECT_TRUE(vertical->isVisible());
    EXPECT_FALSE(horizontal->isVisible());
    // Scrolled down, then enlarged until the strip hides: the canvas is back at the top.
    f.VScroll1->setValue(f.VScroll1->maximum());
    EXPECT_LT(f.Frame1->y(), 0);
    f.resize(canvas.width() + 1, canvas.height() + 10);
    EXPECT_EQ(f.Frame1->y(), 0);
    // Narrower than the vertical strip: the horizontal bar gets no negative width.
    f.resize(5, 100);
    EXPECT_GE(f.HScroll1->width(), 0);
}

} // namespace
} // namespace id
