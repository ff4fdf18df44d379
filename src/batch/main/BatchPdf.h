#pragma once

#include "batch/BatchInterpretation.h"
#include "batch/BatchReportContent.h"

#include <QDataStream>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

namespace id {

// The batch's PDF: a first page with the run's settings and counts (interpreted, refused by
// reason), then a page per well in the order the wells come, with its diagram (points, the
// rule's lines or model, the break), its results with their intervals or why there are none, and
// its regimes. The wells are kept aside in a file until the end, when the counts are known; the
// report's module draws them then.
class BatchPdf {
public:
    BatchPdf(const QString& path, reportmodule::Draw draw);
    ~BatchPdf();
    // Why the report cannot be written where asked, if so.
    QString problem() const { return problem_; }
    void addWell(const WellRegimes& well, const WellOutcome& outcome, BatchRule rule);
    // Writes the document whole, as the window writes its files (the old one stays until the new
    // one is on the disk entire); the settings as lines "caption: value". Why not, if not.
    QString finish(const QStringList& settings);

private:
    QString path_;
    reportmodule::Draw draw_;
    QString problem_;
    QTemporaryFile spool_;
    QDataStream out_;
    bool ok_ = false;
    BatchReportContent content_;
};

} // namespace id
