#include "platform/view/FilePort.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace id {

QString FileDialogPort::openPath(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, title, QString(), filter);
}

namespace {

// The extension of a filter's first pattern: "png" of "Рисунок PNG (*.png)".
QString suffixOf(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(filter).captured(1);
}

} // namespace

QString FileDialogPort::savePath(const QString& title, const QString& suggested,
                                 const QString& filter) {
    // The dialog adds the chosen format's extension itself, so that it also asks before
    // replacing a file of that full name.
    QFileDialog dialog(parent_, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffixOf(filter));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& chosen) { dialog.setDefaultSuffix(suffixOf(chosen)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace id
