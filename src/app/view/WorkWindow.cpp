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

namespace id {

namespace {

const QString GridFontFamily = QStringLiteral("Times New Roman");

template <typename T> T* makeControl(QWidget* parent, const char* name) {
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

void setFontSize(QWidget* widget, double points) {
    QFont f = widget->font();
    f.setPointSizeF(points);
    widget->setFont(f);
}

void setColumnWidths(FlexGrid* grid, const std::vector<double>& widths, double zoom) {
    grid->setCols(static_cast<int>(widths.size()));
    double left = 0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        // Converted edge by edge so the columns add up to the table's width in pixels.
        const int from = twipsToPixels(left, zoom);
        left += widths[c];
        grid->setColumnWidth(static_cast<int>(c), twipsToPixels(left, zoom) - from);
    }
}

} // namespace

WorkWindow::WorkWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    QFont interfaceFont = font();
    interfaceFont.setFamily(QString::fromLatin1(InterfaceFontFamily));
    setFont(interfaceFont);
    setMouseTracking(true);
    installEventFilter(this);

    Picture1 = makeControl<QWidget>(this, "Picture1");
    VScroll1 = makeControl<QScrollBar>(Picture1, "VScroll1");
    VScroll1->setOrientation(Qt::Vertical);
    Picture2 = makeControl<QWidget>(this, "Picture2");
    HScroll1 = makeControl<QScrollBar>(Picture2, "HScroll1");
    HScroll1->setOrientation(Qt::Horizontal);

    Frame1 = makeControl<QFrame>(this, "Frame1");
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setMouseTracking(true);
    Frame1->installEventFilter(this);
    Frame1->lower();

    MSFlexGrid1 = makeControl<FlexGrid>(Frame1, "MSFlexGrid1");
    MSFlexGrid1->setNumberedRows(true);
    Pnas = makeControl<QLineEdit>(Frame1, "Pnas");
    Skin = makeControl<QLineEdit>(Frame1, "Skin");
    Rkontur = makeControl<QLineEdit>(Frame1, "Rkontur");
    Rwell = makeControl<QLineEdit>(Frame1, "Rwell");
    ModelPres = makeControl<QLineEdit>(Frame1, "ModelPres");
    Label1 = makeControl<QLabel>(Frame1, "Label1");
    Label2 = makeControl<QLabel>(Frame1, "Label2");
    Label3 = makeControl<QLabel>(Frame1, "Label3");
    Label4 = makeControl<QLabel>(Frame1, "Label4");
    Label5 = makeControl<QLabel>(Frame1, "Label5");
    Check1 = makeControl<QCheckBox>(Frame1, "Check1");
    Check2 = makeControl<QCheckBox>(Frame1, "Check2");
    MSFlexGrid2 = makeControl<FlexGrid>(Frame1, "MSFlexGrid2");
    Picture3 = makeControl<PictureSurface>(Frame1, "Picture3");
    Picture4 = makeControl<PictureSurface>(Frame1, "Picture4");
    Picture5 = makeControl<PictureSurface>(Frame1, "Picture5");
    Picture7 = makeControl<PictureSurface>(Frame1, "Picture7");
    Picture8 = makeControl<PictureSurface>(Frame1, "Picture8");
    Picture9 = makeControl<PictureSurface>(Frame1, "Picture9");
    Picture6 = makeControl<PictureSurface>(Frame1, "Picture6");
    Shape1 = makeControl<RubberBand>(Picture4, "Shape1");
    Line1 = makeControl<RubberBand>(Picture4, "Line1");
    Picture3->installEventFilter(this);
    for (PictureSurface* surface : {Picture3, Picture4, Picture5, Picture7, Picture8, Picture9})
        surface->setFramed(true);

    connect(VScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { Frame1->move(Frame1->x(), -twipsToPixels(value, zoom_)); });
    connect(HScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { Frame1->move(-twipsToPixels(value, zoom_), Frame1->y()); });
}

void WorkWindow::place(QWidget* widget, const TwipsRect& rect) const {
    widget->setGeometry(rect.toPixels(zoom_));
}

int WorkWindow::pixels(double twips) const {
    return twipsToPixels(twips, zoom_);
}

QSizeF WorkWindow::designSize() const {
    return {layout_.Frame1.width / TwipsPerPixel, layout_.Frame1.height / TwipsPerPixel};
}

