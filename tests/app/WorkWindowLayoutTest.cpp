#include "app/WorkWindowLayout.h"

#include <gtest/gtest.h>
#include <tuple>

namespace id {
namespace {

const LayoutTextMetrics Metrics{3000, 4000, 200};

struct GeometryCase {
    const char* name;
    TwipsRect WorkWindowLayout::*member;
    TwipsRect expected;
};

TEST(WorkWindowLayout, StartingConfigurationGeometry) {
    const WorkWindowLayout l = computeWorkWindowLayout(false, 1, Metrics);
    const GeometryCase cases[] = {
        {"MSFlexGrid1", &WorkWindowLayout::MSFlexGrid1, {400, 700, 4500, 4000}},
        {"Pnas", &WorkWindowLayout::Pnas, {400, 4900, 800, 350}},
        {"Skin", &WorkWindowLayout::Skin, {400, 5350, 800, 375}},
        {"Rkontur", &WorkWindowLayout::Rkontur, {400, 5825, 800, 375}},
        {"Rwell", &WorkWindowLayout::Rwell, {400, 6300, 800, 375}},
        {"Label1", &WorkWindowLayout::Label1, {1300, 4900, 2895, 350}},
        {"Label2", &WorkWindowLayout::Label2, {1300, 5350, 2895, 375}},
        {"Label3", &WorkWindowLayout::Label3, {1300, 5825, 2895, 375}},
        {"Label4", &WorkWindowLayout::Label4, {1300, 6300, 2895, 375}},
        {"Check1", &WorkWindowLayout::Check1, {400, 6875, 4500, 255}},
        {"Check2", &WorkWindowLayout::Check2, {400, 7180, 4500, 210}},
        {"MSFlexGrid2", &WorkWindowLayout::MSFlexGrid2, {400, 7490, 4500, 975}},
        {"Picture3", &WorkWindowLayout::Picture3, {5100, 700, 8000, 5000}},
        {"Picture4", &WorkWindowLayout::Picture4, {6060, 700, 7040, 4400}},
        {"Picture7", &WorkWindowLayout::Picture7, {5100, 5900, 8000, 5000}},
        {"Picture8", &WorkWindowLayout::Picture8, {6060, 5900, 7040, 4400}},
        {"Frame1", &WorkWindowLayout::Frame1, {0, 0, 13300, 11100}},
        {"Picture6", &WorkWindowLayout::Picture6, {0, 0, 8000, 5000}},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TwipsRect& r = l.*(c.member);
        EXPECT_DOUBLE_EQ(r.left, c.expected.left);
        EXPECT_DOUBLE_EQ(r.top, c.expected.top);
        EXPECT_DOUBLE_EQ(r.width, c.expected.width);
        EXPECT_DOUBLE_EQ(r.height, c.expected.height);
    }
    EXPECT_EQ(l.grid1ColumnWidths, (std::vector<double>{581, 1784, 1784}));
    EXPECT_EQ(l.grid2ColumnWidths, (std::vector<double>{3825, 675}));
    EXPECT_EQ(l.grid1HeaderHeight, 450);
}

TEST(WorkWindowLayout, ReadoutBoxesFollowTheTextMetrics) {
    const WorkWindowLayout l = computeWorkWindowLayout(false, 1, Metrics);
    EXPECT_DOUBLE_EQ(l.Picture5.left, 6060);
    EXPECT_DOUBLE_EQ(l.Picture5.width, 4500);
    EXPECT_DOUBLE_EQ(l.Picture5.height, 360);
    EXPECT_DOUBLE_EQ(l.Picture5.top, 700 + 5000 - 360);
    EXPECT_DOUBLE_EQ(l.Picture9.left, 6060);
    EXPECT_DOUBLE_EQ(l.Picture9.top, 5900 + 5000 - 360);
    EXPECT_DOUBLE_EQ(l.Picture9.width, 6000);
}

TEST(WorkWindowLayout, AReadoutStopsShortOfTheRateTitle) {
    for (const double title : {0.0, 500.0, 4000.0}) {
        SCOPED_TRACE(title);
        LayoutTextMetrics metrics = Metrics;
        metrics.rateTitleWidth = title;
        const WorkWindowLayout l = computeWorkWindowLayout(false, 1, metrics);
        for (const auto& [canvas, readout, wanted] :
             {std::tuple{l.Picture3, l.Picture5, 4500.0}, {l.Picture7, l.Picture9, 6000.0}}) {
            EXPECT_GE(readout.width, 0);
            if (title > 0) {
                EXPECT_LE(readout.left + readout.width, canvas.left + canvas.width - title);
            }
            if (title <= 500) {
                EXPECT_DOUBLE_EQ(readout.width, wanted);
            }
        }
    }
}

TEST(WorkWindowLayout, InjectionWellPutsThePlotAtTheBottomAndTheReadoutAtTheTop) {
    const WorkWindowLayout l = computeWorkWindowLayout(false, 2, Metrics);
    EXPECT_DOUBLE_EQ(l.Picture4.top, 1300);
    EXPECT_DOUBLE_EQ(l.Picture4.top + l.Picture4.height, l.Picture3.top + l.Picture3.height);
    EXPECT_DOUBLE_EQ(l.Picture5.top, 700);
    EXPECT_EQ(l.grid1HeaderHeight, 550);
    // The PI chart does not depend on the well type.
    EXPECT_DOUBLE_EQ(l.Picture8.top, 5900);
}

TEST(WorkWindowLayout, DatabaseModeHasFourColumns) {
    const WorkWindowLayout l = computeWorkWindowLayout(true, 1, Metrics);
    // 4150 x 0.35 = 1452.5 and 4150 x 0.25 = 1037.5: halves go to the even twip.
    EXPECT_EQ(l.grid1ColumnWidths, (std::vector<double>{415, 1452, 1245, 1038}));
}

TEST(WorkWindowLayout, ControlsFlushInTwipsStayFlushInPixels) {
    const WorkWindowLayout l = computeWorkWindowLayout(false, 2, Metrics);
    const QRect p3 = l.Picture3.toPixels();
    const QRect p4 = l.Picture4.toPixels();
    EXPECT_EQ(p3.right(), p4.right());
    EXPECT_EQ(p3.bottom(), p4.bottom());
}

} // namespace
} // namespace id
