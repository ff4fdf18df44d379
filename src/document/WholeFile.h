#pragma once

#include <QByteArray>
#include <QSaveFile>
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

// The same for a file written through a stream (a long summary, a PDF): opened here, written by
// the caller, then checked whole and put in place by the commit. A write that failed on the way
// fails the commit; the old file stays as it was.
std::optional<WriteFailure> openWholeFile(QSaveFile& file);
std::optional<WriteFailure> commitWholeFile(QSaveFile& file);

// "Сводка не записана: на диске нет места (путь); прежний файл не изменён. Сообщение
// системы: …" for a file named by `what` (feminine, as "Сводка", or masculine, as "Отчёт").
QString writeFailureText(const QString& what, const QString& path, const WriteFailure& failure,
                         bool feminine = true);

// The common system errors in Russian ("на диске нет места", ...), from the system's text;
// empty for one not among them.
QString russianCause(const QString& systemText);

} // namespace id
