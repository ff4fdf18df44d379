#pragma once

#include "state/AnalysisState.h"

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

// The chart into a PNG file at twice the screen resolution, or an SVG file (by the suffix).
// Written whole or not at all; the error text when not.
QString exportChart(const QString& path, const AnalysisState& state, ExportedChart chart,
                    const ChartSizes& sizes);

// One A4 page: well type, measurement table, results, both charts, trend equations, date.
QString exportReport(const QString& path, const AnalysisState& state, bool withDates,
                     const ChartSizes& sizes);

} // namespace id
