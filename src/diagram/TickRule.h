#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace id {

// One label of an axis, with or without a tick mark.
struct AxisTick {
    enum Place { Low, Inner, High };
    double value = 0;
    QString label;
    Place place = Inner;
    bool hasMark = false;
};

// Ticks of an axis from low to high. For a range above 1 the step is the smallest whole number
// s with Int(range / s) < intervals + 1, and ticks run low, low + s, ... up to high; the ends
// carry labels only. For a range of 1 or less there are labels at both ends and a marked middle.
std::vector<AxisTick> axisTicks(double low, double high, double intervals);

// Limits beyond this are no rates, pressures or indices of a well, and the labels of such an
// axis would run into each other.
constexpr double MaxAxisMagnitude = 1e10;
constexpr double MinAxisSpan = 1e-290;

// The message for an axis that cannot be drawn: no extent (equal or non-finite limits), or
// limits too large for a chart. chart names the chart in the message.
std::optional<QString> axisFault(double a, double b, const QString& axis, const QString& chart);

// Ends the running command with axisFault's message, if there is one.
void requireAxisExtent(double a, double b, const QString& axis, const QString& chart);

// The step of the rule above, computed directly: it takes the same time for any range.
double tickStep(double range, double intervals);

} // namespace id
