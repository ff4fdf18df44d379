#include "platform/view/MessageBoxPort.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace id {

void MessageBoxPort::showMessage(const QString& text) {
    showMessage(text, QString());
}

void MessageBoxPort::showMessage(const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Индикаторная диаграмма"), text,
                    QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.exec();
}

MessagePort::Answer MessageBoxPort::ask(const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Индикаторная диаграмма"), question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    box.setObjectName(QStringLiteral("QuestionBox"));
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace id
