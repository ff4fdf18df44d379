// Both allowed-pressure searches end quickly for any trends and data, with a finite answer or
// none.
#include "FuzzInput.h"
#include "analysis/AllowedPressureSearch.h"

#include <ctime>

using namespace id;

namespace {

// The processor time this thread has used: a busy machine does not stretch it, so the bound
// fails only for a search that does too much.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::setUp();
    fuzz::FuzzInput in(data, size);
    const int kind1 = in.integer(2, 4);
    const int kind2 = in.integer(2, 4);
    Coefficients c1;
    Coefficients c2;
    for (int k = 0; k < kind1; ++k)
        c1.append(in.number());
    for (int k = 0; k < kind2; ++k)
        c2.append(in.number());
    const double axis = in.number();
    std::vector<double> cubic(4);
    for (double& c : cubic)
        c = in.number();
    const double pmax = in.number();
    const double pmin = in.number();

    const double start = cpuSeconds();
    const std::optional<double> meeting = searchTrendMeeting(kind1, c1, kind2, c2, axis, 0.01);
    if (meeting)
        FUZZ_CHECK(std::isfinite(*meeting), "a meeting pressure that is not finite");
    const std::optional<double> turning = scanTurningPoint(cubic, pmax, pmin);
    if (turning) {
        FUZZ_CHECK(std::isfinite(*turning), "a turning point that is not finite");
        FUZZ_CHECK(*turning <= pmax && *turning >= pmin, "a turning point outside the pressures");
    }
    FUZZ_CHECK(cpuSeconds() - start < 2 * fuzz::SanitizerSlowdown,
               "a search took longer than two seconds of processor time");
    return 0;
}
