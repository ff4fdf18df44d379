#pragma once

#include <QString>

namespace id {

class PictureSurface;

// Text of a chart's cursor readout: the rate and the value under the pointer with two decimals,
// the value's unit after it.
QString readoutText(double rate, double value, const QString& valueUnit);

inline const QString DiagramReadoutUnit = QStringLiteral(" МПа");
// The PI chart's values are indices, not pressures.
inline const QString PiReadoutUnit = QStringLiteral(" м3/(сут*МПа)");

// Shows the readout in its box: cleared, the text printed from the top left corner.
void showReadout(PictureSurface& box, const QString& text);

// Composes a chart for the clipboard on the surface picture6: the frame's image, the plot
// area's image at its place (for an injection well's diagram in the lower part), and a
// rectangle around the plot area whose right (and, in the lower part, bottom) side is drawn
// thicker. plotAtBottom places the plot area in the lower part.
void composeChartCopy(PictureSurface& picture6, const PictureSurface& frame,
                      const PictureSurface& plot, bool plotAtBottom);

} // namespace id
