#include "charts/view/AxisRangeDialog.h"
#include "app/view/AnalysisWindow.h"
#include "exports/view/ChartExport.h"
#include "platform/view/PictureSurface.h"
#include "support/AnalysisFixture.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cmath>

namespace id {
namespace {

class AxisRangeDialogTest : public test::AnalysisFixture {
protected:
    AxisRangeDialog* open(QAction* item) {
        EXPECT_TRUE(frame->isEnabled());
        EXPECT_TRUE(choose(item)) << item->objectName().toStdString();
        AxisRangeDialog* dialog = frame->analysis().axisDialog();
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    void retype(QLineEdit* box, const QString& keys) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, keys);
    }
    void ok(AxisRangeDialog* dialog) {
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void leave(QLineEdit* box) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
    }
    const QString Points = "10\t18\n20\t16\n30\t14,5\n40\t12\n";
};

TEST_F(AxisRangeDialogTest, KeysFocusAndRefusals) {
    form().Pnas->setText("5");
    build(Points);
    AxisRangeDialog* dialog = open(menus().mIdFormatX);
    EXPECT_EQ(dialog->objectName(), "Form15");
    EXPECT_EQ(dialog->windowTitle(), "Формат оси X ИД");
    EXPECT_EQ(dialog->Label2->text(), "Минимальное значение оси X");
    EXPECT_EQ(dialog->Text2->text(), "50");
    EXPECT_FALSE(dialog->Check1->isChecked());
    EXPECT_FALSE(frame->isEnabled()); // the dialog answers alone while it is open
    retype(dialog->Text1, "1.5");
    EXPECT_EQ(dialog->Text1->text(), "1,5");
    messages.clear();
    QTest::keyClicks(dialog->Text1, "-,");
    QKeyEvent arabicThree(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("٣"));
    QApplication::sendEvent(dialog->Text1, &arabicThree); // a digit, but not one of ours
    EXPECT_EQ(dialog->Text1->text(), "1,5");
    EXPECT_EQ(messages.messages(), QStringList(3, "Неправильный ввод числа"));
    dialog->Text1->setSelection(1, 2); // ",5" selected: a separator may replace it
    QTest::keyClicks(dialog->Text1, ".");
    EXPECT_EQ(dialog->Text1->text(), "1,");
    retype(dialog->Text1, "");
    leave(dialog->Text1);
    EXPECT_EQ(dialog->Text1->text(), "0"); // an emptied box is 0 once left
    // Minimum not below maximum: said so, the dialog stays, no axis changes.
    retype(dialog->Text1, "5");
    retype(dialog->Text2, "5");
    messages.clear();
    ok(dialog);
    EXPECT_EQ(messages.messages(),
              QStringList({"Максимальное значение должно быть больше минимального"}));
    EXPECT_EQ(frame->analysis().axisDialog(), dialog);
    EXPECT_EQ(state().IdAxisXMin, 0);
    EXPECT_EQ(state().IdAxisXMax, 50);
    QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->analysis().axisDialog(), nullptr);
    EXPECT_TRUE(frame->isEnabled());
    // Closed by its window's close button: no axis changes, the frame answers again, and the
    // next opening starts with the box unticked.
    dialog = open(menus().mIdFormatX);
    dialog->Check1->click();
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_EQ(state().IdAxisXMax, 50);
    EXPECT_FALSE(open(menus().mIdFormatX)->Check1->isChecked());
}

