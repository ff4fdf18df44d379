#include "platform/MessageBoxPort.h"

#include <QMessageBox>

namespace id {

void MessageBoxPort::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Индикаторная диаграмма"), text,
                    QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

} // namespace id
