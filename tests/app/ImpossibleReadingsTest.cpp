#include "batch/BatchInterpretation.h"
#include "exports/ReportText.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace id {
namespace {

// Text a person reads must never hold a non-number.
bool holdsNonNumber(const QString& text) {
    const QString lower = text.toLower();
    return lower.contains(QStringLiteral("inf")) || lower.contains(QStringLiteral("nan"));
}

// Readings no real test gives, through every rule as the window's commands run it: the models and
// the break refuse each with a reason; whatever any rule shows is a finite figure or says why not.
TEST(ImpossibleReadings, AreRefusedOrShownAsNumbersOnly) {
    struct Readings {
        const char* what;
        std::vector<double> rates, pressures;
        // The polynomial trends refuse these too (beyond a double's range).
        bool outOfScale;
    };
    const Readings cases[] = {
        {"negative", {-10, -20, -30, -40, -50, -60}, {-15, -16, -16.5, -17, -17.6, -18}, false},
        {"negative and zero", {-62.461, 0, 0, 0, 10, 20}, {-61, 0, 0, 0, 5, 4}, false},
        {"all pressures zero", {10, 20, 30, 40, 50, 60}, {0, 0, 0, 0, 0, 0}, false},
        {"denormal",
         {1e-320, 2e-320, 3e-320, 4e-320, 5e-320, 6e-320},
         {6e-320, 5e-320, 4e-320, 3e-320, 2e-320, 1e-320},
         true},
        {"huge",
         {1e200, 2e200, 3e200, 4e200, 5e200, 6e200},
         {6e200, 5e200, 4e200, 3e200, 2e200, 1e200},
         true},
        {"one rate", {10, 10, 10, 10, 10, 10}, {20, 19, 18, 17, 16, 15}, false},
        {"flat", {10, 20, 30, 40, 50, 60}, {18, 18, 18, 18, 18, 18}, false},
    };
    const BatchRule rules[] = {BatchRule::Linear,   BatchRule::Quadratic, BatchRule::Cubic,
                               BatchRule::Break,    BatchRule::Vogel,     BatchRule::Composite,
                               BatchRule::Fetkovich};
    LeastSquaresFitService fits;
    for (const Readings& c : cases) {
        for (const BatchRule rule : rules) {
            SCOPED_TRACE(std::string(c.what) + ", " + batchRuleName(rule).toStdString());
            BatchSettings settings;
            settings.rule = rule;
            settings.pnas = QStringLiteral("12,5");
            const WellRegimes well{1, ProducingWell, c.rates, c.pressures};
            const WellOutcome o = interpretWell(well, settings, fits);
            const bool mustRefuse =
                c.outOfScale || !(rule == BatchRule::Linear || rule == BatchRule::Quadratic ||
                                  rule == BatchRule::Cubic);
            if (mustRefuse) {
                EXPECT_FALSE(o.ok);
                EXPECT_FALSE(o.message.isEmpty());
            }
            EXPECT_FALSE(holdsNonNumber(summaryLine(o, rule)))
                << summaryLine(o, rule).toStdString();
            for (const ResultRow& r : o.rows)
                EXPECT_FALSE(holdsNonNumber(r.value)) << (r.caption + ": " + r.value).toStdString();
            for (const QString& e : o.equations)
                EXPECT_FALSE(holdsNonNumber(e)) << e.toStdString();
        }
    }
}

} // namespace
} // namespace id
