#include "platform/FilePort.h"

#include <QFileDialog>

namespace id {

QString FileDialogPort::openPath(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, title, QString(), filter);
}

QString FileDialogPort::savePath(const QString& title, const QString& suggested,
                                 const QString& filter) {
    return QFileDialog::getSaveFileName(parent_, title, suggested, filter);
}

} // namespace id
