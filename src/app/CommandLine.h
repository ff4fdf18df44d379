#pragma once

#include "state/StartOptions.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace id {

// What the command line asks for: start with these options, or end at once with this text on
// standard output (help, version) or standard error (a bad option).
struct CommandLine {
    StartOptions options;
    // An analysis file to open at start.
    QString analysisFile;
    bool exitNow = false;
    int exitCode = 0;
    QString output;
    QString error;
};

// Reads the arguments (the program's name first). One argument that is no option names an
// analysis file to open. Without options the program starts as a plain analysis; --connection,
// --server and --record, or --database and --record, start it in database mode.
CommandLine parseCommandLine(const QStringList& arguments);

// The toolkit's parser speaks English in its help and its errors: both programs say them in
// Russian.
QString russianHelpText(const QCommandLineParser& parser, const QString& program);
QString russianParserError(const QCommandLineParser& parser);

} // namespace id
