#pragma once

#include <QRect>
#include <cmath>

namespace id {

// The work window is laid out in twips at a fixed 1440 twips per inch and 96 dpi, so it looks
// the same on every screen.
constexpr double TwipsPerPixel = 15.0;

// The zoom multiplies every extent on screen; at 1 the conversions are exactly the unzoomed ones.
inline int twipsToPixels(double twips, double zoom = 1.0) {
    return static_cast<int>(std::lround(twips * zoom / TwipsPerPixel));
}
inline double pixelsToTwips(double pixels, double zoom = 1.0) {
    return pixels * TwipsPerPixel / zoom;
}

struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    // Right and bottom edges are converted separately so that controls flush in twips stay
    // flush in pixels.
    QRect toPixels(double zoom = 1.0) const {
        const int l = twipsToPixels(left, zoom);
        const int t = twipsToPixels(top, zoom);
        return {l, t, twipsToPixels(left + width, zoom) - l, twipsToPixels(top + height, zoom) - t};
    }
    bool operator==(const TwipsRect&) const = default;
};

} // namespace id
