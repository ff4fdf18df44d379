#pragma once

#include <vector>

namespace id {

// The rates at which both charts sample a curve: from x0 in steps of h, the rate accumulated
// step by step, until a step reaches xe. At least one step is taken; a step that cannot advance
// (h of 0 or less) ends the sampling after it.
inline std::vector<double> curveKnots(double x0, double xe, double h, int segments) {
    std::vector<double> knots{x0};
    const std::size_t most = 100 * static_cast<std::size_t>(segments > 0 ? segments : 1);
    double x = x0;
    do {
        x = x + h;
        knots.push_back(x);
    } while (x < xe && h > 0 && knots.size() - 1 < most);
    return knots;
}

} // namespace id
