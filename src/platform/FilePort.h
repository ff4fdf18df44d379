#pragma once

#include <QString>
#include <QStringList>

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

private:
    QString next() { return paths_.isEmpty() ? QString() : paths_.takeFirst(); }
    QStringList paths_;
};

} // namespace id