void WorkWindow::setZoom(double zoom) {
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    for (PictureSurface* surface :
         {Picture3, Picture4, Picture5, Picture6, Picture7, Picture8, Picture9})
        surface->setZoom(zoom);
    applyFonts();
    place(Frame1, layout_.Frame1);
    place(Picture6, layout_.Picture6);
    placeMeasurementTable();
    layOutCharts(wellType_);
    placeFormationInputs();
    placeResultsTable();
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5})
        setLabelText(label, label->text());
    // A readout of the old size would point at nothing.
    Picture5->hide();
    Picture9->hide();
    placeScrollStrips();
}

WorkWindow::ResultsTableLayout WorkWindow::emptyResultsLayout() const {
    ResultsTableLayout empty;
    empty.geometry = layout_.MSFlexGrid2.toPixels(zoom_);
    double left = 0;
    for (double width : layout_.grid2ColumnWidths) {
        empty.columnWidths.push_back(pixels(left + width) - pixels(left));
        left += width;
    }
    empty.rowHeights.assign(2, pixels(ResultRowHeight));
    return empty;
}

void WorkWindow::applyFonts() {
    setFontSize(MSFlexGrid1, Style.ControlFontSize * zoom_);
    QFont gridFont = MSFlexGrid1->font();
    gridFont.setFamily(GridFontFamily);
    MSFlexGrid1->setFont(gridFont);
    MSFlexGrid2->setFont(gridFont);
    for (QWidget* w : {static_cast<QWidget*>(Pnas), static_cast<QWidget*>(Skin),
                       static_cast<QWidget*>(Rkontur), static_cast<QWidget*>(Rwell),
                       static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label4),
                       static_cast<QWidget*>(ModelPres), static_cast<QWidget*>(Label5),
                       static_cast<QWidget*>(Check1), static_cast<QWidget*>(Check2)})
        setFontSize(w, Style.ControlFontSize * zoom_);
    // The captions are a little wider in this font than the boxes' fixed width: tighter
    // spacing keeps them whole without changing the layout.
    for (QCheckBox* box : {Check1, Check2}) {
        QFont f = box->font();
        f.setLetterSpacing(QFont::PercentageSpacing, 96);
        box->setFont(f);
        QString sheet = QStringLiteral("QCheckBox { spacing: %1px; }").arg(std::lround(3 * zoom_));
        // The tick box zooms with the rest (the style's own size at 100 %).
        if (zoom_ != 1.0) {
            const long side =
                std::lround(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) * zoom_);
            sheet +=
                QStringLiteral(" QCheckBox::indicator { width: %1px; height: %1px; }").arg(side);
        }
        box->setStyleSheet(sheet);
    }
}

void WorkWindow::layOut(const StartOptions& s) {
    // Frame1 starts at its design size; the scroll ranges follow it once it is enlarged.
    Frame1->setGeometry(TwipsRect{0, 0, 10000, 7700}.toPixels());
    HScroll1->setRange(0, 10000);
    VScroll1->setRange(0, 7700);
    applyFonts();

    const LayoutTextMetrics metrics{
        Picture3->textWidthTwips(QStringLiteral("X= 1000 м3/сут, Y= 1000 МПа")),
        Picture7->textWidthTwips(QStringLiteral("X= 1000 м3/сут, Y= 1000 м3/(сут*МПа)")),
        Picture3->textHeightTwips(QStringLiteral("XY")), rateTitleWidth()};
    xyHeight_ = metrics.xyHeight;
    layout_ = computeWorkWindowLayout(s.DatabaseMode, s.WellType, metrics);
    wellType_ = s.WellType;

    layOutMeasurementTable(s);
    layOutCharts(s.WellType);
    layOutFormationInputs(s.WellType);
    layOutResultsTable();
    place(Frame1, layout_.Frame1);
    place(Picture6, layout_.Picture6);

    for (QWidget* w : {static_cast<QWidget*>(Picture3), static_cast<QWidget*>(Picture4),
                       static_cast<QWidget*>(Picture5), static_cast<QWidget*>(Picture6),
                       static_cast<QWidget*>(Picture7), static_cast<QWidget*>(Picture8),
                       static_cast<QWidget*>(Picture9), static_cast<QWidget*>(Check1),
                       static_cast<QWidget*>(Check2)})
        w->hide();
    MSFlexGrid1->show();
    MSFlexGrid2->show();

    placeScrollStrips();
}

