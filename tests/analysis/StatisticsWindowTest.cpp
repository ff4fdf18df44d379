#include "analysis/view/StatisticsWindow.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "support/AnalysisFixture.h"
#include "support/Approx.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>
#include <QTextBrowser>
#include <cmath>

namespace id::test {
namespace {

using StatisticsWindowTest = AnalysisFixture;

// The window follows the analysis: trends, exact fits and suspect points.
TEST_F(StatisticsWindowTest, TheStatisticsFollowTheAnalysis) {
    form().Pnas->setText("5");
    build("10\t20\n20\t18,1\n30\t16,3\n40\t13,9\n50\t12\n60\t25\n");
    emit menus().mIdd->aboutToShow();
    EXPECT_FALSE(menus().mIdStat->isEnabled()) << "no trend yet";
    ASSERT_TRUE(choose(menus().mTrendLine));
    ASSERT_TRUE(choose(menus().mIdStat));
    StatisticsWindow* window = frame->analysis().statisticsWindow();
    ASSERT_TRUE(window && window->isVisible());
    const auto text = [&] { return window->browser()->toPlainText(); };
    for (const char* part :
         {"Линия тренда 1", "Станд. ошибка", "степеней свободы: 4",
          "Коэф. продуктивности, м3/(сут*МПа)", "Пластовое давление, МПа", "Подозрительные точки"})
        EXPECT_TRUE(text().contains(QString::fromUtf8(part))) << part;
    EXPECT_FALSE(text().contains("nan") || text().contains("inf"));
    // Every point is a row of the table below the page; the outlier (60; 25) is marked.
    const QAbstractItemModel* points = window->points()->model();
    ASSERT_EQ(points->rowCount(), 6);
    EXPECT_EQ(points->index(5, 1).data().toString(), "60,0000");
    EXPECT_EQ(points->index(5, 5).data().toString(), "подозрительная точка");
    EXPECT_EQ(points->index(0, 5).data().toString(), "");

    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    EXPECT_TRUE(text().contains("при x^2"));
    EXPECT_FALSE(text().contains("Коэф. продуктивности"));
    // The quadratic read as laminar and turbulent losses: A and B are its negated coefficients.
    const auto fit =
        LeastSquaresFitService().fit({10, 20, 30, 40, 50, 60}, {20, 18.1, 16.3, 13.9, 12, 25}, 2);
    const auto after = [&](const QString& name) {
        const QString rest = text().section(name + " = ", 1);
        return QLocale().toDouble(rest.section(u' ', 0, 0));
    };
    EXPECT_TRUE(text().contains("Pпл − Pз = A·q + B·q²"));
    EXPECT_REL(-fit.coefficients[1], after("A (ламинарный)"), 1e-3);
    EXPECT_REL(-fit.coefficients[0], after("B (турбулентный)"), 1e-3);

    // Two points make an exact line: no statistics, said so.
    ASSERT_TRUE(choose(menus().mFileNew));
    build("10\t20\n20\t18\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_TRUE(text().contains("статистики нет"));
    ASSERT_EQ(points->rowCount(), 2) << "an exact fit's points are listed too";
    EXPECT_EQ(points->index(1, 4).data().toString(), "—");
}

// The allowed pressure found by the search gets its interval: a bootstrap for a producing well.
TEST_F(StatisticsWindowTest, TheFoundAllowedPressureHasItsInterval) {
    form().Pnas->setText("5");
    QString rows;
    for (int i = 0; i <= 20; ++i)
        rows += QLocale().toString(100 - std::pow(i - 10.0, 2) + ((i * 7) % 5 - 2) * 0.8) + "\t" +
                QString::number(5 + i) + "\n";
    build(rows);
    form().Check2->click();
    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    ASSERT_GT(state().AllowedBottomholePressure, 0) << messages.messages().join("|").toStdString();
    ASSERT_EQ(state().TrendCount, 1) << messages.messages().join("|").toStdString();
    ASSERT_TRUE(choose(menus().mIdStat));
    const QString text = frame->analysis().statisticsWindow()->browser()->toPlainText();
    EXPECT_TRUE(text.contains("Предельно-допустимое Pз")) << text.toStdString();
    EXPECT_TRUE(text.contains("бутстреп остатков")) << text.toStdString();
    EXPECT_TRUE(text.contains("(95 %: ")) << text.toStdString();
}

TEST_F(StatisticsWindowTest, ConfidenceBandsAreDottedCurvesOfTheDocument) {
    build("10\t20\n20\t18,1\n30\t16,3\n40\t13,9\n50\t12\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    const std::size_t lines = form().Picture4->operations(DrawOp::Line).size();
    ASSERT_TRUE(choose(menus().mIdConfBands));
    EXPECT_TRUE(state().ConfidenceBands);
    EXPECT_TRUE(menus().mIdConfBands->isChecked());
    EXPECT_EQ(form().Picture4->operations(DrawOp::Line).size(), lines + 2 * 60);
    EXPECT_EQ(menus().mEditUndo->text(), "Отменить: доверительные интервалы");
    menus().mEditUndo->trigger();
    EXPECT_FALSE(state().ConfidenceBands);
    EXPECT_EQ(form().Picture4->operations(DrawOp::Line).size(), lines);
}

} // namespace
} // namespace id::test
