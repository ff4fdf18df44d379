#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace id {

// The steps of writing a file whole or not at all: into a new file beside it, then flushed,
// then put in its place.
enum class WriteStep { Open, Write, Flush, Commit };

// Why a write did not happen: the cause in Russian for the user, the system's own words for the
// details.
struct WriteFailure {
    WriteStep step = WriteStep::Open;
    QString cause;
    QString systemText;
};

// Writes the bytes to the path, checking every step; on any failure the file that was there is
// left byte for byte as it was. failAt makes that step fail as if the system had refused it with
// the errno given (for tests of what the callers do then).
std::optional<WriteFailure> writeWholeFile(const QString& path, const QByteArray& bytes,
                                           std::optional<WriteStep> failAt = std::nullopt,
                                           int simulatedErrno = 0);

// The common system errors in Russian ("на диске нет места", ...), from the system's text;
// empty for one not among them.
QString russianCause(const QString& systemText);

} // namespace id
