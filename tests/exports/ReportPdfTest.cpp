#include "exports/view/ChartExport.h"
#include "support/PdfText.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace id::test {
namespace {

// A table longer than a page goes on over the next pages, with every row; past the stated limit
// the rest is counted. The analysis is named whole, however long its name.
TEST(ReportPdf, NamesTheAnalysisAndFlowsTheTableOverPages) {
    const QString longName = "замеры_после_гидроразрыва_пласта_куст_17_скважина_1234_" +
                             QString("очень_длинное_имя_").repeated(4) + "конец.ida";
    const struct Case {
        const char* what;
        int rows;
        QString file;
        StartOptions options;
        QString name;
        int pagesAtLeast;
        int lastRowShown;
    } cases[] = {
        {"a saved analysis", 80, "/tmp/well-12.ida", {}, "Файл анализа: well-12.ida", 2, 80},
        {"a long file name", 3, "/tmp/" + longName, {}, "Файл анализа: " + longName, 1, 3},
        {"a record of the well database",
         1200,
         {},
         {.DatabaseMode = true, .RecordId = 17},
         "Скважина kwu_id 17",
         15, // rows of 9-point text, at most about 70 on the 267 mm of an A4 page's text
         int(ReportTableRowsMost)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnalysisState s;
        for (int i = 1; i <= c.rows; ++i)
            s.Table.push_back({QString::number(i * 10) + ",5", "7,25", "01.02.2003"});
        EXPECT_EQ(analysisName(c.file, c.options), c.name);
        const QString text = pdfText(
            reportFile(s, analysisName(c.file, c.options), c.options.DatabaseMode, ChartSizes{}));
        ASSERT_FALSE(text.isEmpty()) << "pdftotext read nothing";
        // Wrapped lines join again when the breaks and blanks are taken out.
        const auto joined = [](QString t) { return t.remove(QRegularExpression("\\s")); };
        EXPECT_TRUE(joined(text).contains(joined(c.name))) << text.left(2000).toStdString();
        EXPECT_GE(text.count('\f'), c.pagesAtLeast);
        const auto shows = [&](int row) {
            return QRegularExpression(QString("(^|\\s)%1,5(\\s|$)").arg(row * 10))
                .match(text)
                .hasMatch();
        };
        for (int row = 1; row <= c.lastRowShown; ++row)
            ASSERT_TRUE(shows(row)) << row;
        EXPECT_FALSE(shows(c.lastRowShown + 1));
        const int rest = c.rows - c.lastRowShown;
        EXPECT_EQ(joined(text).contains(joined(QString("… и ещё %1 строк").arg(rest))), rest > 0);
        EXPECT_EQ(text.contains("01.02.2003"), c.options.DatabaseMode);
    }
}

} // namespace
} // namespace id::test
