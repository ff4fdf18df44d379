#pragma once

#include "support/QtPrinters.h"

#include <cmath>
#include <gtest/gtest.h>

namespace id::test {

// Passes when actual is within rel of expected, relative to the larger magnitude; values near 0
// are compared absolutely against rel.
inline ::testing::AssertionResult RelNear(double expected, double actual, double rel) {
    const double scale = std::max({std::abs(expected), std::abs(actual), 1e-300});
    const double diff = std::abs(expected - actual);
    if (diff <= rel * scale || diff <= rel)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected " << expected << ", got " << actual << " (relative gap " << diff / scale
           << ", allowed " << rel << ")";
}

} // namespace id::test

#define EXPECT_REL(expected, actual, rel)                                                          \
    EXPECT_TRUE(::id::test::RelNear((expected), (actual), (rel)))
