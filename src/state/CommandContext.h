#pragma once

#include "state/StartOptions.h"

#include <QStringList>

namespace id {

class SpreadsheetFitService;

// What a command needs besides the analysis: the fit service, the start options, and the list
// its messages to the user go to (shown once the command has ended).
struct CommandContext {
    SpreadsheetFitService& fits;
    const StartOptions& options;
    QStringList messages;
};

} // namespace id
