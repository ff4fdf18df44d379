#include "exports/view/ChartExport.h"

#include "exports/DocumentWriter.h"

#include "analysis/ResultRows.h"
#include "app/WorkWindowLayout.h"
#include "charts/view/AnalysisPainter.h"
#include "exports/ReportText.h"
#include "platform/Palette.h"
#include "platform/view/PictureSurface.h"
#include "state/ChartStyle.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDate>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <QTextTable>
#include <algorithm>
#include <numeric>

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

constexpr int ChartObjectType = QTextFormat::UserObject + 1;
constexpr int ChartKindProperty = QTextFormat::UserProperty + 1;

// A chart inside the report's text: laid out as one large character and painted afresh from the
// analysis at the place the layout gives it, as vectors.
class ChartObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    ChartObject(const AnalysisState& s, const ChartSizes& sizes, double width)
        : state_(s), sizes_(sizes), width_(width) {}

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        const QSize frame = frameOf(format);
        return {width_, width_ * frame.height() / std::max(1, frame.width())};
    }
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat& format) override {
        const QSize frame = frameOf(format);
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / std::max(1, frame.width()),
                       rect.height() / std::max(1, frame.height()));
        paintChart(*painter, state_, kindOf(format), sizes_);
        painter->restore();
    }

private:
    static ExportedChart kindOf(const QTextFormat& format) {
        return static_cast<ExportedChart>(format.intProperty(ChartKindProperty));
    }
    QSize frameOf(const QTextFormat& format) const {
        return kindOf(format) == ExportedChart::Diagram ? sizes_.diagramFrame : sizes_.piFrame;
    }

    const AnalysisState& state_;
    const ChartSizes& sizes_;
    double width_;
};

// The report's charts, side by side in a paragraph of their own.
void addCharts(DocumentWriter& out, std::initializer_list<ExportedChart> kinds) {
    std::vector<QTextCharFormat> formats;
    for (const ExportedChart kind : kinds) {
        QTextCharFormat object;
        object.setObjectType(ChartObjectType);
        object.setProperty(ChartKindProperty, static_cast<int>(kind));
        formats.push_back(object);
    }
    out.objects(formats, 8, 4);
}

// "caption: value" as the two cells.
QStringList captionAndValue(const QString& text) {
    const qsizetype colon = text.lastIndexOf(QStringLiteral(": "));
    return colon < 0 ? QStringList{text, QString()}
                     : QStringList{text.left(colon), text.mid(colon + 2)};
}

// The measurements' table, its first rows when it is long; the points left out starred.
void writeMeasurements(DocumentWriter& out, const AnalysisState& s, bool withDates) {
    out.heading(QStringLiteral("Замеры"), 11);
    const qsizetype shown = std::min<qsizetype>(s.Table.size(), ReportTableRowsMost);
    if (shown < s.Table.size())
        out.line(QStringLiteral("В отчёт входят первые %1 строк таблицы из %2.")
                     .arg(shown)
                     .arg(s.Table.size()));
    std::vector<QStringList> rows;
    rows.reserve(shown);
    for (qsizetype i = 0; i < shown; ++i) {
        const MeasurementRow& r = s.Table[i];
        QStringList row = {QString::number(i + 1) + (r.Excluded ? QStringLiteral("*") : QString()),
                           r.Rate, r.Pressure};
        if (withDates)
            row << r.Date;
        rows.push_back(row);
    }
    QStringList header = {QStringLiteral("№"),
                          s.WellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                      : QStringLiteral("Дебит, м3/сут"),
                          QStringLiteral("P заб, МПа")};
    std::vector<double> widths = {10, 30, 25};
    if (withDates) {
        header << QStringLiteral("Дата");
        widths.push_back(25);
    }
    out.table(header, rows, widths);
    if (shown < s.Table.size())
        out.line(QStringLiteral("… и ещё %1 строк").arg(s.Table.size() - shown));
    if (std::any_of(s.Table.begin(), s.Table.end(),
                    [](const MeasurementRow& r) { return r.Excluded; }))
        out.line(QStringLiteral("* точка исключена из анализа"));
}

void writeReport(DocumentWriter& out, const AnalysisState& s, const QString& name, bool withDates) {
    out.heading(frameCaption(s.WellType), 14);
    out.line(name);
    out.line(QStringLiteral("Дата отчёта: ") +
             QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));

    const QStringList inputs = reportInputs(s);
    if (!inputs.isEmpty()) {
        out.heading(QStringLiteral("Исходные данные"), 11);
        std::vector<QStringList> rows;
        for (const QString& input : inputs)
            rows.push_back(captionAndValue(input));
        out.table({QStringLiteral("Величина"), QStringLiteral("Значение")}, rows, {60, 25});
    }

    if (s.DiagramShown && s.PiChartShown)
        addCharts(out, {ExportedChart::Diagram, ExportedChart::PiChart});
    else if (s.DiagramShown)
        addCharts(out, {ExportedChart::Diagram});
    else if (s.PiChartShown)
        addCharts(out, {ExportedChart::PiChart});

    const QStringList equations = trendEquations(s);
    for (int i = 0; i < equations.size(); ++i)
        out.line(QStringLiteral("Линия тренда %1: ").arg(i + 1) + equations[i]);

    if (resultsTableShown(s)) {
        out.heading(QStringLiteral("Результаты"), 11);
        std::vector<QStringList> rows;
        for (const ResultRow& r : resultRows(s))
            rows.push_back({r.caption, r.value});
        out.table({QStringLiteral("Величина"), QStringLiteral("Значение")}, rows, {60, 25});
    }
    const std::vector<QStringList> parameters = parameterRows(s);
    if (!parameters.empty()) {
        out.heading(QStringLiteral("Параметры"), 11);
        out.table({QStringLiteral("Параметр"), QStringLiteral("Значение"),
                   QStringLiteral("Станд. ошибка"), QStringLiteral("95 % от"),
                   QStringLiteral("95 % до")},
                  parameters, {40, 15, 15, 15, 15});
    }

    writeMeasurements(out, s, withDates);
}

} // namespace

QString analysisName(const QString& filePath, const StartOptions& options) {
    QStringList names;
    if (options.DatabaseMode)
        names << QStringLiteral("Скважина kwu_id %1").arg(options.RecordId);
    if (!filePath.isEmpty())
        names << QStringLiteral("Файл анализа: ") + QFileInfo(filePath).fileName();
    if (names.isEmpty())
        names << QStringLiteral("Анализ не сохранён в файл");
    return names.join(QStringLiteral(", "));
}

QByteArray reportFile(const AnalysisState& s, const QString& name, bool withDates,
                      const ChartSizes& sizes) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setResolution(300);
    pdf.setTitle(QStringLiteral("Отчёт: ") + name);

    // Laid out at the writer's resolution, so that the points are the page's points.
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&pdf);
    doc.setDocumentMargin(0);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    doc.setDefaultFont(font);
    const QSizeF page(pdf.width(), pdf.height());
    doc.setPageSize(page);
    const double gap = page.width() / 40;
    ChartObject charts(s, sizes, (page.width() - 2 * gap) / 2);
    doc.documentLayout()->registerHandler(ChartObjectType, &charts);
    {
        DocumentWriter out(doc, 2);
        writeReport(out, s, name, withDates);
    }

    QPainter painter(&pdf);
    bool firstPage = true;
    paintPages(doc, pdf, painter, firstPage);
    painter.end();
    return buffer.data();
}

} // namespace id

#include "ChartExport.moc"
