#include "platform/view/RubberBand.h"

#include <QEvent>
#include <QPainter>

namespace id {

RubberBand::RubberBand(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
    setGeometry(parent->rect());
    // The band follows its surface's size.
    parent->installEventFilter(this);
}

void RubberBand::setRectangle(const QRectF& rectangle) {
    isLine_ = false;
    rectangle_ = rectangle;
    update();
}

void RubberBand::setLine(const QLineF& line) {
    isLine_ = true;
    line_ = line;
    update();
}

void RubberBand::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QPen pen(Qt::black, 1, Qt::DashLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (isLine_)
        p.drawLine(line_);
    else
        p.drawRect(rectangle_.normalized());
}

bool RubberBand::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

} // namespace id
