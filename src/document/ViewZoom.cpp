#include "document/ViewZoom.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace id {

namespace {
constexpr std::array<double, 13> Steps{0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                       1.25, 1.5,  1.75, 2.0, 2.5, 3.0};
// A fitted zoom this close to a step counts as the step.
constexpr double Near = 1e-6;
} // namespace

double zoomedIn(double zoom) {
    for (double step : Steps)
        if (step > zoom + Near)
            return step;
    return std::max(zoom, Steps.back());
}

double zoomedOut(double zoom) {
    for (auto it = Steps.rbegin(); it != Steps.rend(); ++it)
        if (*it < zoom - Near)
            return *it;
    return std::min(zoom, Steps.front());
}

double fittingZoom(QSize available, QSizeF design) {
    if (design.width() <= 0 || design.height() <= 0)
        return 1.0;
    const double zoom = std::min(double(available.width()) / design.width(),
                                 double(available.height()) / design.height());
    // Under the exact ratio by a hair more than half a pixel's worth, so that rounding never
    // makes the layout a pixel too large.
    const double margin = 0.6 / std::max(design.width(), design.height());
    return std::clamp(zoom * (1 - margin), MinZoom, MaxZoom);
}

double usableZoom(double zoom) {
    return std::isfinite(zoom) && zoom >= MinZoom && zoom <= MaxZoom ? zoom : 1.0;
}

} // namespace id
