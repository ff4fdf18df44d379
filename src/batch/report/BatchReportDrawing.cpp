#include "batch/BatchReportContent.h"
#include "exports/DocumentWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <QTextTable>
#include <algorithm>
#include <cmath>

namespace id {

namespace {

// Six significant digits, as the results' table shows them; the summary keeps every digit.
QString number(double v) {
    QLocale russian(QLocale::Russian, QLocale::Russia);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    return russian.toString(v, 'g', 6);
}

// A step of 1, 2 or 5 times a power of ten that cuts the span into at most five.
double tickStep(double span) {
    const double raw = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}

struct Axis {
    double low = 0;
    double high = 1;
    double step = 0.2;
};

// From 0 (or below, when something is) to the next tick past everything.
Axis axisOver(double least, double most) {
    Axis a;
    a.low = std::min(0.0, least);
    const double span = std::max(most - a.low, 1e-9);
    a.step = tickStep(span);
    a.low = std::floor(a.low / a.step) * a.step;
    a.high = std::ceil(most / a.step) * a.step;
    if (a.high <= a.low)
        a.high = a.low + a.step;
    return a;
}

constexpr int DiagramObjectType = QTextFormat::UserObject + 2;

// The well's diagram inside the page's text: pressure against rate, the points, the rule's lines
// or model, the break. Everything is within the axes' ranges, so nothing leaves the plot.
class WellDiagram : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    WellDiagram(const WellPage& page, QSizeF size) : page_(page), size_(size) {}

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat&) override { return size_; }
    void drawObject(QPainter* p, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat&) override {
        const WellPage& w = page_;
        double rateMost = 0, rateLeast = 0, pressureMost = 0, pressureLeast = 0;
        const auto take = [&](QPointF point) {
            rateMost = std::max(rateMost, point.x());
            rateLeast = std::min(rateLeast, point.x());
            pressureMost = std::max(pressureMost, point.y());
            pressureLeast = std::min(pressureLeast, point.y());
        };
        for (std::size_t i = 0; i < w.well.rates.size(); ++i)
            take({w.well.rates[i], w.well.pressures[i]});
        for (const std::vector<QPointF>& c : w.outcome.curves)
            for (const QPointF& point : c)
                take(point);
        if (w.outcome.breakPoint)
            take(*w.outcome.breakPoint);
        const Axis x = axisOver(rateLeast, rateMost);
        const Axis y = axisOver(pressureLeast, pressureMost);

        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(7.5);
        p->setFont(font);
        const QFontMetricsF metrics(font, p->device());
        const double em = metrics.height();
        const QRectF plot = rect.adjusted(em * 4, em * 1.5, -em, -em * 2.5);
        const auto at = [&](QPointF v) {
            return QPointF(plot.left() + (v.x() - x.low) / (x.high - x.low) * plot.width(),
                           plot.bottom() - (v.y() - y.low) / (y.high - y.low) * plot.height());
        };
        const double pt = rect.width() / 400; // a rough point of this drawing
        p->setPen(QPen(Qt::black, pt * 0.8));
        p->drawRect(plot);
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        for (double v = x.low; v <= x.high + x.step / 2; v += x.step) {
            const QPointF tick = at({v, y.low});
            p->drawLine(tick, tick + QPointF(0, -em / 3));
            const QString label = russian.toString(v, 'g', 6);
            p->drawText(QRectF(tick.x() - em * 3, tick.y() + em * 0.2, em * 6, em),
                        Qt::AlignHCenter | Qt::AlignTop, label);
        }
        for (double v = y.low; v <= y.high + y.step / 2; v += y.step) {
            const QPointF tick = at({x.low, v});
            p->drawLine(tick, tick + QPointF(em / 3, 0));
            p->drawText(QRectF(tick.x() - em * 3.8, tick.y() - em / 2, em * 3.5, em),
                        Qt::AlignRight | Qt::AlignVCenter, russian.toString(v, 'g', 6));
        }
        p->drawText(QRectF(plot.left(), plot.bottom() + em * 1.3, plot.width(), em),
                    Qt::AlignRight | Qt::AlignTop,
                    w.well.wellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                     : QStringLiteral("Дебит, м3/сут"));
        p->drawText(QRectF(rect.left(), rect.top(), em * 8, em), Qt::AlignLeft | Qt::AlignTop,
                    QStringLiteral("P заб, МПа"));

        p->setPen(QPen(QColor(0x1f, 0x4e, 0xa8), pt * 1.2));
        for (const std::vector<QPointF>& c : w.outcome.curves) {
            QPolygonF line;
            for (const QPointF& v : c)
                line << at(v);
            p->drawPolyline(line);
        }
        p->setPen(QPen(QColor(0xc0, 0x20, 0x20), pt * 0.8));
        p->setBrush(QColor(0xc0, 0x20, 0x20));
        for (std::size_t i = 0; i < w.well.rates.size(); ++i)
            p->drawEllipse(at({w.well.rates[i], w.well.pressures[i]}), pt * 2, pt * 2);
        if (w.outcome.breakPoint) {
            const QPointF b = at(*w.outcome.breakPoint);
            p->setPen(QPen(QColor(0x20, 0x80, 0x30), pt));
            p->setBrush(Qt::NoBrush);
            p->drawRect(QRectF(b - QPointF(pt * 3.5, pt * 3.5), QSizeF(pt * 7, pt * 7)));
            p->drawText(b + QPointF(pt * 5, -pt * 5), QStringLiteral("излом"));
        }
        p->restore();
    }

private:
    const WellPage& page_;
    QSizeF size_;
};

