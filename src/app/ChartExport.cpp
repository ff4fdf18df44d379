#include "app/ChartExport.h"

#include "app/ReportText.h"
#include "app/ShellCommands.h"
#include "charts/AnalysisPainter.h"
#include "platform/Palette.h"
#include "platform/PictureSurface.h"
#include "state/ChartStyle.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace id {

void paintChart(QPainter& p, const AnalysisState& s, ExportedChart chart, const ChartSizes& sizes) {
    // Fresh surfaces that record what is drawn on them, whatever the program's setting.
    const bool wasRecording = PictureSurface::recording();
    PictureSurface::setRecording(true);
    PictureSurface p3, p4, p7, p8;
    p3.resize(sizes.diagramFrame);
    p4.resize(sizes.diagramPlot);
    p7.resize(sizes.piFrame);
    p8.resize(sizes.piPlot);
    drawAnalysis(s, {p3, p4, p7, p8});
    PictureSurface::setRecording(wasRecording);

    const bool diagram = chart == ExportedChart::Diagram;
    const PictureSurface& frame = diagram ? p3 : p7;
    const PictureSurface& plot = diagram ? p4 : p8;
    frame.replay(p);
    const double w = frame.width();
    const double h = frame.height();
    const double xL = w - plot.width();
    // An injection well's diagram has its plot area at the bottom, under the rate axis.
    const bool bottom = diagram && s.WellType == InjectionWell;
    const double yT = bottom ? h - plot.height() : 0;
    p.save();
    p.translate(xL, yT);
    plot.replay(p);
    p.restore();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = paletteColor(0);
    const double yB = bottom ? h : plot.height();
    p.setPen(QPen(ink, Style.AxisLineWidth));
    p.drawLine(QPointF(xL, yT), QPointF(xL, yB));
    p.drawLine(QPointF(xL, bottom ? yT : yT), QPointF(w, yT));
    p.drawLine(QPointF(xL, yB), QPointF(w, yB));
    p.setPen(QPen(ink, Style.CopyLineWidth));
    p.drawLine(QPointF(w, yT), QPointF(w, yB));
    p.restore();
}

QByteArray chartFile(ChartFormat format, const AnalysisState& s, ExportedChart chart,
                     const ChartSizes& sizes) {
    const QSize frameSize = chart == ExportedChart::Diagram ? sizes.diagramFrame : sizes.piFrame;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (format == ChartFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(frameSize);
        svg.setViewBox(QRect(QPoint(0, 0), frameSize));
        svg.setResolution(96);
        svg.setTitle(chart == ExportedChart::Diagram ? QStringLiteral("Индикаторная диаграмма")
                                                     : QStringLiteral("График PI-Q"));
        QPainter painter(&svg);
        paintChart(painter, s, chart, sizes);
        painter.end();
    } else {
        QImage image(frameSize * 2, QImage::Format_RGB32);
        image.setDotsPerMeterX(2 * 3780);
        image.setDotsPerMeterY(2 * 3780);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(2, 2);
        paintChart(painter, s, chart, sizes);
        painter.end();
        if (!image.save(&buffer, "PNG"))
            return {};
    }
    return buffer.data();
}

QByteArray reportFile(const AnalysisState& s, bool withDates, const ChartSizes& sizes) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    pdf.setTitle(QStringLiteral("Отчёт: ") + frameCaption(s.WellType));
    QPainter p(&pdf);
    // Page coordinates in points (1/72 inch) whatever the writer's resolution.
    const double toPoints = pdf.resolution() / 72.0;
    p.scale(toPoints, toPoints);
    const double pageWidth = pdf.width() / toPoints;
    const double pageHeight = pdf.height() / toPoints;
    double y = 0;
    const auto text = [&](const QString& t, double size, bool bold = false) {
        QFont font(QStringLiteral("DejaVu Sans"));
        // The painter's scale to points applies to the glyphs too.
        font.setPointSizeF(size / toPoints);
        font.setBold(bold);
        p.setFont(font);
        const QFontMetricsF m(font, &pdf);
        y += m.ascent();
        p.drawText(QPointF(0, y), t);
        y += m.descent() + 2;
    };
    text(frameCaption(s.WellType), 14, true);
    text(QStringLiteral("Дата отчёта: ") +
             QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")),
         9);
    y += 6;

    // Both charts side by side, as vectors, scaled to half the page width each.
    const double chartWidth = pageWidth / 2 - 6;
    const double scale = chartWidth / sizes.diagramFrame.width();
    const double chartHeight =
        std::max(sizes.diagramFrame.height(), sizes.piFrame.height()) * scale;
    for (int i = 0; i < 2; ++i) {
        const bool diagram = i == 0;
        if (!(diagram ? s.DiagramShown : s.PiChartShown))
            continue;
        p.save();
        p.translate(i * (chartWidth + 12), y);
        p.scale(scale, scale);
        paintChart(p, s, diagram ? ExportedChart::Diagram : ExportedChart::PiChart, sizes);
        p.restore();
    }
    if (s.DiagramShown || s.PiChartShown)
        y += chartHeight + 10;

    for (const QString& equation : trendEquations(s))
        text(QStringLiteral("Линия тренда: ") + equation, 9);
    if (s.ResultsShown && !s.ResultRows.empty()) {
        y += 4;
        text(QStringLiteral("Результаты"), 11, true);
        for (const ResultRow& r : s.ResultRows)
            text(r.caption + QStringLiteral(": ") + r.value, 9);
    }
    y += 4;
    text(QStringLiteral("Замеры"), 11, true);
    // The table in columns; the rows that fit on the page, the rest counted.
    const QStringList header = {QStringLiteral("№"),
                                s.WellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                            : QStringLiteral("Дебит, м3/сут"),
                                QStringLiteral("P заб, МПа"),
                                withDates ? QStringLiteral("Дата") : QString()};
    const double columns[] = {0, 40, 170, 280};
    const auto row = [&](const QStringList& cells, bool bold) {
        const double top = y;
        for (int c = 0; c < cells.size(); ++c) {
            y = top;
            p.save();
            p.translate(columns[c], 0);
            text(cells[c], 9, bold);
            p.restore();
        }
    };
    row(header, true);
    const double rowHeight = 12;
    qsizetype shown = 0;
    for (const MeasurementRow& r : s.Table) {
        if (y + 2 * rowHeight > pageHeight)
            break;
        ++shown;
        row({QString::number(shown), r.Rate, r.Pressure, withDates ? r.Date : QString()}, false);
    }
    if (shown < s.Table.size())
        text(QStringLiteral("… и ещё %1 строк таблицы").arg(s.Table.size() - shown), 9);
    p.end();
    return buffer.data();
}

} // namespace id
