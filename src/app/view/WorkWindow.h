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

    // Screen zoom of the whole window: every control, font and chart that much larger, the
    // charts to be drawn afresh by the owner. 1 is the fixed layout itself.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    // The canvas's size at zoom 1, in pixels.
    QSizeF designSize() const;
    // The results table with no result, at the zoom in force.
    struct ResultsTableLayout {
        QRect geometry;
        std::vector<int> rowHeights;
        std::vector<int> columnWidths;
    };
    ResultsTableLayout emptyResultsLayout() const;
    // The number column as wide as the table's last row number needs.
    void fitRowNumbers();
    // Twips to pixels at the zoom in force.
    int pixels(double twips) const;
    static constexpr double ResultRowHeight = 350;

    // The fixed names map to these roles.
    // Picture1: the strip along the right edge that holds the vertical scroll bar.
    QWidget* Picture1 = nullptr;
    // VScroll1: scrolls the canvas up and down when the window is smaller than it.
    QScrollBar* VScroll1 = nullptr;
    // Picture2: the strip along the bottom edge that holds the horizontal scroll bar.
    QWidget* Picture2 = nullptr;
    // HScroll1: scrolls the canvas sideways.
    QScrollBar* HScroll1 = nullptr;
    // Frame1: the canvas every control below sits on; it is what scrolls.
    QFrame* Frame1 = nullptr;
    // MSFlexGrid1: the measurement table (rate, bottom-hole pressure and, in database mode, the
    // date), typed into or pasted.
    FlexGrid* MSFlexGrid1 = nullptr;
    // Pnas: saturation pressure, МПа (producing well only); draws the dashed line.
    QLineEdit* Pnas = nullptr;
    // Skin: the skin factor, or the transmissibility, as the estimation mode asks.
    QLineEdit* Skin = nullptr;
    // Rkontur: the drainage (supply-contour) radius, m.
    QLineEdit* Rkontur = nullptr;
    // Rwell: the well radius, m.
    QLineEdit* Rwell = nullptr;
    // ModelPres: Pпл given for the inflow models, МПа (producing well only); empty: fitted.
    QLineEdit* ModelPres = nullptr;
    // Label1..Label4: the captions of Pnas, Skin, Rkontur and Rwell; Label5 that of ModelPres.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    // Check1: manual pick of the allowed pressure (Shift + right click on the diagram).
    QCheckBox* Check1 = nullptr;
    // Check2: automatic search of the allowed pressure.
    QCheckBox* Check2 = nullptr;
    // MSFlexGrid2: the results table (coefficients, pressures, the estimate).
    FlexGrid* MSFlexGrid2 = nullptr;
    // Picture3: the indicator diagram's frame: axes, ticks, labels and titles.
    PictureSurface* Picture3 = nullptr;
    // Picture4: the indicator diagram's plot area, where points are drawn and picked.
    PictureSurface* Picture4 = nullptr;
    // Picture5: the cursor readout over the diagram.
    PictureSurface* Picture5 = nullptr;
    // Picture6: hidden; where the chart copies for the clipboard are composed.
    PictureSurface* Picture6 = nullptr;
    // Picture7: the PI chart's frame: axes, ticks, labels and titles.
    PictureSurface* Picture7 = nullptr;
    // Picture8: the PI chart's plot area.
    PictureSurface* Picture8 = nullptr;
    // Picture9: the cursor readout over the PI chart.
    PictureSurface* Picture9 = nullptr;
    // Shape1 and Line1: the rubber bands of the point selection over Picture4.
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
    void applyFonts();
    double rateTitleWidth() const;
    void place(QWidget* widget, const TwipsRect& rect) const;
    void placeMeasurementTable();
    void keepColumnWidths();
    void placeFormationInputs();
    void placeResultsTable();
    void placeScrollStrips();
    void updateVerticalStrip();
    void updateHorizontalStrip();

    WorkWindowLayout layout_;
    double xyHeight_ = 0;
    double zoom_ = 1.0;
    int wellType_ = 0;
    // The measurement table's column widths as laid out, before the number column widened.
    std::vector<int> laidOutColumns_;
};

} // namespace id
