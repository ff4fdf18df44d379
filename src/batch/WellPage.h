#pragma once

#include "batch/BatchInterpretation.h"

#include <QDataStream>
#include <QString>

namespace id {

// One well as the batch's report draws it. The wells of a run are kept aside in a file until the
// run's counts, which the report opens with, are known.
struct WellPage {
    WellRegimes well;
    WellOutcome outcome;
    QString rule;
};

void writeWellPage(QDataStream& s, const WellRegimes& w, const WellOutcome& o, const QString& rule);
// False when the stream ends or breaks before the page is whole.
bool readWellPage(QDataStream& s, WellPage& p);

} // namespace id