TEST_F(AxisRangeDialogTest, RangesByHandAndAutomatically) {
    form().Pnas->setText("5");
    build(Points);
    AxisRangeDialog* dialog = open(menus().mIdFormatX);
    retype(dialog->Text1, "5");
    retype(dialog->Text2, "65");
    ok(dialog);
    EXPECT_EQ(state().IdAxisXMin, 5);
    EXPECT_EQ(state().IdAxisXMax, 65);
    EXPECT_TRUE(frame->isEnabled());
    // "Автоматически" ignores the texts and rounds the largest rate up.
    dialog = open(menus().mIdFormatX);
    retype(dialog->Text1, "0");
    retype(dialog->Text2, "100");
    dialog->Check1->click();
    ok(dialog);
    EXPECT_EQ(state().IdAxisXMin, 0);
    EXPECT_EQ(state().IdAxisXMax, 50);
    // An injection well's pressure axis: the lower pressure first, at the top of the screen.
    start({.WellType = InjectionWell});
    driver = test::GridDriver{form().MSFlexGrid1};
    build(Points);
    dialog = open(menus().mIdFormatY);
    EXPECT_EQ(dialog->Text1->text(), "0");
    EXPECT_EQ(dialog->Text2->text(), "20");
    retype(dialog->Text2, "25");
    ok(dialog);
    EXPECT_EQ(state().IdAxisYTop, 0);
    EXPECT_EQ(state().IdAxisYBottom, 25);
}

// Axes narrower than the data: the trend and the points run past the plot. The exported SVG holds
// nothing of the plot's drawing outside the plot's rectangle, although SVG keeps no clip.
TEST_F(AxisRangeDialogTest, AnSvgOfACurveLeavingThePlotStaysInside) {
    build(Points);
    ASSERT_TRUE(choose(menus().mTrendLine));
    AxisRangeDialog* dialog = open(menus().mIdFormatX);
    retype(dialog->Text1, "15");
    retype(dialog->Text2, "25");
    ok(dialog);
    ASSERT_EQ(state().IdAxisXMax, 25);
    const QSize frameSize = form().Picture3->size();
    const QSize plot = form().Picture4->size();
    const QByteArray svg =
        chartFile(ChartFormat::Svg, state(), ExportedChart::Diagram,
                  {frameSize, plot, form().Picture7->size(), form().Picture8->size()});

    // The plot is painted shifted to its place in the frame: its groups carry that shift.
    const QPointF shift(frameSize.width() - plot.width(), 0);
    static const QRegularExpression matrix(R"(matrix\(([^)]*)\))");
    static const QRegularExpression pair(R"((-?[\d.]+)[ ,](-?[\d.]+))");
    QXmlStreamReader xml(svg);
    bool inPlot = false;
    int plotted = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"g") {
            const QStringList m = matrix.match(a.value("transform")).captured(1).split(',');
            inPlot = m.size() == 6 && std::abs(m[4].toDouble() - shift.x()) < 0.01 &&
                     std::abs(m[5].toDouble() - shift.y()) < 0.01;
            continue;
        }
        if (!inPlot || xml.name() == u"text")
            continue;
        std::vector<QPointF> points;
        if (a.hasAttribute("cx"))
            points.emplace_back(a.value("cx").toDouble(), a.value("cy").toDouble());
        for (const char* name : {"points", "d"})
            for (auto m = pair.globalMatch(a.value(name)); m.hasNext();) {
                const QRegularExpressionMatch match = m.next();
                points.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
            }
        for (const QPointF& p : points) {
            ++plotted;
            EXPECT_TRUE(p.x() >= -0.01 && p.x() <= plot.width() + 0.01 && p.y() >= -0.01 &&
                        p.y() <= plot.height() + 0.01)
                << xml.name().toString().toStdString() << " at " << p.x() << ", " << p.y();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(plotted, 2) << "the trend and the points inside were drawn";
}

TEST_F(AxisRangeDialogTest, TwoTrendsAreRedrawnNeverRefitted) {
    form().Pnas->setText("5");
    build(Points);
    ASSERT_TRUE(choose(menus().mTrendAddSelectPoint));
    trendOnPoints(1, LinearTrend, {10, 20, 30}, {18, 16, 14.5});
    trendOnPoints(2, LinearTrend, {30, 40}, {14.5, 12});
    const AnalysisState before = state();
    for (QAction* item : {menus().mIdFormatX, menus().mIdFormatY}) {
        AxisRangeDialog* dialog = open(item);
        retype(dialog->Text2, "70");
        ok(dialog);
    }
    EXPECT_EQ(state().FirstTrend, before.FirstTrend);
    EXPECT_EQ(state().SecondTrend, before.SecondTrend);
    EXPECT_EQ(state().IdAxisXMax, 70);
    EXPECT_EQ(state().IdAxisYTop, 70);
    EXPECT_EQ(state().PiAxisXMax, 70); // the PI chart takes the new rates
    EXPECT_EQ(state().PiAxisYTop, before.PiAxisYTop);
    EXPECT_EQ(form().Picture4->printedTexts().filter("y=").size(), 2);
}

