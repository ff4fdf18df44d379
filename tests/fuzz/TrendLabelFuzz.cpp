// Trend labels and curves: readable text for every finite trend, a bounded curve.
#include "FuzzInput.h"
#include "diagram/TrendLabel.h"

using namespace id;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::setUp();
    fuzz::FuzzInput in(data, size);
    const int kind = in.integer(2, 4);
    Coefficients c;
    bool finite = true;
    for (int k = 0; k < kind; ++k) {
        c.append(in.number());
        finite = finite && std::isfinite(c[k + 1]);
    }
    const double rSquared = in.integer(0, 1000) / 1000.0;
    const double from = in.number();
    const double to = in.number();
    if (!finite)
        return 0; // a fit never gives such a trend
    const TrendLabel label = trendLabel(kind, c);
    FUZZ_CHECK(label.text.startsWith(QStringLiteral("y=")), "a label without y=");
    FUZZ_CHECK(fuzz::readable(label.text), "an unreadable label");
    FUZZ_CHECK(fuzz::readable(rSquaredText(rSquared)), "an unreadable R²");
    if (std::isfinite(from) && std::isfinite(to) && from < to && std::abs(from) <= 1e10 &&
        std::abs(to) <= 1e10) {
        const std::vector<Segment> curve = trendCurve(kind, c, from, to, 500);
        // Chords of a five-hundredth of the end rate, bounded where the span is much longer.
        FUZZ_CHECK(!curve.empty() && curve.size() <= 100 * 500, "a curve of the wrong length");
    }
    return 0;
}
