#include "state/NumberText.h"

#include "support/QtPrinters.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

namespace id {
namespace {

TEST(ReadNumber, AcceptsDecimalCommaNumbersOnly) {
    struct Case {
        QString text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"12,5", 12.5},
        {"0,1", 0.1},
        {"-3", -3},
        {" 7 ", 7},
        {"300", 300},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {",", std::nullopt},
        {"1,2,3", std::nullopt},
        {"12.5", std::nullopt},
        {"abc", std::nullopt},
        {"1 000", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {QString(QChar(0)), std::nullopt},
        {QString("12") + QChar(0), std::nullopt},
        {QString(400, '9'), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(readNumber(c.text), c.expected);
    }
}

// Cells as spreadsheets and databases export them; the values are the digits read by hand.
TEST(ReadCellNumber, OtherProgramsFormsOrNothing) {
    const QString nbsp(QChar(0x00A0));
    const struct {
        QString text;
        std::optional<double> expected;
    } cases[] = {
        {"60,0", 60},
        {"60.5", 60.5},
        {"\"60,0\"", 60},
        {" \" 12.25 \" ", 12.25},
        {"1 000", 1000},
        {"1" + nbsp + "250,5", 1250.5},
        {"12 345 678", 12345678},
        {"-1,5E+3", -1500},
        {"1,250.5", std::nullopt},
        {"1.250,5", std::nullopt},
        {"1 00", std::nullopt},
        {"1 0000", std::nullopt},
        {"n/a", std::nullopt},
        {"", std::nullopt},
        {"\"\"", std::nullopt},
        {"\"5", std::nullopt},
        {"1e999", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(readCellNumber(c.text), c.expected);
    }
}

TEST(FormatNumbers, DisplayPatternsWriteDecimalCommas) {
    EXPECT_EQ(formatFixed(2.951, 1), "3,0");
    EXPECT_EQ(formatFixed(19.123, 1), "19,1");
    EXPECT_EQ(formatFixed(12.64, 2), "12,64");
    EXPECT_EQ(formatFixed(2, 2), "2,00");
    EXPECT_EQ(formatFixed(-0.5, 4), "-0,5000");
    EXPECT_EQ(formatFixed(-0.001, 2), "0,00");
    EXPECT_EQ(formatFixed(1234.5, 2), "1234,50");
    EXPECT_EQ(formatFixed(0.25, 2), "0,25");
}

// Halves of the typed decimal round away from zero, as a spreadsheet shows them, though the
// doubles lie just below the half; carries run through nines; the exponent form rounds alike.
TEST(FormatNumbers, TypedHalvesRoundAwayFromZero) {
    const struct {
        double value;
        int decimals;
        bool scientific;
        const char* text;
    } cases[] = {
        {2.155, 2, false, "2,16"},
        {39.745, 2, false, "39,75"},
        {2.03495, 4, false, "2,0350"},
        {-2.155, 2, false, "-2,16"},
        {1.005, 2, false, "1,01"},
        {9.9996, 3, false, "10,000"},
        {0.00049, 3, false, "0,000"},
        {0.0005, 3, false, "0,001"},
        {-0.0004, 3, false, "0,000"},
        {1e20, 1, false, "100000000000000000000,0"},
        {0.5, 0, false, "1"},
        {-7.84845e-2, 4, true, "-7,8485E-02"},
        {9.99995e-5, 4, true, "1,0000E-04"},
        {0, 4, true, "0,0000E+00"},
        {1.5e300, 2, true, "1,50E+300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.scientific ? formatScientific(c.value, c.decimals)
                               : formatFixed(c.value, c.decimals),
                  QString::fromUtf8(c.text));
    }
}

TEST(FormatNumbers, GeneralFormIsShortest) {
    EXPECT_EQ(formatGeneral(18.5), "18,5");
    EXPECT_EQ(formatGeneral(10), "10");
    EXPECT_EQ(formatGeneral(0.1), "0,1");
    EXPECT_EQ(formatGeneral(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(formatGeneral(123456.25), "123456,25");
    // Against C's 15-digit general form (the value rounded to 15 significant digits), on values
    // of every size and on the decimal fractions readings are made of.
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> exponent(-8, 17), mantissa(1, 10);
    for (int i = 0; i < 20000; ++i) {
        const double typed = std::round(mantissa(random) * 1000) / 1000 *
                             std::pow(10.0, std::floor(exponent(random)));
        const double any = mantissa(random) * std::pow(10.0, exponent(random));
        for (double v : {typed, any, -typed, -any}) {
            char c[64];
            std::snprintf(c, sizeof c, "%.15G", v);
            EXPECT_EQ(formatGeneral(v), QString::fromLatin1(c).replace(u'.', u',')) << v;
        }
    }
}

} // namespace
} // namespace id