TEST_F(AxisRangeDialogTest, ATrendKeepsItsFitWhateverTheLastSelectionPicked) {
    form().Pnas->setText("5");
    build(Points);
    ASSERT_TRUE(choose(menus().mTrendLine));
    const AnalysisState trend = state();
    // As a cancelled selection of other points, then one that caught none, leave the fit set.
    for (const auto& [rates, pressures] :
         {std::pair{OneBasedArray<double>{30, 40}, OneBasedArray<double>{14.5, 12}},
          {OneBasedArray<double>{}, OneBasedArray<double>{}}}) {
        edit([&](AnalysisState& s) {
            s.FitRates = rates;
            s.FitPressures = pressures;
        });
        messages.clear();
        AxisRangeDialog* dialog = open(menus().mIdFormatX);
        retype(dialog->Text2, "70");
        ok(dialog);
        EXPECT_EQ(frame->analysis().axisDialog(), nullptr);
        EXPECT_EQ(state().IdAxisXMax, 70);
        EXPECT_EQ(state().FirstTrend, trend.FirstTrend);
        EXPECT_EQ(state().ProductivityIndex, trend.ProductivityIndex);
        EXPECT_TRUE(messages.messages().isEmpty());
    }
}

TEST_F(AxisRangeDialogTest, IndexAxisIsStoredAndNothingRefitted) {
    form().Pnas->setText("5");
    build(Points);
    ASSERT_TRUE(choose(menus().mTrendLine));
    // As after a click that starts a selection over: the chart shows, no trend is counted.
    edit([](AnalysisState& s) {
        keepPiChart(s);
        s.TrendCount = 0;
    });
    const AnalysisState before = state();
    const std::vector<DrawOp> chart = form().Picture8->operations();
    AxisRangeDialog* dialog = open(menus().mIdFormatYPIQ);
    EXPECT_EQ(dialog->windowTitle(), "Формат оси Y графика PI от Q");
    retype(dialog->Text2, "8");
    ok(dialog);
    EXPECT_EQ(state().PiAxisYTop, 8);
    EXPECT_EQ(state().FirstTrend, before.FirstTrend);
    EXPECT_EQ(state().TrendCount, 0);
    EXPECT_EQ(form().Picture8->operations().size(), chart.size()); // nothing redrawn
    EXPECT_EQ(form().Picture8->operations(DrawOp::Scale).front().y1, before.PiAxisYTop);
    EXPECT_TRUE(messages.messages().isEmpty());
}

// The dialog answers the usual keys: the value shown is selected, so typing replaces it; Enter is
// OK, Esc is Cancel.
TEST_F(AxisRangeDialogTest, EnterAcceptsEscapeCancelsTypingReplaces) {
    build(Points);
    AxisRangeDialog* dialog = open(menus().mIdFormatX);
    QTest::keyClicks(dialog->Text1, "5");
    EXPECT_EQ(dialog->Text1->text(), "5");
    QTest::keyClick(dialog->Text1, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->analysis().axisDialog(), nullptr);
    EXPECT_EQ(state().IdAxisXMin, 5);
    dialog = open(menus().mIdFormatX);
    QTest::keyClicks(dialog->Text1, "7");
    QTest::keyClick(dialog->Text1, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->analysis().axisDialog(), nullptr);
    EXPECT_EQ(state().IdAxisXMin, 5);
}

} // namespace
} // namespace id
