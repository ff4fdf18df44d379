#include "analysis/AllowedPressureSearch.h"
#include "app/view/AnalysisWindow.h"
#include "diagram/RedrawPipeline.h"
#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"
#include "support/AnalysisFixture.h"
#include "support/Approx.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <map>

namespace id {
namespace {

// The whole road of one analysis, through the menus, keys and mouse of the real window.
class AnalysisRoadTest : public test::AnalysisFixture {
protected:
    void typeSaturationPressure(const QString& text) {
        form().Pnas->setFocus();
        QTest::keyClicks(form().Pnas, text);
    }
    QString resultValue(const QString& caption) {
        for (int r = 0; r < form().MSFlexGrid2->Rows(); ++r)
            if (form().MSFlexGrid2->text(r, 0) == caption)
                return form().MSFlexGrid2->text(r, 1);
        return {};
    }
    void saveCharts(const QString& name) {
        QDir().mkpath(QStringLiteral(ID_BUILD_DIR "/charts"));
        const QRect area = form().Picture3->geometry().united(form().Picture7->geometry());
        form().Frame1->grab(area).save(QStringLiteral(ID_BUILD_DIR "/charts/") + name + ".png");
    }
};

TEST_F(AnalysisRoadTest, ProducingWellFromTypedDataToResults) {
    typeSaturationPressure("8.5");
    EXPECT_EQ(form().Pnas->text(), "8,5");
    driver.typeRows({{"12.5", "18.93"},
                     {"25.1", "17.71"},
                     {"37.8", "16.84"},
                     {"51", "15.22"},
                     {"63.3", "14.51"},
                     {"77.9", "13.02"},
                     {"90.2", "12.37"}});
    EXPECT_EQ(form().MSFlexGrid1->text(7, 0), "7");
    EXPECT_EQ(form().MSFlexGrid1->text(7, 2), "12,37");
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(state().measurementCount(), 7);
    EXPECT_EQ(state().IdAxisXMax, 100);
    EXPECT_EQ(state().IdAxisYTop, 20);
    EXPECT_EQ(state().Inputs.SaturationPressure, 8.5);
    EXPECT_TRUE(form().Picture3->isVisible());
    EXPECT_FALSE(form().Picture7->isVisible());
    EXPECT_TRUE(form().Check1->isVisible());
    EXPECT_FALSE(form().Check1->isChecked());

    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_REL(1 / 0.08622074423506629, state().ProductivityIndex, 1e-10);
    EXPECT_REL(19.921397469615247, state().ReservoirPressure, 1e-10);
    EXPECT_REL(0.993764692462393, state().FirstTrend.RSquared, 1e-10);
    EXPECT_EQ(resultCaptions(),
              QStringList({"Коэф.продуктивности, м3/(сут*МПа)", "Пластовое давление, МПа"}));
    EXPECT_EQ(resultValue("Коэф.продуктивности, м3/(сут*МПа)"), "11,60");
    EXPECT_EQ(resultValue("Пластовое давление, МПа"), "19,92");
    EXPECT_TRUE(form().Picture7->isVisible());
    EXPECT_EQ(state().FirstTrend.Kind, LinearTrend);
    EXPECT_EQ(state().FirstTrend.RateTo, 90.2);
    EXPECT_TRUE(form().Picture4->printedTexts().contains("y=-0,08622x+19,9214"));
    saveCharts("producing-linear");

    ASSERT_TRUE(choose(menus().mIdSkinSkin));
    EXPECT_EQ(resultCaptions().last(), "Скин-эффект");
    ASSERT_TRUE(choose(menus().mTrendPolinom3));
    EXPECT_TRUE(menus().mIdSkinNot->isChecked());
    EXPECT_FALSE(form().Skin->isVisible());
    EXPECT_EQ(state().ProductivityIndex, 0);
    EXPECT_EQ(resultCaptions(), QStringList({"Пластовое давление, МПа"}));
    saveCharts("producing-cubic");
}

TEST_F(AnalysisRoadTest, InjectionWellWithTwoTrendsFindsWhereTheyMeet) {
    ASSERT_TRUE(choose(menus().mEditWellNag));
    EXPECT_EQ(frame->windowTitle(), "Индикаторная диаграмма нагнетательной скважины[*]");
    paste("50\t9\n100\t10,2\n150\t11,1\n200\t12,4\n250\t14,9\n300\t17,6\n");
    ASSERT_TRUE(choose(menus().mIdAdd));
    EXPECT_EQ(state().IdAxisYTop, 0);
    EXPECT_EQ(state().IdAxisYBottom, 20);
    form().Check2->click();
    EXPECT_TRUE(messages.messages().isEmpty());
    ASSERT_TRUE(choose(menus().mTrendLine));
    EXPECT_EQ(state().AllowedBottomholePressure, 0); // one trend: no search yet

    // A second trend through the steep points, as a selection sets it up.
    trendOnPoints(2, LinearTrend, {200, 250, 300}, {12.4, 14.9, 17.6});
    const AnalysisState& s = state();
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_REL(1 / 0.052, s.SecondProductivityIndex, 1e-9);
    const auto expected =
        searchTrendMeeting(LinearTrend, s.FirstTrend.Coefficients, LinearTrend,
                           s.SecondTrend.Coefficients, s.IdAxisXMax, AllowedPressureTolerance);
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(s.AllowedBottomholePressure, *expected);
    EXPECT_EQ(resultCaptions(),
              QStringList({"Коэф.приемистости 1, м3/(сут*МПа)", "Пластовое давление, МПа",
                           "Коэф.приемистости 2, м3/(сут*МПа)", "Предельно-допустимое Pз, МПа"}));
    int curves = 0; // both trends' index lines on the PI chart
    for (const DrawOp& op : form().Picture8->operations(DrawOp::Line))
        curves += op.width == 3;
    EXPECT_EQ(curves, 2);
    saveCharts("injection-two-trends");
}

// Counts the paint events each widget gets.
class PaintCounter : public QObject {
public:
    PaintCounter() { QApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++painted[name(watched)];
        return false;
    }
    // A control's inner widgets (a table's viewport) are named after the control.
    static QString name(QObject* o) {
        QString path;
        for (; o && (o->objectName().isEmpty() || o->objectName().startsWith("qt_"));
             o = o->parent())
            path = QString(o->metaObject()->className()) + '/' + path;
        return (o ? o->objectName() : QString()) + '/' + path;
    }
    std::map<QString, int> painted;
};

// Every command repaints each control it changes once: no second paint of a table or chart.
TEST_F(AnalysisRoadTest, EachCommandPaintsEachControlOnce) {
    paste("10\t20\n20\t18\n30\t16,5\n40\t14\n");
    QApplication::processEvents();
    QAction* const steps[] = {menus().mIdAdd,       menus().mTrendLine, menus().mTrendPolinom2,
                              menus().mTrendDelete, menus().mTrendLine, menus().mIdAdd};
    for (QAction* step : steps) {
        SCOPED_TRACE(step->objectName().toStdString());
        PaintCounter counter;
        ASSERT_TRUE(choose(step));
        // Late repaints (after a resize, say) come in later rounds of the event loop.
        QTest::qWait(30);
        EXPECT_TRUE(counter.painted.count("Picture4/")) << "the diagram was not repainted";
        for (const auto& [name, times] : counter.painted)
            EXPECT_EQ(times, 1) << name.toStdString();
    }
}

} // namespace
} // namespace id
