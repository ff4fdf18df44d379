#include "document/WholeFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace id {

namespace {

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The toolkit reports a short write on a nearly full disk, or an existing file it may not
// replace, without the system's error: the disk and the file say what it was.
QString causeFromTheDisk(const QString& path, qsizetype size) {
    const QFileInfo file(path);
    const QStorageInfo disk(file.absolutePath());
    if (disk.isValid() && disk.isReadOnly())
        return QStringLiteral("диск доступен только для чтения");
    if (disk.isValid() && disk.bytesAvailable() < size + 64 * 1024)
        return QStringLiteral("на диске нет места");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("нет прав доступа к этому файлу или папке");
    return {};
}

WriteFailure failure(WriteStep step, const QString& text, const QString& path = {},
                     qsizetype size = 0) {
    QString cause = russianCause(text);
    if (cause.isEmpty() && !path.isEmpty())
        cause = causeFromTheDisk(path, size);
    return {step, cause.isEmpty() ? QStringLiteral("система отказала в записи") : cause, text};
}

// The bytes on the disk itself. A disk that allocates late reports a full disk only here; the
// toolkit ignores it. A simulated errno fails it as the system would.
std::optional<WriteFailure> syncToDisk(QSaveFile& file, qsizetype size, int simulatedErrno = 0) {
    const int synced = simulatedErrno ? (errno = simulatedErrno, -1) : ::fsync(file.handle());
    if (synced != 0 && errno != EINVAL)
        return failure(WriteStep::Flush, systemText(errno), file.fileName(), size);
    return std::nullopt;
}

} // namespace

QString russianCause(const QString& text) {
    static const struct {
        int error;
        const char* cause;
    } causes[] = {
        {ENOSPC, "на диске нет места"},
        {EDQUOT, "исчерпана квота на диске"},
        {EROFS, "диск доступен только для чтения"},
        {EACCES, "нет прав доступа к этому файлу или папке"},
        {EPERM, "нет прав доступа к этому файлу или папке"},
        {ETXTBSY, "файл занят другой программой"},
        {EBUSY, "файл занят другой программой"},
        {EAGAIN, "файл занят другой программой"},
        {EISDIR, "путь указывает на папку, а не на файл"},
        {ENOENT, "файл или папка не найдены"},
        {ENOTDIR, "папка не найдена"},
        {EFBIG, "файл слишком велик для этого диска"},
        {EIO, "ошибка ввода-вывода на диске"},
        {ENAMETOOLONG, "слишком длинное имя файла"},
    };
    for (const auto& c : causes)
        if (text.contains(systemText(c.error), Qt::CaseInsensitive))
            return QString::fromUtf8(c.cause);
    return {};
}

QString writeFailureText(const QString& what, const QString& path, const WriteFailure& f,
                         bool feminine) {
    return QStringLiteral("%1 не записан%2: %3 (%4); прежний файл не изменён. Сообщение "
                          "системы: %5")
        .arg(what, feminine ? QStringLiteral("а") : QString(), f.cause, path, f.systemText);
}

std::optional<WriteFailure> openWholeFile(QSaveFile& file) {
    if (QFileInfo(file.fileName()).isDir())
        return failure(WriteStep::Open, systemText(EISDIR));
    if (!file.open(QIODevice::WriteOnly))
        return failure(WriteStep::Open, file.errorString(), file.fileName());
    return std::nullopt;
}

std::optional<WriteFailure> commitWholeFile(QSaveFile& file) {
    const QString path = file.fileName();
    const qsizetype size = file.size();
    if (file.error() != QFileDevice::NoError)
        return failure(WriteStep::Write, file.errorString(), path, size);
    if (!file.flush())
        return failure(WriteStep::Flush, file.errorString(), path, size);
    if (auto f = syncToDisk(file, size))
        return f;
    if (!file.commit())
        return failure(WriteStep::Commit, file.errorString(), path, size);
    return std::nullopt;
}

std::optional<WriteFailure> writeWholeFile(const QString& path, const QByteArray& bytes,
                                           std::optional<WriteStep> failAt, int simulatedErrno) {
    if (QFileInfo(path).isDir())
        return failure(WriteStep::Open, systemText(EISDIR));
    const auto simulated = [&](WriteStep step) -> std::optional<WriteFailure> {
        if (failAt == step)
            return failure(step, systemText(simulatedErrno));
        return std::nullopt;
    };
    // The new file is removed whenever this returns before the commit.
    QSaveFile file(path);
    if (auto f = simulated(WriteStep::Open))
        return f;
    if (!file.open(QIODevice::WriteOnly))
        return failure(WriteStep::Open, file.errorString(), path, bytes.size());
    if (auto f = simulated(WriteStep::Write))
        return f;
    if (file.write(bytes) != bytes.size())
        return failure(WriteStep::Write, file.errorString(), path, bytes.size());
    // The toolkit's commit does not look at the last flush of its buffer: a small file on a
    // full disk would replace the old one with nothing.
    if (!file.flush())
        return failure(WriteStep::Flush, file.errorString(), path, bytes.size());
    if (auto f = syncToDisk(file, bytes.size(), failAt == WriteStep::Flush ? simulatedErrno : 0))
        return f;
    if (auto f = simulated(WriteStep::Commit))
        return f;
    if (!file.commit())
        return failure(WriteStep::Commit, file.errorString(), path, bytes.size());
    return std::nullopt;
}

} // namespace id
