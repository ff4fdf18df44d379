#include "analysis/FormationInputCheck.h"
#include "analysis/ResultRows.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"
#include "support/AnalysisFixture.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace id {
namespace {

class FormationInputsTest : public test::AnalysisFixture {
protected:
    // A shown linear trend's results: productivity 2, reservoir pressure 20.
    void showLinearTrendResults() {
        form().Pnas->setText("5");
        edit([](AnalysisState& s) {
            s.TrendCount = 1;
            s.FirstTrend.Kind = LinearTrend;
            s.ProductivityIndex = 2;
            s.ReservoirPressure = 20;
            UpdateResultsTable(s);
        });
    }
};

TEST_F(FormationInputsTest, ResultsTableIsAsTallAsItsRows) {
    showLinearTrendResults();
    FlexGrid* g = form().MSFlexGrid2;
    EXPECT_TRUE(g->isVisible());
    EXPECT_EQ(g->Rows(), 2);
    EXPECT_NEAR(g->height(), 700 / 15.0, 1);
    EXPECT_EQ(g->text(0, 1), "2,00");
    EXPECT_EQ(g->text(1, 1), "20,00");
    EXPECT_EQ(g->cellAlignment(1, 1), Qt::AlignCenter);

    edit([](AnalysisState& s) {
        resetResults(s);
        UpdateResultsTable(s);
    });
    EXPECT_FALSE(g->isVisible());
}

TEST_F(FormationInputsTest, WidestValuesAndCaptionsAreReadableInFull) {
    form().Pnas->setText("5");
    ASSERT_TRUE(choose(menus().mIdSkinGidro));
    form().Skin->setText("-100000");
    edit([](AnalysisState& s) {
        s.TrendCount = 2;
        s.ProductivityIndex = 1137.83;
        s.ReservoirPressure = 12345.67;
        s.SecondProductivityIndex = 100;
        s.AllowedBottomholePressure = 99999.99;
        QStringList messages;
        CheckFormationInputs(s, messages);
        UpdateResultsTable(s);
    });
    FlexGrid* g = form().MSFlexGrid2;
    ASSERT_EQ(g->Rows(), 5);
    EXPECT_EQ(g->text(0, 1), "1137,83");
    EXPECT_EQ(g->text(3, 1), "-20968455,5");
    const QFontMetrics metrics(g->font());
    int rowsHeight = 0;
    for (int r = 0; r < g->Rows(); ++r) {
        SCOPED_TRACE(g->text(r, 0).toStdString());
        EXPECT_LE(metrics.horizontalAdvance(g->text(r, 1)) + 6, g->columnWidth(1));
        const QRect caption = metrics.boundingRect(QRect(0, 0, g->columnWidth(0) - 6, 1000),
                                                   Qt::TextWordWrap, g->text(r, 0));
        EXPECT_LE(caption.height(), g->rowHeight(r));
        rowsHeight += g->rowHeight(r);
    }
    EXPECT_GE(g->height(), rowsHeight);
    EXPECT_EQ(g->textElideMode(), Qt::ElideNone);
    ASSERT_TRUE(choose(menus().mIdSkinSkin));
    EXPECT_GE(form().Label2->width(),
              form().Label2->fontMetrics().horizontalAdvance("Гидропроводность, Д*см/сПз"));
}

TEST_F(FormationInputsTest, HidingTheFocusedBoxIsNoLeavingIt) {
    // The saturation pressure is bad: its message comes once per rebuild, not again for every
    // box the focus passes through while a polynomial trend hides the estimation boxes.
    build("10\t18\n20\t16\n30\t14,5\n40\t12\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    ASSERT_TRUE(choose(menus().mIdSkinGidro));
    form().Skin->setFocus();
    messages.clear();
    ASSERT_TRUE(choose(menus().mTrendPolinom2));
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте давление насыщения. По умолчанию берется 2 МПа"}));
}

TEST_F(FormationInputsTest, EstimatingModeFillsDefaultsAndAddsTheEstimateRow) {
    showLinearTrendResults();
    menus().mIdSkinSkin->trigger();
    WorkWindow& f = form();
    EXPECT_TRUE(menus().mIdSkinSkin->isChecked());
    EXPECT_FALSE(menus().mIdSkinGidro->isChecked());
    EXPECT_FALSE(menus().mIdSkinNot->isChecked());
    EXPECT_TRUE(f.Skin->isVisible());
    EXPECT_EQ(f.Skin->text(), "10");
    EXPECT_EQ(f.Rkontur->text(), "300");
    EXPECT_EQ(f.Rwell->text(), "0,1");
    EXPECT_EQ(f.Label2->text(), "Гидропроводность, Д*см/сПз");
    EXPECT_EQ(f.Label3->text(), "Радиус контура питания, м");
    EXPECT_EQ(f.Label4->text(), "Радиус скважины, м");
    EXPECT_EQ(resultCaptions().last(), "Скин-эффект");
    EXPECT_EQ(f.MSFlexGrid2->text(2, 1), "19,1");
    EXPECT_TRUE(messages.messages().isEmpty());

    // Choosing the checked mode again changes nothing.
    f.Skin->setText("20");
    menus().mIdSkinSkin->trigger();
    EXPECT_TRUE(menus().mIdSkinSkin->isChecked());
    EXPECT_EQ(f.Skin->text(), "20");

    // Enter in a box applies it as leaving the box does: the estimate follows at once.
    const QString before = f.MSFlexGrid2->text(2, 1);
    f.Skin->selectAll();
    QTest::keyClicks(f.Skin, "5");
    QTest::keyClick(f.Skin, Qt::Key_Return);
    EXPECT_NE(f.MSFlexGrid2->text(2, 1), before);
    EXPECT_EQ(state().Inputs.Skin, "5");

    menus().mIdSkinGidro->trigger();
    EXPECT_EQ(f.Skin->text(), "0");
    EXPECT_EQ(f.Label2->text(), "Скин-эффект");
    EXPECT_EQ(resultCaptions().last(), "Гидропроводность, Д*см/сПз");
    EXPECT_EQ(f.MSFlexGrid2->text(2, 1), "3,0");

    menus().mIdSkinNot->trigger();
    EXPECT_TRUE(menus().mIdSkinNot->isChecked());
    EXPECT_FALSE(f.Skin->isVisible());
    EXPECT_FALSE(f.Rwell->isVisible());
    EXPECT_FALSE(f.Label4->isVisible());
    EXPECT_EQ(resultCaptions().size(), 2);
}

TEST_F(FormationInputsTest, NoEstimateAfterAPolynomialFirstTrend) {
    edit([](AnalysisState& s) {
        s.TrendCount = 1;
        s.FirstTrend.Kind = QuadraticTrend;
        s.ReservoirPressure = 20;
        UpdateResultsTable(s);
    });
    menus().mIdSkinGidro->trigger();
    EXPECT_TRUE(menus().mIdSkinNot->isChecked());
    EXPECT_FALSE(menus().mIdSkinGidro->isChecked());
    EXPECT_FALSE(form().Skin->isVisible());
}

TEST_F(FormationInputsTest, TypedFullStopBecomesACommaInEveryInputBox) {
    WorkWindow& f = form();
    menus().mIdSkinGidro->trigger();
    for (QLineEdit* box : {f.Pnas, f.Skin, f.Rkontur, f.Rwell}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->clear();
        box->setFocus();
        QTest::keyClicks(box, "1.5");
        EXPECT_EQ(box->text(), "1,5");
    }
}

TEST_F(FormationInputsTest, EverySaturationPressureKeystrokeDiscardsTheAnalysis) {
    WorkWindow& f = form();
    edit([](AnalysisState& s) {
        s.ProductivityIndex = 2;
        s.AllowedBottomholePressure = 5;
        s.TrendCount = 1;
        s.DiagramShown = true;
        s.AllowedPressureBoxesShown = true;
    });
    ASSERT_TRUE(f.Picture3->isVisible());
    f.Pnas->setFocus();
    QTest::keyClick(f.Pnas, '7');
    EXPECT_EQ(state().ProductivityIndex, 0);
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
    EXPECT_EQ(state().TrendCount, 0);
    EXPECT_FALSE(f.Picture3->isVisible());
    EXPECT_FALSE(f.Check1->isVisible());
    EXPECT_FALSE(f.MSFlexGrid2->isVisible());
    EXPECT_FALSE(menus().mTrend->menuAction()->isEnabled());
}

TEST_F(FormationInputsTest, LeavingARadiusBoxRecomputesTheEstimateWhileResultsAreShown) {
    showLinearTrendResults();
    menus().mIdSkinGidro->trigger();
    WorkWindow& f = form();
    const QString before = f.MSFlexGrid2->text(2, 1);
    f.Rkontur->setFocus();
    f.Rkontur->setText("500");
    f.Skin->setFocus();
    EXPECT_EQ(state().Inputs.DrainageRadius, 500);
    EXPECT_NE(f.MSFlexGrid2->text(2, 1), before);
    EXPECT_TRUE(messages.messages().isEmpty());

    // With the table hidden nothing happens until the next rebuild.
    edit([](AnalysisState& s) { s.ResultsShown = false; });
    f.Rkontur->setFocus();
    f.Rkontur->setText("700");
    f.Skin->setFocus();
    EXPECT_EQ(state().Inputs.DrainageRadius, 500);
}

TEST_F(FormationInputsTest, BadRadiusFallsBackWithItsMessageOnFocusLoss) {
    showLinearTrendResults();
    menus().mIdSkinGidro->trigger();
    WorkWindow& f = form();
    f.Rwell->setFocus();
    f.Rwell->setText("abc");
    f.Rkontur->setFocus();
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте радиус скважины. По умолчанию берется 0.1 м"}));
    EXPECT_EQ(state().Inputs.WellRadius, 0.1);
    EXPECT_EQ(f.Rwell->text(), "abc");
}

TEST_F(FormationInputsTest, TheSaturationPressureIsNotAskedForByTheEstimate) {
    // Choosing the estimate and walking its boxes use no saturation pressure: a bad one is said
    // by the commands that use it, not here.
    build("10\t18\n20\t16\n30\t14,5\n40\t12\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    messages.clear();
    ASSERT_TRUE(choose(menus().mIdSkinGidro));
    form().Rwell->setFocus();
    form().Rkontur->setFocus();
    form().Skin->setFocus();
    EXPECT_TRUE(messages.messages().isEmpty()) << messages.messages().join(" ").toStdString();
}

} // namespace
} // namespace id
