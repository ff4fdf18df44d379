#pragma once

#include <QObject>

namespace id {

class AnalysisWindow;
class WorkWindow;
struct MenuTree;

// The "Вид" menu's commands and Ctrl+wheel: the work window's zoom, a fixed step or fitted to
// the window as it resizes, remembered from one session to the next.
class ZoomActions : public QObject {
    Q_OBJECT
public:
    ZoomActions(const MenuTree& menus, WorkWindow& form, AnalysisWindow& analysis,
                QObject* parent = nullptr);

    void zoomIn();
    void zoomOut();
    void zoomTo100();
    void setFitted(bool fitted);
    bool fitted() const { return fitted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setStep(double zoom);
    void apply(double zoom);
    double fitting() const;
    void fitLater();
    void remember() const;

    const MenuTree& menus_;
    WorkWindow& form_;
    AnalysisWindow& analysis_;
    bool fitted_ = false;
    bool fitPending_ = false;
    int wheelAngle_ = 0;
};

} // namespace id
