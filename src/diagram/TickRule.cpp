#include "diagram/TickRule.h"

#include "state/AnalysisFault.h"
#include "state/NumberText.h"

#include <cmath>
#include <limits>

namespace id {

namespace {

bool stepFits(double range, double step, double intervals) {
    return std::floor(range / step) < intervals + 1;
}

} // namespace

std::optional<QString> axisFault(double a, double b, const QString& axis, const QString& chart) {
    if (!std::isfinite(a) || !std::isfinite(b) || a == b)
        return QStringLiteral("Минимальное и максимальное значения оси %1%2 совпадают. График не "
                              "построен")
            .arg(axis, chart);
    if (std::max(std::abs(a), std::abs(b)) > MaxAxisMagnitude)
        return QStringLiteral("Значения по оси %1%2 слишком велики (больше 1E+10). "
                              "График не построен")
            .arg(axis, chart);
    // A span this narrow scales to no finite pixel size: the geometry would be NaN.
    if (!(std::abs(b - a) >= MinAxisSpan))
        return QStringLiteral("Диапазон значений по оси %1%2 слишком мал (меньше 1E-290). "
                              "График не построен")
            .arg(axis, chart);
    return std::nullopt;
}

void requireAxisExtent(double a, double b, const QString& axis, const QString& chart) {
    if (const std::optional<QString> fault = axisFault(a, b, axis, chart))
        throw AnalysisFault(*fault);
}

double tickStep(double range, double intervals) {
    if (!(range > 0) || !std::isfinite(range))
        return 1;
    // The smallest s with Int(range / s) < intervals + 1 lies next to range / (intervals + 1);
    // a few unit corrections absorb the rounding of the division. Beyond 2^53 whole numbers are
    // no longer all representable, and the first estimate is as good as any.
    double s = std::max(1.0, std::floor(range / (intervals + 1)) + 1);
    for (int i = 0; i < 4 && s > 1 && stepFits(range, s - 1, intervals); ++i)
        s -= 1;
    for (int i = 0; i < 4 && !stepFits(range, s, intervals); ++i)
        s = std::max(s + 1, std::nextafter(s, std::numeric_limits<double>::infinity()));
    return s;
}

std::vector<AxisTick> axisTicks(double low, double high, double intervals) {
    std::vector<AxisTick> ticks;
    const double range = high - low;
    if (range > 1) {
        const double step = tickStep(range, intervals);
        // range / step < intervals + 1, so there are at most intervals + 1 ticks; the bound
        // also stops the loop where huge limits swallow the step.
        const int maxTicks = static_cast<int>(intervals) + 2;
        for (int k = 0; k < maxTicks; ++k) {
            const double v = low + k * step;
            if (!(v <= high))
                break;
            AxisTick tick{v, formatFixed(v, 1), AxisTick::Inner, true};
            if (v == low) {
                tick.place = AxisTick::Low;
                tick.hasMark = false;
            } else if (v == high) {
                tick.place = AxisTick::High;
                tick.hasMark = false;
            }
            ticks.push_back(tick);
        }
        return ticks;
    }
    const double mid = low + (high - low) / 2;
    const QString oneDecimal = formatFixed(mid, 1);
    const std::optional<double> readBack = readNumber(oneDecimal);
    const QString midLabel = readBack && *readBack == mid ? oneDecimal : formatFixed(mid, 2);
    ticks.push_back({low, formatFixed(low, 1), AxisTick::Low, false});
    ticks.push_back({mid, midLabel, AxisTick::Inner, true});
    ticks.push_back({high, formatFixed(high, 1), AxisTick::High, false});
    return ticks;
}

} // namespace id
