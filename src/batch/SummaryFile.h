#pragma once

#include "batch/BatchInterpretation.h"
#include "document/WholeFile.h"

#include <QSaveFile>
#include <memory>
#include <optional>

namespace id::batchrun {

// The summary written whole, as the window writes its files: the old one stays as it was until
// the new one is on the disk entire.
class SummaryFile {
public:
    // The reason when the file cannot be begun; none when no summary is asked.
    QString open(const QString& path) {
        if (path.isEmpty())
            return {};
        file_ = std::make_unique<QSaveFile>(path);
        if (const std::optional<WriteFailure> f = openWholeFile(*file_)) {
            file_.reset();
            return writeFailureText(QStringLiteral("Сводка"), path, *f);
        }
        add(QStringLiteral("\uFEFF") + summaryHeader());
        return {};
    }
    void add(const QString& line) {
        if (file_)
            file_->write((line + QStringLiteral("\r\n")).toUtf8());
    }
    QString commit() {
        if (!file_)
            return {};
        const QString path = file_->fileName();
        const std::optional<WriteFailure> f = commitWholeFile(*file_);
        file_.reset();
        return f ? writeFailureText(QStringLiteral("Сводка"), path, *f) : QString();
    }

private:
    std::unique_ptr<QSaveFile> file_;
};

} // namespace id::batchrun
