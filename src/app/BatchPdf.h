#pragma once

#include "app/BatchInterpretation.h"

#include <QString>
#include <memory>

class QPdfWriter;
class QSaveFile;
class QPainter;

namespace id {

// The batch's PDF: a page per well, in the order the wells come, with its regimes, the lines'
// equations and the results as the window's table shows them, or why there are none.
// It is written whole, as the window writes its files: the old file stays until the new one is on
// the disk entire.
class BatchPdf {
public:
    explicit BatchPdf(const QString& path);
    ~BatchPdf();
    // Why the report cannot be begun, if so.
    QString problem() const { return problem_; }
    void addWell(const WellRegimes& well, const WellOutcome& outcome, BatchRule rule);
    // Puts the report in its place; why not, if not.
    QString finish();

private:
    bool ok() const;
    std::unique_ptr<QSaveFile> file_;
    QString problem_;
    std::unique_ptr<QPdfWriter> pdf_;
    std::unique_ptr<QPainter> painter_;
    bool firstPage_ = true;
};

} // namespace id
