#include "charts/view/ChartUtilities.h"

#include "platform/view/PictureSurface.h"
#include "state/ChartStyle.h"
#include "state/NumberText.h"

namespace id {

QString readoutText(double rate, double value, const QString& valueUnit) {
    return QStringLiteral("X= ") + formatFixed(rate, 2) + QStringLiteral(" м3/сут; Y= ") +
           formatFixed(value, 2) + valueUnit;
}

void showReadout(PictureSurface& box, const QString& text) {
    box.show();
    box.Cls();
    box.CurrentX = 0;
    box.CurrentY = 0;
    box.Print(text);
}

void composeChartCopy(PictureSurface& p6, const PictureSurface& frame, const PictureSurface& plot,
                      bool plotAtBottom) {
    p6.Cls();
    p6.PaintPicture(frame.image(), 0, 0);
    const double w = p6.ScaleWidth();
    const double h = p6.ScaleHeight();
    const double xL = w * Style.PlotLeftMarginFraction;
    if (!plotAtBottom) {
        p6.PaintPicture(plot.image(), xL, 0);
        const double yB = h - h * Style.PlotBottomMarginFraction;
        p6.DrawWidth = Style.AxisLineWidth;
        p6.Line(xL, 0, xL, yB, p6.ForeColor);
        p6.Line(xL, 0, w, 0, p6.ForeColor);
        p6.Line(xL, yB, w, yB, p6.ForeColor);
        p6.DrawWidth = Style.CopyLineWidth;
        p6.Line(w, 0, w, yB, p6.ForeColor);
    } else {
        const double yT = h * Style.PlotBottomMarginFraction;
        p6.PaintPicture(plot.image(), xL, yT);
        p6.DrawWidth = Style.AxisLineWidth;
        p6.Line(xL, yT, xL, h, p6.ForeColor);
        p6.Line(xL, yT, w, yT, p6.ForeColor);
        p6.DrawWidth = Style.CopyLineWidth;
        p6.Line(xL, h, w, h, p6.ForeColor);
        p6.Line(w, yT, w, h, p6.ForeColor);
    }
}

} // namespace id
