#pragma once

#include "document/WholeFile.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QWidget;

namespace id {

// Where the user chooses files: the desktop's file dialogs in the program, answers given in
// advance in tests and automation. An empty path means the user cancelled.
class FilePort {
public:
    virtual ~FilePort() = default;
    virtual QString openPath(const QString& title, const QString& filter) = 0;
    virtual QString savePath(const QString& title, const QString& suggested,
                             const QString& filter) = 0;
    // Writes a file whole or not at all; the failure, if any.
    virtual std::optional<WriteFailure> write(const QString& path, const QByteArray& bytes) {
        return writeWholeFile(path, bytes);
    }
};

class FileDialogPort : public FilePort {
public:
    explicit FileDialogPort(QWidget* parent) : parent_(parent) {}
    QString openPath(const QString& title, const QString& filter) override;
    QString savePath(const QString& title, const QString& suggested,
                     const QString& filter) override;

private:
    QWidget* parent_;
};

// Answers with the paths queued, in order; cancels when none is left.
class ScriptedFilePort : public FilePort {
public:
    void answerNext(const QString& path) { paths_.append(path); }
    QString openPath(const QString&, const QString&) override { return next(); }
    QString savePath(const QString&, const QString&, const QString&) override { return next(); }
    // The next write fails at the step, as if the system had refused it with the errno.
    void failNextWrite(WriteStep step, int error) { failure_ = {step, error}; }
    std::optional<WriteFailure> write(const QString& path, const QByteArray& bytes) override {
        const auto failure = std::exchange(failure_, std::nullopt);
        return failure ? writeWholeFile(path, bytes, failure->first, failure->second)
                       : writeWholeFile(path, bytes);
    }

private:
    QString next() { return paths_.isEmpty() ? QString() : paths_.takeFirst(); }
    QStringList paths_;
    std::optional<std::pair<WriteStep, int>> failure_;
};

} // namespace id
