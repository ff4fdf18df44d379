#pragma once

#include "state/StartOptions.h"

#include <QString>
#include <QStringList>

namespace id {

// What the command line asks for: start with these options, or end at once with this text on
// standard output (help, version) or standard error (a bad option).
struct CommandLine {
    StartOptions options;
    bool exitNow = false;
    int exitCode = 0;
    QString output;
    QString error;
};

// Reads the arguments (the program's name first). Without options the program starts as a
// plain analysis; --connection, --server and --record, or --database and --record, start it
// in database mode.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace id
