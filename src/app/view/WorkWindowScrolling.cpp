#include "app/view/WorkWindow.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"
#include "platform/view/RubberBand.h"
#include "state/AnalysisState.h"
#include "state/ChartStyle.h"
#include "state/StartOptions.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>

// The scroll strips of a window smaller than its design, and the pointer leaving the charts.
namespace id {

void WorkWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeScrollStrips();
}

void WorkWindow::placeScrollStrips() {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Each strip runs along its whole edge; the vertical one lies over the corner.
    Picture2->setGeometry(0, height() - extent, width(), extent);
    Picture1->setGeometry(width() - extent, 0, extent, height());
    updateVerticalStrip();
    updateHorizontalStrip();
    Picture2->raise();
    Picture1->raise();
}

void WorkWindow::updateVerticalStrip() {
    if (Picture1->height() >= Frame1->height()) {
        Picture1->hide();
        Frame1->move(Frame1->x(), 0);
    } else {
        Picture1->show();
        VScroll1->setValue(VScroll1->minimum());
    }
    VScroll1->setGeometry(0, 0, Picture1->width(), Picture1->height());
    const double frameHeight = pixelsToTwips(Frame1->height(), zoom_);
    const double frameWidth = pixelsToTwips(Frame1->width(), zoom_);
    VScroll1->setMaximum(static_cast<int>(
        std::lround(std::max(0.0, frameHeight - pixelsToTwips(VScroll1->height(), zoom_)))));
    VScroll1->setSingleStep(static_cast<int>(std::lround(frameHeight / 10)));
    VScroll1->setPageStep(static_cast<int>(std::lround(frameWidth / 10)));
}

void WorkWindow::updateHorizontalStrip() {
    if (Picture2->width() > Frame1->width()) {
        Picture2->hide();
        Frame1->move(0, Frame1->y());
    } else {
        Picture2->show();
        HScroll1->setValue(HScroll1->minimum());
    }
    // Room is left for the vertical strip, shown or not; a window narrower than it gives no
    // negative width.
    HScroll1->setGeometry(0, 0, std::max(0, Picture2->width() - Picture1->width()),
                          Picture2->height());
    const double frameWidth = pixelsToTwips(Frame1->width(), zoom_);
    HScroll1->setMaximum(static_cast<int>(
        std::lround(std::max(0.0, frameWidth - pixelsToTwips(HScroll1->width(), zoom_)))));
    HScroll1->setSingleStep(static_cast<int>(std::lround(frameWidth / 10)));
    HScroll1->setPageStep(static_cast<int>(std::lround(frameWidth / 10)));
}

bool WorkWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove &&
        (watched == this || watched == Frame1 || watched == Picture3))
        emit pointerMovedOutsidePlots();
    return QWidget::eventFilter(watched, event);
}

} // namespace id
