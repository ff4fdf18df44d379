#pragma once

#include "app/WorkWindowLayout.h"

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace id {

class FlexGrid;
class PictureSurface;
class RubberBand;
struct StartOptions;

// The work window: the measurement table, the formation inputs, the allowed-pressure check
// boxes, the results table and the two charts, all on one canvas that scrolls.
class WorkWindow : public QWidget {
    Q_OBJECT
public:
    explicit WorkWindow(QWidget* parent = nullptr);

    // Lays out every control once, sets the style constants and hides everything but the two
    // tables and, for a producing well, the saturation-pressure input.
    void layOut(const StartOptions& options);
    // Moves the diagram's plot area and readout for the well type.
    void placeDiagram(int wellType);
    // Header caption of the rate column and the header row height for the well type.
    void applyWellTypeHeader(int wellType);

    // Sets a caption beside an input box, widened towards the charts when the text needs it.
    void setLabelText(QLabel* label, const QString& text);

    const WorkWindowLayout& layout() const { return layout_; }
    double xyHeightTwips() const { return xyHeight_; }

    QWidget* Picture1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QWidget* Picture2 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QFrame* Frame1 = nullptr;
    FlexGrid* MSFlexGrid1 = nullptr;
    QLineEdit* Pnas = nullptr;
    QLineEdit* Skin = nullptr;
    QLineEdit* Rkontur = nullptr;
    QLineEdit* Rwell = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    FlexGrid* MSFlexGrid2 = nullptr;
    PictureSurface* Picture3 = nullptr;
    PictureSurface* Picture4 = nullptr;
    PictureSurface* Picture5 = nullptr;
    PictureSurface* Picture6 = nullptr;
    PictureSurface* Picture7 = nullptr;
    PictureSurface* Picture8 = nullptr;
    PictureSurface* Picture9 = nullptr;
    // Rubber bands of the point selection over the diagram's plot area.
    RubberBand* Shape1 = nullptr;
    RubberBand* Line1 = nullptr;

signals:
    // The pointer moved over the form itself, the canvas or the diagram frame.
    void pointerMovedOutsidePlots();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOutMeasurementTable(const StartOptions& options);
    void layOutCharts(std::int16_t wellType);
    void layOutFormationInputs(std::int16_t wellType);
    void layOutResultsTable();
    void placeScrollStrips();
    void updateVerticalStrip();
    void updateHorizontalStrip();

    WorkWindowLayout layout_;
    double xyHeight_ = 0;
};

} // namespace id
