#pragma once

#include "platform/Twips.h"

#include <QString>
#include <vector>

namespace id {

// Text extents, in twips, that the layout depends on.
struct LayoutTextMetrics {
    double readoutSampleWidth = 0; // "X= 1000 м3/сут, Y= 1000 МПа" in the diagram canvas font
    double piReadoutSampleWidth = 0; // "X= 1000 м3/сут, Y= 1000 м3/(сут*МПа)" in the PI canvas font
    double xyHeight = 0;             // "XY" in the canvas font
    // The widest rate axis title ("Приемистость, м3/сут") in the title font: a readout box
    // stops short of it.
    double rateTitleWidth = 0;
};

// Geometry of every control of the work window, in twips, computed once at start-up.
struct WorkWindowLayout {
    TwipsRect MSFlexGrid1;
    std::vector<double> grid1ColumnWidths;
    double grid1HeaderHeight = 0;
    TwipsRect Pnas, Skin, Rkontur, Rwell;
    TwipsRect Label1, Label2, Label3, Label4;
    TwipsRect ModelPres, Label5;
    TwipsRect Check1, Check2;
    TwipsRect MSFlexGrid2;
    std::vector<double> grid2ColumnWidths;
    TwipsRect Picture3, Picture4, Picture5;
    TwipsRect Picture7, Picture8, Picture9;
    TwipsRect Picture6;
    TwipsRect Frame1;
};

// Top edges of the diagram's plot area and readout for a well type: the plot sits at the top of
// its canvas for a producing well and at the bottom for an injection well.
struct DiagramPlacement {
    double picture4Top = 0;
    double picture5Top = 0;
};
DiagramPlacement diagramPlacement(const WorkWindowLayout& layout, int wellType, double xyHeight);

int headerRowHeight(int wellType);

WorkWindowLayout computeWorkWindowLayout(bool databaseMode, int wellType,
                                         const LayoutTextMetrics& metrics);

// Whole-twip rounding as the grid column widths use it: halves go to the even neighbour.
double roundTwips(double value);

// Caption of the main frame for a well type.
QString frameCaption(int wellType);

} // namespace id