double WorkWindow::rateTitleWidth() const {
    const double tickSize = Picture3->fontSize();
    Picture3->setFontSize(Style.ControlFontSize);
    const double width = Picture3->textWidthTwips(QStringLiteral("Приемистость, м  /сут"));
    Picture3->setFontSize(tickSize);
    return width;
}

void WorkWindow::placeMeasurementTable() {
    place(MSFlexGrid1, layout_.MSFlexGrid1);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(
        QFontMetrics(MSFlexGrid1->font()).height() + static_cast<int>(std::lround(6 * zoom_)));
    setColumnWidths(MSFlexGrid1, layout_.grid1ColumnWidths, zoom_);
    // The room kept for the table's scroll bar shrinks with the zoom; the bar does not: the last
    // column gives up what the bar needs.
    int columns = 0;
    for (int c = 0; c < MSFlexGrid1->Cols(); ++c)
        columns += MSFlexGrid1->columnWidth(c);
    const int room = MSFlexGrid1->width() - 2 * MSFlexGrid1->frameWidth() -
                     MSFlexGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int last = MSFlexGrid1->Cols() - 1;
    if (zoom_ != 1.0 && columns > room && last >= 0)
        MSFlexGrid1->setColumnWidth(last,
                                    std::max(1, MSFlexGrid1->columnWidth(last) - (columns - room)));
    MSFlexGrid1->setRowHeight(0, pixels(headerRowHeight(wellType_)));
    keepColumnWidths();
}

void WorkWindow::keepColumnWidths() {
    laidOutColumns_.clear();
    for (int c = 0; c < MSFlexGrid1->Cols(); ++c)
        laidOutColumns_.push_back(MSFlexGrid1->columnWidth(c));
    fitRowNumbers();
}

void WorkWindow::fitRowNumbers() {
    if (laidOutColumns_.size() < 2)
        return;
    // The number column widens for a long table ("10000" and on), the data columns giving up
    // the room in proportion; a short table keeps the laid-out widths.
    const int largest = std::max(1, MSFlexGrid1->Rows() - 2);
    const int frame =
        2 * (MSFlexGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, MSFlexGrid1) +
             1) +
        2;
    const int needed =
        QFontMetrics(MSFlexGrid1->font()).horizontalAdvance(QString::number(largest)) + frame;
    std::vector<int> widths = laidOutColumns_;
    const int extra = needed - widths[0];
    if (extra > 0) {
        int data = 0;
        for (std::size_t c = 1; c < widths.size(); ++c)
            data += widths[c];
        int given = 0;
        for (std::size_t c = 1; c < widths.size(); ++c) {
            const int share =
                c + 1 == widths.size()
                    ? extra - given
                    : static_cast<int>(static_cast<long long>(extra) * widths[c] / data);
            widths[c] -= share;
            given += share;
        }
        widths[0] += extra;
    }
    for (std::size_t c = 0; c < widths.size(); ++c)
        if (MSFlexGrid1->columnWidth(static_cast<int>(c)) != widths[c])
            MSFlexGrid1->setColumnWidth(static_cast<int>(c), widths[c]);
}

void WorkWindow::layOutMeasurementTable(const StartOptions& s) {
    MSFlexGrid1->setRows(2);
    placeMeasurementTable();
    MSFlexGrid1->setRows(2);
    applyWellTypeHeader(s.WellType);
    // The first data cell is current from the start, as the grid shows it.
    MSFlexGrid1->setCurrentCellAt(1, 1);
    MSFlexGrid1->setText(0, 2, QStringLiteral("P заб, МПа"));
    MSFlexGrid1->setCellAlignment(0, 2, Qt::AlignCenter);
    if (s.DatabaseMode) {
        MSFlexGrid1->setText(0, 3, QStringLiteral("Дата"));
        MSFlexGrid1->setCellAlignment(0, 3, Qt::AlignCenter);
    }
}

void WorkWindow::layOutCharts(std::int16_t wellType) {
    const WorkWindowLayout& l = layout_;
    place(Picture3, l.Picture3);
    place(Picture4, l.Picture4);
    Picture5->setFontSize(Style.ReadoutFontSize);
    place(Picture5, l.Picture5);
    place(Picture7, l.Picture7);
    place(Picture8, l.Picture8);
    Picture9->setFontSize(Style.ReadoutFontSize);
    place(Picture9, l.Picture9);
    placeDiagram(wellType);
}