// At most this many regimes are listed on a well's page: its diagram shows them all.
constexpr std::size_t RegimesListed = 30;

// At most this many reasons are counted apart on the first page.
constexpr std::size_t ReasonsListed = 20;

QString rangeText(const std::optional<Range>& r) {
    return r ? number(r->low) + QStringLiteral(" … ") + number(r->high) : QString();
}

void writeWell(DocumentWriter& out, const WellPage& w) {
    out.heading(
        QStringLiteral("Скважина kwu_id %1 (%2), правило %3")
            .arg(w.outcome.idText.isEmpty() ? QString::number(w.outcome.kwuId) : w.outcome.idText)
            .arg(w.well.wellType == InjectionWell ? QStringLiteral("нагнетательная")
                                                  : QStringLiteral("добывающая"))
            .arg(w.rule),
        13);
    QTextCharFormat diagram;
    diagram.setObjectType(DiagramObjectType);
    out.objects({diagram}, 6, 0);
    const WellOutcome& o = w.outcome;
    if (!o.ok) {
        out.heading(QStringLiteral("Не интерпретирована"), 11);
        out.line(o.message.isEmpty() ? QStringLiteral("Результатов нет") : o.message);
    } else {
        for (int i = 0; i < o.equations.size(); ++i)
            out.line(QStringLiteral("Линия %1: ").arg(i + 1) + o.equations[i]);
        out.heading(QStringLiteral("Результаты"), 11);
        std::vector<QStringList> rows;
        const auto add = [&](const QString& caption, double value,
                             const std::optional<Range>& interval) {
            if (value > 0)
                rows.push_back({caption, number(value), rangeText(interval)});
        };
        add(w.well.wellType == InjectionWell
                ? QStringLiteral("Коэффициент приемистости, м3/(сут*МПа)")
                : QStringLiteral("Коэффициент продуктивности, м3/(сут*МПа)"),
            o.productivity, o.productivityInterval);
        add(QStringLiteral("Пластовое давление, МПа"), o.reservoirPressure, o.reservoirInterval);
        add(QStringLiteral("Предельно-допустимое забойное давление, МПа"), o.allowedPressure,
            o.allowedInterval);
        rows.push_back({QStringLiteral("R²"), number(o.rSquared), QString()});
        out.table({QStringLiteral("Величина"), QStringLiteral("Значение"),
                   QStringLiteral("95 % интервал")},
                  rows, {55, 20, 25});
        if (!o.message.isEmpty())
            out.line(o.message);
    }
    out.heading(QStringLiteral("Режимы"), 11);
    std::vector<QStringList> regimes;
    const std::size_t listed = std::min(w.well.rates.size(), RegimesListed);
    for (std::size_t i = 0; i < listed; ++i)
        regimes.push_back(
            {QString::number(i + 1), number(w.well.rates[i]), number(w.well.pressures[i])});
    out.table({QStringLiteral("№"),
               w.well.wellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                : QStringLiteral("Дебит, м3/сут"),
               QStringLiteral("P заб, МПа")},
              regimes, {10, 30, 30});
    if (listed < w.well.rates.size())
        out.line(QStringLiteral("… и ещё %1 режимов (на странице — первые %2)")
                     .arg(w.well.rates.size() - listed)
                     .arg(RegimesListed));
}

