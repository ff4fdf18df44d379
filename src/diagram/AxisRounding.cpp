#include "diagram/AxisRounding.h"

#include <cmath>
#include <string>

namespace id {

double RoundUpAxisMax(double value) {
    if (!std::isfinite(value) || value < 0)
        return 1;
    if (value >= 10000)
        return value;
    const long long n = static_cast<long long>(std::floor(value));
    const std::string s = std::to_string(n);
    const std::size_t length = s.size();
    double result = 0;
    if (length == 1) {
        result = static_cast<double>(n + 1);
    } else {
        const int d1 = s[0] - '0';
        const int d2 = s[1] - '0';
        const double unit = std::pow(10.0, static_cast<double>(length - 1));
        if (d1 < 4 && d2 < 5)
            result = d1 * unit + unit / 2;
        else
            result = (d1 + 1) * unit;
    }
    return result;
}

} // namespace id
