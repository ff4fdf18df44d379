#include "app/BatchPdf.h"

#include "platform/WholeFile.h"
#include "state/NumberText.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace id {

BatchPdf::BatchPdf(const QString& path) : file_(std::make_unique<QSaveFile>(path)) {
    if (const std::optional<WriteFailure> f = openWholeFile(*file_)) {
        problem_ = writeFailureText(QStringLiteral("Отчёт"), path, *f, false);
        return;
    }
    pdf_ = std::make_unique<QPdfWriter>(file_.get());
    pdf_->setPageSize(QPageSize(QPageSize::A4));
    pdf_->setResolution(150);
    pdf_->setTitle(QStringLiteral("Пакетная интерпретация индикаторных диаграмм"));
    painter_ = std::make_unique<QPainter>(pdf_.get());
}

BatchPdf::~BatchPdf() = default;

QString BatchPdf::finish() {
    if (!problem_.isEmpty())
        return problem_;
    painter_->end();
    painter_.reset();
    pdf_.reset();
    const QString path = file_->fileName();
    if (const std::optional<WriteFailure> f = commitWholeFile(*file_))
        return writeFailureText(QStringLiteral("Отчёт"), path, *f, false);
    return {};
}

bool BatchPdf::ok() const {
    return painter_ && painter_->isActive();
}

void BatchPdf::addWell(const WellRegimes& well, const WellOutcome& o, BatchRule rule) {
    if (!ok())
        return;
    if (!firstPage_)
        pdf_->newPage();
    firstPage_ = false;
    QPainter& p = *painter_;
    const double line = pdf_->resolution() * 0.2;
    const double left = pdf_->resolution() * 0.6;
    const double bottom = pdf_->height() - line;
    double y = pdf_->resolution() * 0.6;
    const auto text = [&](const QString& t, int size, bool bold = false) {
        QFont f = p.font();
        f.setPointSize(size);
        f.setBold(bold);
        p.setFont(f);
        p.drawText(QPointF(left, y), t);
        y += line * size / 9.0;
    };
    text(QStringLiteral("Скважина %1 (%2), правило %3")
             .arg(o.idText.isEmpty() ? QString::number(o.kwuId) : o.idText)
             .arg(well.wellType == InjectionWell ? QStringLiteral("нагнетательная")
                                                 : QStringLiteral("добывающая"))
             .arg(batchRuleName(rule)),
         13, true);
    y += line / 2;
    if (o.ok) {
        for (const QString& e : o.equations)
            text(e, 9);
        for (const ResultRow& r : o.rows)
            text(r.caption + QStringLiteral(": ") + r.value, 10);
    } else {
        text(QStringLiteral("Результатов нет: ") + o.message, 10);
    }
    y += line / 2;
    text(well.wellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут — P заб, МПа")
                                        : QStringLiteral("Дебит, м3/сут — P заб, МПа"),
         10, true);
    for (std::size_t i = 0; i < well.rates.size(); ++i) {
        if (y > bottom) {
            text(QStringLiteral("… и ещё %1 режимов").arg(well.rates.size() - i), 9);
            break;
        }
        text(formatGeneral(well.rates[i]).replace(u'.', u',') + QStringLiteral("   ") +
                 formatGeneral(well.pressures[i]).replace(u'.', u','),
             9);
    }
}

} // namespace id
