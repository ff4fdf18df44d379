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
#include <algorithm>

namespace id {

void paintChart(QPainter& p, const AnalysisState& s, ExportedChart chart, const ChartSizes& sizes) {
    // Fresh surfaces that record what is drawn on them, whatever the program's setting.
    const bool wasRecording = PictureSurface::recording();
    PictureSurface::setRecording(true);
    PictureSurface p3, p4, p7, p8;
    // In the window's font: the charts' margins were made for its widths.
    for (PictureSurface* surface : {&p3, &p4, &p7, &p8}) {
        surface->setFontFamily(QString::fromLatin1(InterfaceFontFamily));
        surface->setRecordOnly(true);
    }
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

QImage chartImage(const AnalysisState& s, ExportedChart chart, const ChartSizes& sizes) {
    QImage image(chart == ExportedChart::Diagram ? sizes.diagramFrame : sizes.piFrame,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintChart(painter, s, chart, sizes);
    return image;
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

namespace {

// One A4 page written top to bottom, in points (1/72 inch) whatever the writer's resolution.
class ReportPage {
public:
    ReportPage(QPdfWriter& pdf) : pdf_(pdf), painter_(&pdf), toPoints_(pdf.resolution() / 72.0) {
        painter_.scale(toPoints_, toPoints_);
    }
    QPainter& painter() { return painter_; }
    double width() const { return pdf_.width() / toPoints_; }
    double height() const { return pdf_.height() / toPoints_; }
    double y = 0;

    void text(const QString& t, double size, bool bold = false) {
        QFont font(QStringLiteral("DejaVu Sans"));
        // The painter's scale to points applies to the glyphs too.
        font.setPointSizeF(size / toPoints_);
        font.setBold(bold);
        painter_.setFont(font);
        const QFontMetricsF m(font, &pdf_);
        y += m.ascent();
        painter_.drawText(QPointF(0, y), t);
        y += m.descent() + 2;
    }
    // Cells side by side at the given left edges, on one line.
    void row(const QStringList& cells, const double* columns, bool bold) {
        const double top = y;
        for (int c = 0; c < cells.size(); ++c) {
            y = top;
            painter_.save();
            painter_.translate(columns[c], 0);
            text(cells[c], 9, bold);
            painter_.restore();
        }
    }
    void end() { painter_.end(); }

private:
    QPdfWriter& pdf_;
    QPainter painter_;
    double toPoints_;
};

// Both charts side by side, as vectors, scaled to half the page width each.
void reportCharts(ReportPage& page, const AnalysisState& s, const ChartSizes& sizes) {
    const double chartWidth = page.width() / 2 - 6;
    const double scale = chartWidth / sizes.diagramFrame.width();
    const double chartHeight =
        std::max(sizes.diagramFrame.height(), sizes.piFrame.height()) * scale;
    QPainter& p = page.painter();
    for (int i = 0; i < 2; ++i) {
        const bool diagram = i == 0;
        if (!(diagram ? s.DiagramShown : s.PiChartShown))
            continue;
        p.save();
        p.translate(i * (chartWidth + 12), page.y);
        p.scale(scale, scale);
        paintChart(p, s, diagram ? ExportedChart::Diagram : ExportedChart::PiChart, sizes);
        p.restore();
    }
    if (s.DiagramShown || s.PiChartShown)
        page.y += chartHeight + 10;
}

// The measurement table in columns: the rows that fit on the page, the rest counted.
void reportTable(ReportPage& page, const AnalysisState& s, bool withDates) {
    page.y += 4;
    page.text(QStringLiteral("Замеры"), 11, true);
    const QStringList header = {QStringLiteral("№"),
                                s.WellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                            : QStringLiteral("Дебит, м3/сут"),
                                QStringLiteral("P заб, МПа"),
                                withDates ? QStringLiteral("Дата") : QString()};
    const double columns[] = {0, 40, 170, 280};
    page.row(header, columns, true);
    const double rowHeight = 12;
    qsizetype shown = 0;
    for (const MeasurementRow& r : s.Table) {
        if (page.y + 2 * rowHeight > page.height())
            break;
        ++shown;
        page.row({QString::number(shown) + (r.Excluded ? QStringLiteral("*") : QString()), r.Rate,
                  r.Pressure, withDates ? r.Date : QString()},
                 columns, false);
    }
    if (shown < s.Table.size())
        page.text(QStringLiteral("… и ещё %1 строк таблицы").arg(s.Table.size() - shown), 9);
    if (std::any_of(s.Table.begin(), s.Table.end(),
                    [](const MeasurementRow& r) { return r.Excluded; }))
        page.text(QStringLiteral("* точка исключена из анализа"), 9);
}

} // namespace

QByteArray reportFile(const AnalysisState& s, bool withDates, const ChartSizes& sizes) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    pdf.setTitle(QStringLiteral("Отчёт: ") + frameCaption(s.WellType));
    ReportPage page(pdf);
    page.text(frameCaption(s.WellType), 14, true);
    page.text(QStringLiteral("Дата отчёта: ") +
                  QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")),
              9);
    page.y += 6;
    const QStringList inputs = reportInputs(s);
    if (!inputs.isEmpty()) {
        page.text(QStringLiteral("Исходные данные"), 11, true);
        for (const QString& line : inputs)
            page.text(line, 9);
        page.y += 4;
    }
    reportCharts(page, s, sizes);
    const QStringList equations = trendEquations(s);
    for (int i = 0; i < equations.size(); ++i)
        page.text(QStringLiteral("Линия тренда %1: ").arg(i + 1) + equations[i], 9);
    if (s.ResultsShown && !s.ResultRows.empty()) {
        page.y += 4;
        page.text(QStringLiteral("Результаты"), 11, true);
        for (const ResultRow& r : s.ResultRows)
            page.text(r.caption + QStringLiteral(": ") + r.value, 9);
    }
    for (const QStringList& row : parameterRows(s))
        page.text(row[0] + QStringLiteral(": ") + row[1] +
                      (row[2].isEmpty() ? QString() : QStringLiteral(" ± ") + row[2]) +
                      (row[3].isEmpty() ? QString()
                                        : QStringLiteral(" (95 %: ") + row[3] +
                                              QStringLiteral(" … ") + row[4] + u')'),
                  9);
    reportTable(page, s, withDates);
    page.end();
    return buffer.data();
}

} // namespace id