void WorkWindow::placeFormationInputs() {
    const WorkWindowLayout& l = layout_;
    place(Pnas, l.Pnas);
    place(Skin, l.Skin);
    place(Rkontur, l.Rkontur);
    place(Rwell, l.Rwell);
    place(Label1, l.Label1);
    place(Label2, l.Label2);
    place(Label3, l.Label3);
    place(Label4, l.Label4);
    place(ModelPres, l.ModelPres);
    place(Label5, l.Label5);
    place(Check1, l.Check1);
    place(Check2, l.Check2);
    // Fonts do not scale exactly: away from 100 % a box is never smaller than what it shows, and
    // the second starts below the first.
    if (zoom_ != 1.0) {
        for (QCheckBox* box : {Check1, Check2}) {
            const QSize needed = box->sizeHint();
            box->resize(std::max(box->width(), needed.width()),
                        std::max(box->height(), needed.height()));
        }
        if (Check2->y() < Check1->geometry().bottom() + 1)
            Check2->move(Check2->x(), Check1->geometry().bottom() + 1);
    }
}

void WorkWindow::placeResultsTable() {
    const ResultsTableLayout empty = emptyResultsLayout();
    MSFlexGrid2->setGeometry(empty.geometry);
    MSFlexGrid2->verticalHeader()->setDefaultSectionSize(empty.rowHeights.front());
    for (int c = 0; c < static_cast<int>(empty.columnWidths.size()); ++c)
        MSFlexGrid2->setColumnWidth(c, empty.columnWidths[static_cast<std::size_t>(c)]);
}

void WorkWindow::layOutFormationInputs(std::int16_t wellType) {
    placeFormationInputs();
    setLabelText(Label1, QStringLiteral("Давление насыщения, МПа"));
    setLabelText(Label5, QStringLiteral("Pпл для моделей, МПа"));
    for (QWidget* w : {static_cast<QWidget*>(Pnas), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(ModelPres), static_cast<QWidget*>(Label5)})
        w->setVisible(wellType == ProducingWell);
    for (QWidget* w : {static_cast<QWidget*>(Skin), static_cast<QWidget*>(Rkontur),
                       static_cast<QWidget*>(Rwell), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label4)})
        w->hide();
    Check1->setText(QStringLiteral("Ручной выбор предельно-допустимого Pз"));
    Check2->setText(QStringLiteral("Автопоиск предельно-допустимого Pз"));
}

// No header row: every row is a result.
void WorkWindow::layOutResultsTable() {
    MSFlexGrid2->setFixedRows(0);
    MSFlexGrid2->setFixedCols(0);
    MSFlexGrid2->setRows(2);
    MSFlexGrid2->setCols(static_cast<int>(layout_.grid2ColumnWidths.size()));
    placeResultsTable();
    MSFlexGrid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid2->setFocusPolicy(Qt::NoFocus);
    MSFlexGrid2->setSelectionMode(QAbstractItemView::NoSelection);
    // A value is never cut to "100…": the columns are fitted to the values instead.
    MSFlexGrid2->setTextElideMode(Qt::ElideNone);
}

void WorkWindow::setLabelText(QLabel* label, const QString& text) {
    label->setText(text);
    // The captions' fixed width was made for another font; the room up to the charts is free.
    const int needed = label->fontMetrics().horizontalAdvance(text) + 2 * label->margin() + 2;
    const int room = Picture3->x() - label->x() - 2;
    if (needed > label->width())
        label->resize(std::min(needed, std::max(room, label->width())), label->height());
}

void WorkWindow::placeDiagram(int wellType) {
    wellType_ = wellType;
    const DiagramPlacement p = diagramPlacement(layout_, wellType, xyHeight_);
    layout_.Picture4.top = p.picture4Top;
    layout_.Picture5.top = p.picture5Top;
    place(Picture4, layout_.Picture4);
    place(Picture5, layout_.Picture5);
}

void WorkWindow::applyWellTypeHeader(int wellType) {
    MSFlexGrid1->setText(0, 1,
                         wellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                   : QStringLiteral("Дебит, м3/сут"));
    MSFlexGrid1->setCellAlignment(0, 1, Qt::AlignCenter);
    MSFlexGrid1->setRowHeight(0, pixels(headerRowHeight(wellType)));
}

} // namespace id
