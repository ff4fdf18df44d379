// Axes: the tick rule and the axis rounding end, and give finite, ordered, readable ticks for
// every axis the program would draw.
#include "FuzzInput.h"
#include "diagram/AxisRounding.h"
#include "diagram/TickRule.h"

using namespace id;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::setUp();
    fuzz::FuzzInput in(data, size);
    const double low = in.number();
    const double high = in.number();
    const double intervals = in.flag() ? 3.0 : 2.0;
    const double value = in.number();

    const double rounded = RoundUpAxisMax(value);
    FUZZ_CHECK(std::isfinite(rounded), "a rounded axis limit is not finite");
    if (std::isfinite(value) && value > 0)
        FUZZ_CHECK(rounded >= value, "rounding went down");

    if (!axisFault(low, high, QStringLiteral("X"), QStringLiteral("ИД"))) {
        FUZZ_CHECK(std::isfinite(low) && std::isfinite(high) && low != high,
                   "an axis without extent passed the check");
        FUZZ_CHECK(std::abs(low) <= MaxAxisMagnitude && std::abs(high) <= MaxAxisMagnitude,
                   "an axis beyond the limit passed the check");
        const double from = std::min(low, high);
        const double to = std::max(low, high);
        const std::vector<AxisTick> ticks = axisTicks(from, to, intervals);
        FUZZ_CHECK(!ticks.empty() && ticks.size() <= static_cast<std::size_t>(intervals) + 2,
                   "no ticks or too many");
        FUZZ_CHECK(ticks.front().value == from, "the first tick is not the low limit");
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            FUZZ_CHECK(ticks[i].value >= from && ticks[i].value <= to, "a tick off the axis");
            FUZZ_CHECK(!ticks[i].label.isEmpty() && fuzz::readable(ticks[i].label),
                       "a tick label is empty or unreadable");
            if (i > 0)
                FUZZ_CHECK(ticks[i].value >= ticks[i - 1].value, "ticks out of order");
        }
    }
    return 0;
}
