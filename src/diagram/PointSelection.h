#pragma once

#include "state/AnalysisState.h"
#include "state/CommandContext.h"

namespace id {

// The two rubber bands on the diagram's plot area, in its user coordinates (rate across,
// pressure along its axis). View state of the plot: no part of the analysis.
struct RubberBands {
    bool rectangleShown = false; // Shape1
    double left = 0;
    double top = 0; // the pressure at the rectangle's upper edge on screen
    double width = 0;
    double height = 0;
    bool lineShown = false; // Line1
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;

    bool operator==(const RubberBands&) const = default;
};

// A drag in selection mode: where the button went down, and the bands it shows.
struct SelectionDrag {
    // Whether a left press in selection mode started this drag: moves and releases without a
    // press of their own (one swallowed by a closing menu) select nothing.
    bool armed = false;
    double x = 0;
    double y = 0;
    RubberBands bands;
};

// Mouse buttons and the Shift state as the plot reports them.
inline constexpr int LeftMouseButton = 1;
inline constexpr int ShiftAlone = 1;

// A left press in selection mode starts a drag; with Shift alone the line's start is set,
// otherwise the rectangle's corner. Nothing is shown yet.
void pressSelection(SelectionDrag& drag, bool selectionMode, int button, int shift, double x,
                    double y);

// A move with the left button held shows the line (Shift alone, by this move's own state) or
// the rectangle between the press and the pointer.
void moveSelection(SelectionDrag& drag, bool selectionMode, int wellType, int buttons, int shift,
                   double x, double y);

// What the release offers: nothing, "Добавить" for a line, or the trend kinds for a rectangle.
enum class SelectionPopup { None, Line, Rectangle };

// The release of a left drag in selection mode: with two trends shown the count starts over;
// the line's ends, or the points inside the rectangle (bounds included, in table order), become
// the fit set. A release with both bands shown, a rectangle without extent or without points
// selects nothing.
SelectionPopup releaseSelection(AnalysisState& state, SelectionDrag& drag, double x, double y);

// A trend of the kind on the picked points, as the next trend: the first replaces whatever was
// shown and is drawn from rate 0, the second spans the picked rates.
void addTrendByPickedPoints(AnalysisState& state, CommandContext& context, int kind);

} // namespace id
