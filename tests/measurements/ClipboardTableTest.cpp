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

// Spreadsheet exports the table's own grammar refuses, read whole under what they need, said in
// the notice; a text no reading takes whole keeps the own refusal.
TEST(PlanPasteText, SpreadsheetExportsAreReadWhole) {
    struct Case {
        const char* name;
        QString text;
        std::vector<std::pair<QString, QString>> rows;
        QString notice;
    };
    const QString nbsp(QChar(0x00A0));
    const Case cases[] = {
        {"own grammar", "10,5\t20\n", {{"10,5", "20"}}, ""},
        {"decimal points",
         "10.5\t20.25\n30\t18\n",
         {{"10,5", "20,25"}, {"30", "18"}},
         "Данные вставлены: десятичная точка"},
        {"semicolons",
         "10,5;20\r\n30;18\r\n",
         {{"10,5", "20"}, {"30", "18"}},
         "Данные вставлены: столбцы разделены знаком «;»"},
        {"English CSV with a header",
         "Rate;Pressure\n10.5;20.1\n",
         {{"10,5", "20,1"}},
         "Данные вставлены: десятичная точка, столбцы разделены знаком «;», первая строка — "
         "заголовок"},
        {"several spaces",
         "  10    20,5\n 30   18\n",
         {{"10", "20,5"}, {"30", "18"}},
         "Данные вставлены: столбцы разделены пробелами"},
        {"digit groups",
         "1 250\t20\n2" + nbsp + "500\t18\n",
         {{"1250", "20"}, {"2500", "18"}},
         "Данные вставлены: разряды разделены пробелами"},
        {"header of the table",
         "Дебит, м3/сут\tP заб, МПа\n10\t20\n",
         {{"10", "20"}},
         "Данные вставлены: первая строка — заголовок"},
        {"header with units over decimal points",
         "Дебит, м3/сут\tP заб, МПа\n10.5\t20.25\n",
         {{"10,5", "20,25"}},
         "Данные вставлены: десятичная точка, первая строка — заголовок"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PastePlan plan = planPasteText(c.text);
        EXPECT_FALSE(plan.refused) << plan.error.toStdString();
        EXPECT_EQ(plan.rows, c.rows);
        EXPECT_EQ(plan.notice, c.notice);
    }
    for (const QString& mixed : {QString("10.5\t20,5\n"), QString("10;20\n30\t18\n"),
                                 QString("10\t20\nитого\t38\n"), QString("1,250.5\t20\n"),
                                 // An empty cell between two values is no separator.
                                 QString("10\t\t20\n"), QString("10\t \t20\n30\t18\n")}) {
        SCOPED_TRACE(mixed.toStdString());
        const PastePlan plan = planPasteText(mixed);
        EXPECT_TRUE(plan.refused);
        EXPECT_EQ(plan.error, planPaste(splitClipboardText(mixed)).error) << "today's message";
    }
}

TEST(FitSetText, RateTabPressureLineFeed) {
    EXPECT_EQ(fitSetText({10, 20, 30}, {20, 18.5, 17}), "10\t20\n20\t18,5\n30\t17\n");
    EXPECT_EQ(fitSetText({}, {}), "");
    EXPECT_EQ(fitSetText({0.1 + 0.2}, {1e-7}), "0,3\t1E-07\n");
}

} // namespace
} // namespace id
