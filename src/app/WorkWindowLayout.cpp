#include "app/WorkWindowLayout.h"

#include "state/ChartStyle.h"

#include "state/AnalysisState.h"

#include <algorithm>
#include <cmath>

namespace id {

namespace {
constexpr double PlotLeftMargin = Style.PlotLeftMarginFraction;
constexpr double PlotBottomMargin = Style.PlotBottomMarginFraction;
constexpr double DefaultTextBoxHeight = 375;
constexpr double DefaultLabelWidth = 2895;
constexpr double Check1Height = 255;
constexpr double Check2Height = 210;
constexpr double Grid2StartHeight = 975;
constexpr double ChartWidth = 8000;
constexpr double ChartHeight = 5000;
constexpr double ReadoutGap = 150;
} // namespace

double roundTwips(double value) {
    return std::nearbyint(value);
}

int headerRowHeight(int wellType) {
    return wellType == InjectionWell ? 550 : 450;
}

DiagramPlacement diagramPlacement(const WorkWindowLayout& l, int wellType, double xyHeight) {
    if (wellType == InjectionWell)
        return {l.Picture3.top + l.Picture3.height - l.Picture4.height, l.Picture3.top};
    return {l.Picture3.top, l.Picture3.top + l.Picture3.height - 1.8 * xyHeight};
}

namespace {

// The diagram and the PI chart, one under the other right of the measurements' table, with their
// plot areas and readouts.
void placeCharts(WorkWindowLayout& l, int wellType, const LayoutTextMetrics& m) {
    const TwipsRect& g = l.MSFlexGrid1;
    l.Picture3 = {g.width + g.left + 200, g.top, ChartWidth, ChartHeight};
    TwipsRect& p3 = l.Picture3;
    l.Picture4.left = p3.width * PlotLeftMargin + p3.left;
    l.Picture4.width = p3.width - std::abs(p3.left - l.Picture4.left);
    l.Picture4.height = p3.height - p3.height * PlotBottomMargin;
    // A readout stands in the corner opposite the rate title, on the same edge: it never reaches
    // the title, whatever the fonts make of their widths.
    const auto readoutWidth = [&](const TwipsRect& canvas, const TwipsRect& plot, double sample) {
        const double room = canvas.left + canvas.width - m.rateTitleWidth - ReadoutGap - plot.left;
        return m.rateTitleWidth > 0 ? std::max(0.0, std::min(1.5 * sample, room)) : 1.5 * sample;
    };
    l.Picture5 = {l.Picture4.left, 0, readoutWidth(p3, l.Picture4, m.readoutSampleWidth),
                  1.8 * m.xyHeight};
    const DiagramPlacement placement = diagramPlacement(l, wellType, m.xyHeight);
    l.Picture4.top = placement.picture4Top;
    l.Picture5.top = placement.picture5Top;

    l.Picture7 = {p3.left, p3.height + p3.top + 200, p3.width, p3.height};
    TwipsRect& p7 = l.Picture7;
    l.Picture8.top = p7.top;
    l.Picture8.left = p7.width * PlotLeftMargin + p7.left;
    l.Picture8.width = p7.width - std::abs(p7.left - l.Picture8.left);
    l.Picture8.height = p7.height - p7.height * PlotBottomMargin;
    l.Picture9 = {l.Picture8.left, p7.height + p7.top - 1.8 * m.xyHeight,
                  readoutWidth(p7, l.Picture8, m.piReadoutSampleWidth), 1.8 * m.xyHeight};
}

// The formation's boxes under the measurements' table, each with its label beside it.
void placeFormationInputs(WorkWindowLayout& l) {
    const TwipsRect& g = l.MSFlexGrid1;
    const TwipsRect& p7 = l.Picture7;
    l.Pnas = {g.left, g.height + g.top + 200, 800, 350};
    l.Skin = {l.Pnas.left, l.Pnas.height + l.Pnas.top + 100, l.Pnas.width, DefaultTextBoxHeight};
    l.Rkontur = {l.Skin.left, l.Skin.height + l.Skin.top + 100, l.Pnas.width, DefaultTextBoxHeight};
    l.Rwell = {l.Rkontur.left, l.Rkontur.height + l.Rkontur.top + 100, l.Pnas.width,
               DefaultTextBoxHeight};
    auto labelBeside = [](const TwipsRect& box, double height) {
        return TwipsRect{box.width + box.left + 100, box.top, DefaultLabelWidth, height};
    };
    l.Label1 = labelBeside(l.Pnas, l.Pnas.height);
    l.Label2 = labelBeside(l.Skin, DefaultTextBoxHeight);
    l.Label3 = labelBeside(l.Rkontur, DefaultTextBoxHeight);
    l.Label4 = labelBeside(l.Rwell, DefaultTextBoxHeight);
    // At the foot of the column, level with the PI chart's lower edge: the results table above
    // it grows downwards.
    l.ModelPres = {g.left, p7.top + p7.height - DefaultTextBoxHeight, l.Pnas.width,
                   DefaultTextBoxHeight};
    l.Label5 = labelBeside(l.ModelPres, DefaultTextBoxHeight);
}

} // namespace

WorkWindowLayout computeWorkWindowLayout(bool databaseMode, int wellType,
                                         const LayoutTextMetrics& m) {
    WorkWindowLayout l;
    l.MSFlexGrid1 = {400, 700, 4500, 4000};
    const double w = l.MSFlexGrid1.width - 350;
    const std::vector<double> shares = databaseMode ? std::vector<double>{0.1, 0.35, 0.3, 0.25}
                                                    : std::vector<double>{0.14, 0.43, 0.43};
    for (double share : shares)
        l.grid1ColumnWidths.push_back(roundTwips(w * share));
    l.grid1HeaderHeight = headerRowHeight(wellType);

    placeCharts(l, wellType, m);
    placeFormationInputs(l);
    const TwipsRect& g = l.MSFlexGrid1;
    const TwipsRect& p3 = l.Picture3;
    const TwipsRect& p7 = l.Picture7;

    l.Check1 = {l.Rwell.left, l.Rwell.height + l.Rwell.top + 200, g.width, Check1Height};
    l.Check2 = {l.Check1.left, l.Check1.height + l.Check1.top + 50, g.width, Check2Height};

    l.MSFlexGrid2 = {g.left, l.Check2.height + l.Check2.top + 100, g.width, Grid2StartHeight};
    l.grid2ColumnWidths = {l.MSFlexGrid2.width * 0.85, l.MSFlexGrid2.width * 0.15};

    l.Frame1 = {0, 0, p3.width + p3.left + 200, p7.height + p7.top + 200};
    l.Picture6 = {0, 0, p3.width, p3.height};
    return l;
}

QString frameCaption(int wellType) {
    return wellType == InjectionWell
               ? QStringLiteral("Индикаторная диаграмма нагнетательной скважины")
               : QStringLiteral("Индикаторная диаграмма добывающей скважины");
}

} // namespace id
