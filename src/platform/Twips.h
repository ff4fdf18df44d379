#pragma once

#include <QRect>
#include <cmath>

namespace id {

// The work window is laid out in twips at a fixed 1440 twips per inch and 96 dpi, so it looks
// the same on every screen.
constexpr double TwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}
inline double pixelsToTwips(double pixels) {
    return pixels * TwipsPerPixel;
}

struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    // Right and bottom edges are converted separately so that controls flush in twips stay
    // flush in pixels.
    QRect toPixels() const {
        const int l = twipsToPixels(left);
        const int t = twipsToPixels(top);
        return {l, t, twipsToPixels(left + width) - l, twipsToPixels(top + height) - t};
    }
    bool operator==(const TwipsRect&) const = default;
};

} // namespace id
