#include "batch/main/BatchPdf.h"

#include "document/WholeFile.h"

#include <QSaveFile>

namespace id {

BatchPdf::BatchPdf(const QString& path, reportmodule::Draw draw) : path_(path), draw_(draw) {
    // The place is tried as the report will be written, and nothing is left there by the trial.
    QSaveFile probe(path);
    if (const std::optional<WriteFailure> f = openWholeFile(probe)) {
        problem_ = writeFailureText(QStringLiteral("Отчёт"), path, *f, false);
        return;
    }
    probe.cancelWriting();
    if (!spool_.open()) {
        problem_ = QStringLiteral("Отчёт не начат: нет места для временного файла (") +
                   spool_.errorString() + u')';
        return;
    }
    ok_ = true;
    out_.setDevice(&spool_);
}

BatchPdf::~BatchPdf() = default;

void BatchPdf::addWell(const WellRegimes& well, const WellOutcome& outcome, BatchRule rule) {
    if (!ok_)
        return;
    writeWellPage(out_, well, outcome, batchRuleName(rule));
    ++content_.wells;
    if (outcome.ok)
        ++content_.interpreted;
    else
        ++content_.refused[outcome.message.isEmpty() ? QStringLiteral("Результатов нет")
                                                     : outcome.message];
}

QString BatchPdf::finish(const QStringList& settings) {
    if (!problem_.isEmpty())
        return problem_;
    const QString notWritten = QStringLiteral("Отчёт не записан: ") + path_;
    if (!spool_.flush())
        return notWritten + QStringLiteral(" (временный файл: ") + spool_.errorString() + u')';
    QSaveFile file(path_);
    if (const std::optional<WriteFailure> f = openWholeFile(file))
        return writeFailureText(QStringLiteral("Отчёт"), path_, *f, false);
    spool_.seek(0);
    QDataStream in(&spool_);
    content_.settings = settings;
    content_.nextPage = [&in](WellPage& page) { return readWellPage(in, page); };
    QString why;
    const bool drawn = draw_(file, content_, why);
    content_.nextPage = {};
    if (!drawn)
        return notWritten + (why.isEmpty() ? QString() : QStringLiteral(" (") + why + u')');
    if (const std::optional<WriteFailure> f = commitWholeFile(file))
        return writeFailureText(QStringLiteral("Отчёт"), path_, *f, false);
    return {};
}

} // namespace id
