#include "charts/view/AxisRangeDialog.h"

#include "platform/MessagePort.h"
#include "platform/Twips.h"
#include "platform/view/FlexGrid.h"
#include "state/NumberText.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace id {

namespace {

template <typename T> T* control(QWidget* parent, const char* name, const TwipsRect& rect) {
    auto* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect.toPixels());
    return widget;
}

const QString BadNumber = QStringLiteral("Неправильный ввод числа");

} // namespace

QString AxisRangeDialog::caption(AxisChoice axis) {
    switch (axis) {
    case AxisChoice::DiagramRate:
        return QStringLiteral("Формат оси X ИД");
    case AxisChoice::DiagramPressure:
        return QStringLiteral("Формат оси Y ИД");
    case AxisChoice::PiIndex:
        break;
    }
    return QStringLiteral("Формат оси Y графика PI от Q");
}

AxisRangeDialog::AxisRangeDialog(AxisChoice axis, double lo, double hi, QWidget& frame,
                                 MessagePort& messages, Accept accept)
    : QWidget(nullptr, Qt::Dialog), frame_(frame), messages_(messages), accept_(std::move(accept)) {
    setObjectName(QStringLiteral("Form15"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption(axis));
    setFixedSize(TwipsRect{0, 0, 4215, 2130}.toPixels().size());
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPointSize(9);

    Text1 = control<QLineEdit>(this, "Text1", {360, 240, 735, 285});
    Label2 = control<QLabel>(this, "Label2", {1200, 255, 2775, 255});
    Text2 = control<QLineEdit>(this, "Text2", {360, 720, 735, 285});
    Label3 = control<QLabel>(this, "Label3", {1200, 720, 2655, 255});
    Check1 = control<QCheckBox>(this, "Check1", {600, 1200, 255, 255});
    Label4 = control<QLabel>(this, "Label4", {1200, 1200, 1575, 255});
    Command1 = control<QPushButton>(this, "Command1", {960, 1560, 1095, 375});
    Command2 = control<QPushButton>(this, "Command2", {2160, 1560, 1095, 375});
    for (QLabel* label : {Label2, Label3, Label4})
        label->setFont(labelFont);
    const QString axisName =
        axis == AxisChoice::DiagramRate ? QStringLiteral("X") : QStringLiteral("Y");
    Label2->setText(QStringLiteral("Минимальное значение оси ") + axisName);
    Label3->setText(QStringLiteral("Максимальное значение оси ") + axisName);
    Label4->setText(QStringLiteral("Автоматически"));
    Command1->setText(QStringLiteral("OK"));
    Command2->setText(QStringLiteral("Отмена"));
    Text1->setText(formatGeneral(lo));
    Text2->setText(formatGeneral(hi));
    for (QLineEdit* box : {Text1, Text2})
        box->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &AxisRangeDialog::ok);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    // While the dialog is open the program answers it only.
    frame_.setEnabled(false);
}

AxisRangeDialog::~AxisRangeDialog() {
    frame_.setEnabled(true);
}

bool AxisRangeDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (answersDialog(key))
            return true;
        const QString text = key->text();
        // Keys that type nothing (arrows, Tab, Delete) are the box's own.
        if (text.isEmpty() || !text.at(0).isPrint() || key->key() == Qt::Key_Backspace)
            return false;
        const QChar ch = text.at(0);
        if (ch >= u'0' && ch <= u'9')
            return false;
        // Both separators type the decimal comma, once (a selected comma is being replaced).
        QString remaining = box->text();
        if (box->hasSelectedText())
            remaining.remove(box->selectionStart(), box->selectedText().size());
        if ((ch == u'.' || ch == u',') && !remaining.contains(u',')) {
            box->insert(QStringLiteral(","));
            return true;
        }
        messages_.showMessage(BadNumber);
        return true;
    }
    if (event->type() == QEvent::FocusOut &&
        !focusStaysWithTheWindow(static_cast<QFocusEvent*>(event)->reason()) &&
        box->text().isEmpty())
        box->setText(QStringLiteral("0"));
    return false;
}

bool AxisRangeDialog::answersDialog(QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        ok();
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return false;
}

void AxisRangeDialog::keyPressEvent(QKeyEvent* event) {
    if (!answersDialog(event))
        QWidget::keyPressEvent(event);
}

void AxisRangeDialog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Typing replaces the value shown, as in any dialog.
    Text1->setFocus();
    Text1->selectAll();
}

void AxisRangeDialog::ok() {
    for (QLineEdit* box : {Text1, Text2})
        if (box->text().isEmpty())
            box->setText(QStringLiteral("0"));
    const std::optional<double> lo = readNumber(Text1->text());
    const std::optional<double> hi = readNumber(Text2->text());
    if (!lo || !hi) {
        messages_.showMessage(BadNumber);
        return;
    }
    if (*lo >= *hi) {
        messages_.showMessage(
            QStringLiteral("Максимальное значение должно быть больше минимального"));
        return;
    }
    if (accept_(*lo, *hi, Check1->checkState() == Qt::Checked))
        close();
}

} // namespace id
