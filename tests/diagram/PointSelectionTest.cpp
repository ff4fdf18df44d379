#include "diagram/PointSelection.h"

#include <gtest/gtest.h>
#include <tuple>

namespace id {
namespace {

// Points (10; 20), (20; 18), (30; 16), (40; 14), (50; 12) of a producing well.
AnalysisState fivePoints(int wellType = ProducingWell) {
    AnalysisState s;
    s.WellType = static_cast<std::int16_t>(wellType);
    for (int i = 1; i <= 5; ++i)
        s.Measurements.append(10.0 * i, 22 - 2.0 * i);
    s.SelectionMode = true;
    return s;
}

// A drag from (x1; y1) to (x2; y2), as the mouse handlers see it.
SelectionPopup drag(AnalysisState& s, double x1, double y1, double x2, double y2, int shift = 0) {
    SelectionDrag d;
    pressSelection(d, s.SelectionMode, LeftMouseButton, shift, x1, y1);
    moveSelection(d, s.SelectionMode, s.WellType, LeftMouseButton, shift, x2, y2);
    return releaseSelection(s, d, x2, y2);
}

TEST(PointSelection, RectanglePicksThePointsInsideBoundsIncluded) {
    struct Case {
        const char* name;
        double x1, y1, x2, y2;
        int wellType;
        std::vector<double> rates;
    };
    const Case cases[] = {
        {"corner to corner", 15, 19, 45, 13, ProducingWell, {20, 30, 40}},
        {"the other way round", 45, 13, 15, 19, ProducingWell, {20, 30, 40}},
        {"points on the edges", 20, 18, 40, 14, ProducingWell, {20, 30, 40}},
        {"injection well", 45, 13, 15, 19, InjectionWell, {20, 30, 40}},
        {"one point", 25, 17, 35, 15, ProducingWell, {30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnalysisState s = fivePoints(c.wellType);
        EXPECT_EQ(drag(s, c.x1, c.y1, c.x2, c.y2), SelectionPopup::Rectangle);
        EXPECT_EQ(s.FitRates.values(), c.rates);
        EXPECT_EQ(s.fitPointCount(), static_cast<int>(c.rates.size()));
        EXPECT_EQ(s.FitRateFrom, 0); // a first trend is drawn from rate 0
        EXPECT_EQ(s.FitRateTo, c.rates.back());
        EXPECT_LE(s.SelectionX1, s.SelectionX2);
        EXPECT_LE(s.SelectionY1, s.SelectionY2);
    }
}

TEST(PointSelection, ReleasesThatSelectNothing) {
    AnalysisState s = fivePoints();
    EXPECT_EQ(drag(s, 15, 19, 15, 13), SelectionPopup::None);     // no width
    EXPECT_EQ(drag(s, 11, 19.5, 19, 18.5), SelectionPopup::None); // no point inside
    EXPECT_EQ(s.fitPointCount(), 0);
    // Shift pressed in the middle of the drag: both bands show, the release selects nothing.
    SelectionDrag d;
    pressSelection(d, true, LeftMouseButton, 0, 15, 19);
    moveSelection(d, true, ProducingWell, LeftMouseButton, 0, 30, 15);
    moveSelection(d, true, ProducingWell, LeftMouseButton, ShiftAlone, 45, 13);
    s.TrendCount = 2;
    EXPECT_EQ(releaseSelection(s, d, 45, 13), SelectionPopup::None);
    EXPECT_EQ(s.TrendCount, 2);
    // A plain click with two trends shown starts over.
    SelectionDrag click;
    pressSelection(click, true, LeftMouseButton, 0, 30, 16);
    EXPECT_EQ(releaseSelection(s, click, 30, 16), SelectionPopup::None);
    EXPECT_EQ(s.TrendCount, 0);
}

TEST(PointSelection, RectangleFollowsThePointerOnScreen) {
    // Top is the pressure at the upper edge on screen: the larger one for a producing well,
    // the smaller one for an injection well, whose pressure grows downwards.
    for (const auto& [wellType, top] : {std::pair{ProducingWell, 19.0}, {InjectionWell, 13.0}}) {
        SCOPED_TRACE(wellType);
        SelectionDrag d;
        pressSelection(d, true, LeftMouseButton, 0, 45, 13);
        moveSelection(d, true, wellType, LeftMouseButton, 0, 15, 19);
        EXPECT_EQ(d.bands.left, 15);
        EXPECT_EQ(d.bands.width, 30);
        EXPECT_EQ(d.bands.height, 6);
        EXPECT_EQ(d.bands.top, top);
        pressSelection(d, true, LeftMouseButton, 0, 15, 13);
        moveSelection(d, true, wellType, LeftMouseButton, 0, 15, 19);
        EXPECT_EQ(d.bands.left, 15); // an equal rate leaves Left where the press put it
    }
}

TEST(PointSelection, NoSelectionWithoutExtentOrWithoutAPress) {
    // Both rectangles pass through (20; 18): without extent they still pick nothing.
    for (const auto& [x1, y1, x2, y2] :
         {std::tuple{20.0, 19.0, 20.0, 13.0}, {15.0, 18.0, 45.0, 18.0}}) {
        AnalysisState s = fivePoints();
        EXPECT_EQ(drag(s, x1, y1, x2, y2), SelectionPopup::None);
        EXPECT_EQ(s.fitPointCount(), 0);
    }
    // A move and a release whose press went elsewhere (to a closing menu) select nothing.
    AnalysisState s = fivePoints();
    SelectionDrag d;
    pressSelection(d, true, LeftMouseButton, 0, 5, 21);
    moveSelection(d, true, ProducingWell, LeftMouseButton, 0, 15, 19);
    releaseSelection(s, d, 15, 19);
    const AnalysisState before = s;
    moveSelection(d, true, ProducingWell, LeftMouseButton, 0, 55, 11);
    EXPECT_EQ(releaseSelection(s, d, 55, 11), SelectionPopup::None);
    EXPECT_EQ(s, before);
}

TEST(PointSelection, LineGivesItsTwoEnds) {
    AnalysisState s = fivePoints();
    s.TrendCount = 1;
    EXPECT_EQ(drag(s, 40, 14, 15, 19.5, ShiftAlone), SelectionPopup::Line);
    EXPECT_EQ(s.FitRates.values(), std::vector<double>({40, 15}));
    EXPECT_EQ(s.FitPressures.values(), std::vector<double>({14, 19.5}));
    EXPECT_EQ(s.FitRateFrom, 15); // a second trend spans its own rates
    EXPECT_EQ(s.FitRateTo, 40);
}

} // namespace
} // namespace id
