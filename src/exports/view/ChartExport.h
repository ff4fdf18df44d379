#pragma once

#include "state/AnalysisState.h"
#include "state/StartOptions.h"

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

// The analysis as its report names it: "Скважина kwu_id N" for a well database's record, the
// file's name, both when both.
QString analysisName(const QString& filePath, const StartOptions& options);

// The report's measurement table stops here, the rest counted: the table would run to hundreds
// of pages that nobody reads.
constexpr qsizetype ReportTableRowsMost = 1000;

// An A4 PDF flowing over as many pages as it takes: well type, the analysis's name, date,
// inputs in force, both charts, trend equations, results, the models' parameters and the
// measurement table, each table in aligned columns.
QByteArray reportFile(const AnalysisState& state, const QString& name, bool withDates,
                      const ChartSizes& sizes);

} // namespace id
