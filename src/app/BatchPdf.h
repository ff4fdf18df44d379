#pragma once

#include "app/BatchInterpretation.h"

#include <QString>
#include <memory>

class QPdfWriter;
class QPainter;

namespace id {

// The batch's PDF: a page per well, in the order the wells come, with its regimes, the lines'
// equations and the results as the window's table shows them, or why there are none.
class BatchPdf {
public:
    explicit BatchPdf(const QString& path);
    ~BatchPdf();
    bool ok() const;
    void addWell(const WellRegimes& well, const WellOutcome& outcome, BatchRule rule);

private:
    std::unique_ptr<QPdfWriter> pdf_;
    std::unique_ptr<QPainter> painter_;
    bool firstPage_ = true;
};

} // namespace id
