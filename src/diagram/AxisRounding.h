#pragma once

namespace id {

// Rounds the largest data value of an axis up to a round limit just above it, by the leading
// digits of its integer part (with a half step for small leading digits). Values of 10000 and
// more are returned unchanged; negative and non-finite values give 1, like 0.
double RoundUpAxisMax(double value);

} // namespace id