void prepare(QTextDocument& doc, QPdfWriter& pdf) {
    doc.documentLayout()->setPaintDevice(&pdf);
    doc.setDocumentMargin(0);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    doc.setDefaultFont(font);
    doc.setPageSize(QSizeF(pdf.width(), pdf.height()));
}

// The report's first page: the run's settings (lines "caption: value"), its counts, and the
// reasons of refusal, the commonest first.
void writeRunPage(DocumentWriter& out, const QStringList& settings, int wells, int interpreted,
                  const std::map<QString, int>& refused) {
    out.heading(QStringLiteral("Пакетная интерпретация индикаторных диаграмм"), 14);
    out.line(QStringLiteral("Дата: ") +
             QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    out.heading(QStringLiteral("Параметры прогона"), 11);
    std::vector<QStringList> rows;
    for (const QString& s : settings) {
        const qsizetype colon = s.indexOf(QStringLiteral(": "));
        rows.push_back({s.left(colon), colon < 0 ? QString() : s.mid(colon + 2)});
    }
    out.table({QStringLiteral("Параметр"), QStringLiteral("Значение")}, rows, {40, 60});
    out.heading(QStringLiteral("Итог"), 11);
    out.table({QStringLiteral("Скважин"), QStringLiteral("Интерпретировано"),
               QStringLiteral("Не интерпретировано")},
              std::vector<QStringList>{{QString::number(wells), QString::number(interpreted),
                                        QString::number(wells - interpreted)}},
              {25, 30, 35});
    if (!refused.empty()) {
        out.heading(QStringLiteral("Причины отказа"), 11);
        std::vector<std::pair<int, QString>> reasons;
        for (const auto& [reason, count] : refused)
            reasons.emplace_back(count, reason);
        std::stable_sort(reasons.begin(), reasons.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        std::vector<QStringList> lines;
        int others = 0;
        for (std::size_t i = 0; i < reasons.size(); ++i) {
            if (i < ReasonsListed)
                lines.push_back({reasons[i].second, QString::number(reasons[i].first)});
            else
                others += reasons[i].first;
        }
        if (others > 0)
            lines.push_back({QStringLiteral("Прочие причины"), QString::number(others)});
        out.table({QStringLiteral("Причина"), QStringLiteral("Скважин")}, lines, {80, 20});
    }
}

bool drawReport(QIODevice& out, const BatchReportContent& content, QString& why) {
    QPdfWriter pdf(&out);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setResolution(300);
    pdf.setTitle(QStringLiteral("Пакетная интерпретация индикаторных диаграмм"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    bool firstPage = true;
    {
        QTextDocument doc;
        prepare(doc, pdf);
        {
            DocumentWriter writer(doc, 1.5);
            writeRunPage(writer, content.settings, content.wells, content.interpreted,
                         content.refused);
        }
        paintPages(doc, pdf, painter, firstPage);
    }
    for (int i = 0; i < content.wells; ++i) {
        WellPage page;
        if (!content.nextPage(page)) {
            why = QStringLiteral("временный файл не прочитан");
            return false;
        }
        QTextDocument doc;
        prepare(doc, pdf);
        const double width = pdf.width() * 0.8;
        WellDiagram diagram(page, QSizeF(width, width * 0.6));
        doc.documentLayout()->registerHandler(DiagramObjectType, &diagram);
        {
            DocumentWriter writer(doc, 1.5);
            writeWell(writer, page);
        }
        paintPages(doc, pdf, painter, firstPage);
    }
    return painter.end();
}

} // namespace

} // namespace id

// A PDF needs fonts, hence the toolkit's drawing side; it draws offscreen, no display asked.
extern "C" Q_DECL_EXPORT QCoreApplication* idMakeReportApplication(int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QGuiApplication(argc, argv);
}

extern "C" Q_DECL_EXPORT bool
idDrawBatchReport(QIODevice& out, const id::BatchReportContent& content, QString& why) {
    return id::drawReport(out, content, why);
}

#include "BatchReportDrawing.moc"
