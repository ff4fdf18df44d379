#include "measurements/ClipboardTable.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace id {
namespace {

using Rows = std::vector<QStringList>;

TEST(SplitClipboardText, LinesAndFieldsLikeASpreadsheetPaste) {
    struct Case {
        const char* name;
        QString text;
        Rows expected;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"CR LF with trailing break", "1\t2\r\n3\t4\r\n", {{"1", "2"}, {"3", "4"}}},
        {"LF without trailing break", "1\t2\n3\t4", {{"1", "2"}, {"3", "4"}}},
        {"CR only", "1\t2\r3\t4\r", {{"1", "2"}, {"3", "4"}}},
        {"mixed endings",
         "1\t2\r\n3\t4\n5\t6\r7\t8",
         {{"1", "2"}, {"3", "4"}, {"5", "6"}, {"7", "8"}}},
        {"only line breaks", "\n\r\n\r", {{""}, {""}, {""}}},
        {"tabs only", "\t\t", {{"", "", ""}}},
        {"empty middle line", "1\t2\n\n3\t4\n", {{"1", "2"}, {""}, {"3", "4"}}},
        {"NUL byte kept in its field",
         QString("1\t2") + QChar(0) + "\n",
         {{"1", QString("2") + QChar(0)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(splitClipboardText(c.text), c.expected);
    }
}

TEST(SplitClipboardText, VeryLongLineStaysOneField) {
    const QString longField(200000, '7');
    const Rows rows = splitClipboardText(longField + "\t1\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].size(), 200000);
}

TEST(PlanPaste, AcceptedBlockStopsAtTheFirstEmptyFirstField) {
    const PastePlan plan =
        planPaste(splitClipboardText("12,5\t10,1\n 15 \t9\t extra\n\nabc\tdef\n"));
    EXPECT_FALSE(plan.refused);
    ASSERT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(plan.rows[0], std::make_pair(QString("12,5"), QString("10,1")));
    EXPECT_EQ(plan.rows[1], std::make_pair(QString("15"), QString("9")));
    // Next to the largest double 15 digits would round past it: the exact digits are written.
    EXPECT_EQ(planPaste(splitClipboardText("1,7976931348623157E+308\t5\n")).rows.at(0).first,
              "1,7976931348623157E+308");
}

TEST(PlanPaste, RefusalsAndTheirMessages) {
    struct Case {
        const char* name;
        QString text;
        QString message;
    };
    const Case cases[] = {
        {"bad number in line 2", "12,5\t10,1\n15\tabc\n", "Неверный формат числа в строк 2"},
        {"three columns", "1\t2\t3\n", "Столбцов должно быть два, а Вы скопировали 3"},
        {"one column", "1\n2\n", "Столбцов должно быть два, а Вы скопировали 1"},
        {"lone comma", ",\t1\n", "Неверный формат числа в строк 1"},
        {"1,2,3", "1,2,3\t4\n", "Неверный формат числа в строк 1"},
        {"missing pressure in line 3", "1\t2\n3\t4\n5\n", "Неверный формат числа в строк 3"},
        {"point as decimal separator", "12.5\t3\n", "Неверный формат числа в строк 1"},
        {"empty text", "", ""},
        {"empty first field", "\t5\n", ""},
        {"only line breaks", "\r\n\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PastePlan plan = planPaste(splitClipboardText(c.text));
        EXPECT_TRUE(plan.refused);
        EXPECT_EQ(plan.error, c.message);
        EXPECT_TRUE(plan.rows.empty());
    }
}

TEST(FitSetText, RateTabPressureLineFeed) {
    EXPECT_EQ(fitSetText({10, 20, 30}, {20, 18.5, 17}), "10\t20\n20\t18,5\n30\t17\n");
    EXPECT_EQ(fitSetText({}, {}), "");
    EXPECT_EQ(fitSetText({0.1 + 0.2}, {1e-7}), "0,3\t1E-07\n");
}

} // namespace
} // namespace id
