#pragma once

#include <QString>
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

// Ends the running command with a message when an axis has no extent (equal or non-finite
// limits): nothing sensible can be drawn on it. chart names the chart in the message.
void requireAxisExtent(double a, double b, const QString& axis, const QString& chart);

// The step of the rule above, found without walking every candidate.
long long tickStep(double range, double intervals);

} // namespace id
