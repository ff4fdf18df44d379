#pragma once

#include <QString>
#include <vector>

namespace id {

// Why measured readings cannot be read by an inflow model or a break (empty when they can): a
// figure that is not a number, a negative rate or pressure, no two distinct positive rates, no
// pressure above zero, or a scale at which squares and sums leave the range of a double.
QString impossibleReadings(const std::vector<double>& rates, const std::vector<double>& pressures);

// Magnitudes a reading may have: squares of sums of up to a million of them stay normal doubles.
constexpr double SmallestReading = 1e-100;
constexpr double LargestReading = 1e100;

} // namespace id
