#pragma once

#include "batch/BatchInterpretation.h"

#include <QDataStream>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <map>

namespace id {

// The batch's PDF: a first page with the run's settings and counts (interpreted, refused by
// reason), then a page per well in the order the wells come, with its diagram (points, the
// rule's lines or model, the break), its results with their intervals or why there are none, and
// its regimes. The wells are kept aside in a file until the end, when the counts are known.
class BatchPdf {
public:
    explicit BatchPdf(const QString& path);
    ~BatchPdf();
    // Why the report cannot be written where asked, if so.
    QString problem() const { return problem_; }
    void addWell(const WellRegimes& well, const WellOutcome& outcome, BatchRule rule);
    // Writes the document whole, as the window writes its files (the old one stays until the new
    // one is on the disk entire); the settings as lines "caption: value". Why not, if not.
    QString finish(const QStringList& settings);

private:
    QString path_;
    QString problem_;
    QTemporaryFile spool_;
    QDataStream out_;
    bool ok_ = false;
    int wells_ = 0;
    int interpreted_ = 0;
    std::map<QString, int> refused_;
};

} // namespace id
