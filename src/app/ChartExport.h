#pragma once

#include "state/AnalysisState.h"

#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

namespace id {

class PictureSurface;

enum class ExportedChart { Diagram, PiChart };

// The sizes of the window's chart surfaces, in pixels.
struct ChartSizes {
    QSize diagramFrame;
    QSize diagramPlot;
    QSize piFrame;
    QSize piPlot;
};

// Draws the chart afresh from the analysis, on surfaces of the sizes the window's have, and
// paints it with the painter in the frame's pixels: frame, plot area and the copies' border,
// as "Копировать график" composes them. Lines stay lines and texts text on a vector device.
void paintChart(QPainter& painter, const AnalysisState& state, ExportedChart chart,
                const ChartSizes& sizes);

enum class ChartFormat { Png, Svg };

// The chart as a picture of the window's unzoomed size.
QImage chartImage(const AnalysisState& state, ExportedChart chart, const ChartSizes& sizes);

// The chart as a PNG file at twice the screen resolution, or as an SVG file; empty when the
// picture could not be encoded.
QByteArray chartFile(ChartFormat format, const AnalysisState& state, ExportedChart chart,
                     const ChartSizes& sizes);

// One A4 page of PDF: well type, measurement table, results, both charts, trend equations, date.
QByteArray reportFile(const AnalysisState& state, bool withDates, const ChartSizes& sizes);

} // namespace id
