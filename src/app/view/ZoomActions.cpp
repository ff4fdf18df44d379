#include "app/view/ZoomActions.h"

#include "app/view/AnalysisWindow.h"
#include "app/view/MenuTree.h"
#include "app/view/WorkWindow.h"
#include "document/ViewZoom.h"

#include <QAction>
#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <QWheelEvent>

namespace id {

namespace {
const QString ZoomKey = QStringLiteral("view/zoom");
const QString FitKey = QStringLiteral("view/fit");
} // namespace

ZoomActions::ZoomActions(const MenuTree& menus, WorkWindow& form, AnalysisWindow& analysis,
                         QObject* parent)
    : QObject(parent), menus_(menus), form_(form), analysis_(analysis) {
    connect(menus_.mViewZoomIn, &QAction::triggered, this, &ZoomActions::zoomIn);
    connect(menus_.mViewZoomOut, &QAction::triggered, this, &ZoomActions::zoomOut);
    connect(menus_.mViewZoom100, &QAction::triggered, this, &ZoomActions::zoomTo100);
    connect(menus_.mViewFit, &QAction::triggered, this, &ZoomActions::setFitted);
    form_.installEventFilter(this);
    // Ctrl+wheel zooms over any control of the window, the tables included, which would
    // otherwise scroll.
    qApp->installEventFilter(this);

    const QSettings settings;
    if (settings.value(FitKey, false).toBool())
        setFitted(true);
    else
        apply(usableZoom(settings.value(ZoomKey, 1.0).toDouble()));
}

void ZoomActions::zoomIn() {
    setStep(zoomedIn(form_.zoom()));
}

void ZoomActions::zoomOut() {
    setStep(zoomedOut(form_.zoom()));
}

void ZoomActions::zoomTo100() {
    setStep(1.0);
}

void ZoomActions::setStep(double zoom) {
    fitted_ = false;
    menus_.mViewFit->setChecked(false);
    apply(zoom);
    remember();
}

void ZoomActions::setFitted(bool fitted) {
    fitted_ = fitted;
    menus_.mViewFit->setChecked(fitted);
    if (fitted)
        apply(fitting());
    remember();
}

double ZoomActions::fitting() const {
    // The horizontal strip hides only in a window wider than the canvas: a pixel is kept free.
    return fittingZoom(form_.size() - QSize(1, 0), form_.designSize());
}

void ZoomActions::apply(double zoom) {
    if (zoom == form_.zoom())
        return;
    form_.setZoom(zoom);
    analysis_.showZoomed();
}

void ZoomActions::fitLater() {
    // A window dragged larger sends many resizes: the layout follows once per turn of the loop.
    if (fitPending_)
        return;
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] {
        fitPending_ = false;
        if (fitted_)
            apply(fitting());
    });
}

void ZoomActions::remember() const {
    QSettings settings;
    settings.setValue(FitKey, fitted_);
    if (!fitted_)
        settings.setValue(ZoomKey, form_.zoom());
}

bool ZoomActions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &form_ && event->type() == QEvent::Resize && fitted_)
        fitLater();
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((wheel->modifiers() & Qt::ControlModifier) && widget &&
            (widget == &form_ || form_.isAncestorOf(widget))) {
            // A touchpad sends a notch in small parts: a step per whole notch.
            wheelAngle_ += wheel->angleDelta().y();
            for (; wheelAngle_ >= QWheelEvent::DefaultDeltasPerStep;
                 wheelAngle_ -= QWheelEvent::DefaultDeltasPerStep)
                zoomIn();
            for (; wheelAngle_ <= -QWheelEvent::DefaultDeltasPerStep;
                 wheelAngle_ += QWheelEvent::DefaultDeltasPerStep)
                zoomOut();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace id
