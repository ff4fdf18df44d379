#pragma once

#include <QLineF>
#include <QRectF>
#include <QWidget>

namespace id {

// A rubber band over a chart's plot area: a dashed rectangle or line drawn above the surface's
// persistent image, which it never touches. It covers its parent and lets the mouse through.
class RubberBand : public QWidget {
    Q_OBJECT
public:
    explicit RubberBand(QWidget* parent);

    // In the parent's pixels.
    void setRectangle(const QRectF& rectangle);
    void setLine(const QLineF& line);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isLine_ = false;
    QRectF rectangle_;
    QLineF line_;
};

} // namespace id
