// Number text: what the program writes it reads back, and what it reads is finite.
#include "FuzzInput.h"
#include "state/NumberText.h"

using namespace id;

namespace {

bool close(double a, double b) {
    return a == b || std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::setUp();
    fuzz::FuzzInput in(data, size);
    const double value = in.number();
    const int decimals = in.integer(1, 4);
    const QString text = in.text();

    if (const std::optional<double> read = readNumber(text)) {
        FUZZ_CHECK(std::isfinite(*read), "a non-finite number was read");
        const QString written = formatGeneral(*read);
        const std::optional<double> again = readNumber(written);
        FUZZ_CHECK(again && close(*again, *read), "a read number does not survive writing");
        FUZZ_CHECK(formatGeneral(*again) == written, "writing is not stable");
    }
    if (std::isfinite(value)) {
        const QString general = formatGeneral(value);
        FUZZ_CHECK(fuzz::readable(general), "a finite number written as nan or inf");
        const std::optional<double> back = readNumber(general);
        FUZZ_CHECK(back && close(*back, value), "the general form does not read back");
        FUZZ_CHECK(fuzz::readable(formatScientific(value, decimals)), "exponent form unreadable");
        if (std::abs(value) < 1e15) {
            const std::optional<double> fixed = readNumber(formatFixed(value, decimals));
            FUZZ_CHECK(fixed && std::abs(*fixed - value) <=
                                    0.5 * std::pow(10.0, -decimals) + 1e-15 * std::abs(value),
                       "the fixed form does not read back");
        }
    }
    return 0;
}
