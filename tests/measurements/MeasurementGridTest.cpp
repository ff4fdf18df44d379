#include "analysis/ResultRows.h"
#include "platform/view/PictureSurface.h"
#include "support/GridDriver.h"
#include "support/GuiFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <numeric>

namespace id {
namespace {

class MeasurementGridTest : public test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        driver = test::GridDriver{form().MSFlexGrid1};
    }
    FlexGrid* grid() { return form().MSFlexGrid1; }
    // A built analysis that every edit must discard.
    void pretendBuilt() {
        edit([](AnalysisState& s) {
            s.ProductivityIndex = 2;
            s.AllowedBottomholePressure = 5;
            s.TrendCount = 1;
            s.FirstTrend.Kind = LinearTrend;
            s.DiagramShown = true;
            s.AllowedPressureBoxesShown = true;
            UpdateResultsTable(s);
        });
        ASSERT_TRUE(form().Picture3->isVisible());
        ASSERT_TRUE(form().MSFlexGrid2->isVisible());
    }
    void expectDiscarded() {
        EXPECT_EQ(state().ProductivityIndex, 0);
        EXPECT_EQ(state().AllowedBottomholePressure, 0);
        EXPECT_EQ(state().TrendCount, 0);
        EXPECT_FALSE(form().Picture3->isVisible());
        EXPECT_FALSE(form().Check1->isVisible());
        EXPECT_FALSE(menus().mTrend->menuAction()->isEnabled());
    }
    void fiveRows() {
        driver.typeRows({{"10", "20"}, {"20", "19"}, {"30", "18"}, {"40", "17"}, {"50", "16"}});
    }
    test::GridDriver driver{nullptr};
};

TEST_F(MeasurementGridTest, TypingIntoTheEntryRowNumbersItAndAppendsARow) {
    driver.click(1, 1);
    driver.type("7");
    EXPECT_EQ(grid()->text(1, 0), "1");
    EXPECT_EQ(grid()->text(1, 1), "7");
    EXPECT_EQ(grid()->Rows(), 3);
    EXPECT_EQ(grid()->text(2, 0), "");
    EXPECT_EQ(grid()->cellAlignment(1, 1), Qt::AlignHCenter | Qt::AlignTop);
}

TEST_F(MeasurementGridTest, FullStopIsACommaInNumberColumns) {
    driver.click(1, 1);
    driver.type("12.5");
    EXPECT_EQ(grid()->text(1, 1), "12,5");
    driver.type(",");
    EXPECT_EQ(grid()->text(1, 1), "12,5,");
    driver.key(Qt::Key_Backspace);
    EXPECT_EQ(grid()->text(1, 1), "12,5");
}

TEST_F(MeasurementGridTest, FullStopStaysInTheDateColumn) {
    start({.DatabaseMode = true});
    driver = test::GridDriver{grid()};
    driver.click(1, 3);
    driver.type("12.5");
    EXPECT_EQ(grid()->text(1, 3), "12.5");
}

TEST_F(MeasurementGridTest, EnterOnTheEntryRowMovesIntoTheNewRow) {
    driver.click(1, 2);
    driver.key(Qt::Key_Return);
    EXPECT_EQ(grid()->text(1, 0), "1");
    EXPECT_EQ(grid()->Rows(), 3);
    EXPECT_EQ(grid()->Row(), 2);
    EXPECT_EQ(grid()->Col(), 2);
}

TEST_F(MeasurementGridTest, RefusedCharacterStillNumbersTheRowAndDiscards) {
    pretendBuilt();
    driver.click(1, 1);
    driver.type("-");
    EXPECT_EQ(messages.messages(), QStringList({"Неправильный ввод числа"}));
    EXPECT_EQ(grid()->text(1, 1), "");
    EXPECT_EQ(grid()->text(1, 0), "1");
    EXPECT_EQ(grid()->Rows(), 3);
    expectDiscarded();
}

// Shortcuts type nothing; the platform's paste and copy keys run the menu's commands under the
// menus' rules (nothing to paste: nothing happens).
TEST_F(MeasurementGridTest, ShortcutsTypeNothingButPasteAndCopyKeysRunTheirCommands) {
    driver.typeRows({{"10", "20"}});
    driver.click(1, 1);
    QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(grid(), Qt::Key_Escape);
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(grid()->text(1, 1), "10");
    clipboard.setText("30\t15\n40\t14\n");
    driver.click(1, 1);
    QTest::keyClick(grid(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(grid()->text(2, 2), "14");
    emit frame->menus().mIdd->aboutToShow();
    frame->menus().mIdAdd->trigger();
    clipboard.setText(QString());
    driver.click(1, 1);
    QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard.text(), "30\t15\n40\t14\n");
    // Nothing cuts: Shift+Delete keeps the cell.
    QTest::keyClick(grid(), Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(grid(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(grid()->text(1, 1), "30");
}

// A number typed into a cell is one undo step, not one per key.
TEST_F(MeasurementGridTest, ATypedNumberIsOneUndoStep) {
    driver.click(1, 1);
    driver.type("12,5");
    driver.click(1, 2);
    driver.type("20");
    frame->menus().mEditUndo->trigger();
    EXPECT_EQ(grid()->text(1, 1), "12,5");
    EXPECT_EQ(grid()->text(1, 2), "");
    frame->menus().mEditUndo->trigger();
    EXPECT_EQ(grid()->text(1, 1), "");
}

TEST_F(MeasurementGridTest, BackspaceInAnEmptyCellOnlyDiscards) {
    driver.typeRows({{"10", "20"}});
    driver.click(1, 2);
    driver.key(Qt::Key_Backspace);
    driver.key(Qt::Key_Backspace);
    pretendBuilt();
    driver.key(Qt::Key_Backspace);
    EXPECT_EQ(grid()->text(1, 2), "");
    EXPECT_EQ(grid()->Rows(), 3);
    expectDiscarded();
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
}

TEST_F(MeasurementGridTest, DeleteBlanksSelectedCellsOnly) {
    fiveRows();
    driver.click(3, 2);
    driver.key(Qt::Key_Delete);
    EXPECT_EQ(grid()->text(3, 2), "");
    EXPECT_EQ(grid()->text(3, 1), "30");
    EXPECT_EQ(grid()->Rows(), 7);

    // A cell of the empty last row stands for the last data row.
    driver.click(6, 1);
    driver.key(Qt::Key_Delete);
    EXPECT_EQ(grid()->text(5, 1), "");
    EXPECT_EQ(grid()->text(5, 2), "16");
    EXPECT_EQ(grid()->Rows(), 7);
}

TEST_F(MeasurementGridTest, DeleteOfWholeRowsRemovesAndRenumbers) {
    fiveRows();
    pretendBuilt();
    driver.select(2, 1, 3, 2);
    driver.key(Qt::Key_Delete);
    EXPECT_EQ(grid()->Rows(), 5);
    EXPECT_EQ(driver.column(0), QStringList({"", "1", "2", "3", ""}));
    EXPECT_EQ(driver.column(1), QStringList({"Дебит, м3/сут", "10", "40", "50", ""}));
    EXPECT_EQ(grid()->Row(), 1);
    EXPECT_EQ(grid()->Col(), 1);
    expectDiscarded();

    // Selected the other way round, right to left.
    driver.select(3, 2, 1, 1);
    driver.key(Qt::Key_Delete);
    EXPECT_EQ(grid()->Rows(), 2);
    EXPECT_EQ(driver.column(1), QStringList({"Дебит, м3/сут", ""}));
}

TEST_F(MeasurementGridTest, DeleteOnATableWithoutDataKeepsHeaderAndOneRow) {
    driver.select(1, 1, 1, 2);
    driver.key(Qt::Key_Delete);
    EXPECT_EQ(grid()->Rows(), 2);
    EXPECT_EQ(grid()->text(0, 1), "Дебит, м3/сут");
    EXPECT_EQ(grid()->text(0, 2), "P заб, МПа");
    EXPECT_EQ(grid()->text(1, 0), "");
    // A single cell there: the header must survive as well.
    driver.click(1, 2);
    driver.key(Qt::Key_Delete);
    EXPECT_EQ(grid()->text(0, 2), "P заб, МПа");
}

TEST_F(MeasurementGridTest, InsertRowBeforeTheCurrentDataRow) {
    driver.typeRows({{"10", "20"}, {"20", "19"}, {"30", "18"}});
    driver.click(2, 1);
    EXPECT_TRUE(menus().mEditPastRow->isEnabled());
    form().Check2->setChecked(true);
    edit([](AnalysisState& s) { s.AllowedBottomholePressure = 4; });
    menus().mEditPastRow->trigger();
    EXPECT_EQ(grid()->Rows(), 6);
    EXPECT_EQ(driver.column(0), QStringList({"", "1", "2", "3", "4", ""}));
    EXPECT_EQ(driver.column(1), QStringList({"Дебит, м3/сут", "10", "", "20", "30", ""}));
    EXPECT_FALSE(form().Check2->isChecked());
    EXPECT_EQ(state().AllowedBottomholePressure, 0);
}

TEST_F(MeasurementGridTest, InsertRowOnTheEntryRowDoesNothing) {
    driver.typeRows({{"10", "20"}});
    driver.click(2, 1);
    pretendBuilt();
    menus().mEditPastRow->trigger();
    EXPECT_EQ(grid()->Rows(), 3);
    EXPECT_EQ(state().ProductivityIndex, 2);
}

TEST_F(MeasurementGridTest, FocusLossLeavesNoDataRowCurrent) {
    driver.typeRows({{"10", "20"}});
    driver.click(1, 1);
    EXPECT_TRUE(menus().mEditPastRow->isEnabled());
    // The menu bar taking the focus (Alt, or Escape out of an open menu) is not leaving.
    QFocusEvent toMenuBar(QEvent::FocusOut, Qt::MenuBarFocusReason);
    QApplication::sendEvent(grid(), &toMenuBar);
    EXPECT_TRUE(menus().mEditPastRow->isEnabled());
    EXPECT_EQ(grid()->Row(), 1);
    form().Pnas->setFocus();
    EXPECT_FALSE(menus().mEditPastRow->isEnabled());
    EXPECT_FALSE(menus().mEditPaste->isEnabled());
    EXPECT_EQ(grid()->Row(), 0);
    // Keys reaching the table now change nothing, the header least of all.
    QTest::keyClicks(grid(), "99");
    QTest::keyClick(grid(), Qt::Key_Delete);
    EXPECT_EQ(grid()->text(0, 1), "Дебит, м3/сут");
    EXPECT_EQ(grid()->text(1, 1), "10");
}

TEST_F(MeasurementGridTest, DeleteNeverReachesTheHeaderOrTheNumbers) {
    struct Case {
        const char* name;
        int row1, col1, row2, col2;
        QStringList numbers;
        QStringList rates;
    };
    // A selection reaching into the header row or the number column acts on the data cells it
    // covers: here those span both data columns, so the rows go and the rest is renumbered.
    const Case cases[] = {
        {"from the header cell", 0, 2, 3, 1, {"", "1", ""}, {"Дебит, м3/сут", "4", ""}},
        {"from a row number", 1, 0, 3, 2, {"", "1", ""}, {"Дебит, м3/сут", "4", ""}},
        // A click into the number column makes the data cell beside it current.
        {"number column only",
         2,
         0,
         3,
         0,
         {"", "1", "2", "3", "4", ""},
         {"Дебит, м3/сут", "1", "2", "", "4", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        driver = test::GridDriver{grid()};
        driver.typeRows({{"1", "10"}, {"2", "20"}, {"3", "30"}, {"4", "40"}});
        driver.select(c.row1, c.col1, c.row2, c.col2);
        driver.key(Qt::Key_Delete);
        EXPECT_EQ(driver.column(0), c.numbers);
        EXPECT_EQ(driver.column(1), c.rates);
        EXPECT_EQ(grid()->text(0, 2), "P заб, МПа");
    }
}

TEST_F(MeasurementGridTest, ShiftSelectionAfterDeletedRowsStartsAtTheNewCurrentCell) {
    fiveRows();
    driver.select(2, 1, 3, 2);
    driver.key(Qt::Key_Delete);
    ASSERT_EQ(driver.column(1), QStringList({"Дебит, м3/сут", "10", "40", "50", ""}));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier, driver.centre(2, 2));
    driver.key(Qt::Key_Delete);
    EXPECT_EQ(driver.column(1), QStringList({"Дебит, м3/сут", "50", ""}));
}

TEST_F(MeasurementGridTest, ClickingBackIntoTheSameCellOffersRowInsertionAgain) {
    driver.typeRows({{"10", "20"}, {"30", "40"}});
    driver.click(1, 1);
    form().Pnas->setFocus();
    ASSERT_FALSE(menus().mEditPastRow->isEnabled());
    driver.click(1, 1);
    EXPECT_TRUE(menus().mEditPastRow->isEnabled());
    EXPECT_EQ(grid()->Row(), 1);
}

TEST_F(MeasurementGridTest, PointerOverTheTableHidesTheReadouts) {
    form().Picture5->show();
    form().Picture9->show();
    QTest::mouseMove(grid()->viewport(), driver.centre(1, 1));
    EXPECT_FALSE(form().Picture5->isVisible());
    EXPECT_FALSE(form().Picture9->isVisible());
}

class PasteTest : public MeasurementGridTest {
protected:
    void paste(const QString& text) {
        clipboard.setText(text);
        emit menus().mEdit->aboutToShow();
        menus().mEditPaste->trigger();
    }
    void threeRows() { driver.typeRows({{"1", "9"}, {"2", "8"}, {"3", "7"}}); }
};

// Where a paste writes and how the table grows is tested without a window; here the window
// shows it and moves the current cell.
TEST_F(PasteTest, ThreeLinesFromRowThreeGrowTheShownTable) {
    threeRows();
    driver.click(3, 2);
    paste("4\t6\r\n5\t5\r\n6\t4\r\n");
    EXPECT_EQ(grid()->Rows(), 7);
    EXPECT_EQ(driver.column(0), QStringList({"", "1", "2", "3", "4", "5", ""}));
    EXPECT_EQ(driver.column(1), QStringList({"Дебит, м3/сут", "1", "2", "4", "5", "6", ""}));
    EXPECT_EQ(grid()->Row(), 5);
    EXPECT_EQ(grid()->Col(), 2);
}

TEST_F(PasteTest, RefusedPastesChangeNothingButStillDiscard) {
    threeRows();
    driver.click(2, 1);
    form().Check1->setChecked(true);
    pretendBuilt();
    paste("12,5\t10,1\n15\tabc\n");
    EXPECT_EQ(messages.messages(), QStringList({"Неверный формат числа в строк 2"}));
    EXPECT_EQ(driver.column(1), QStringList({"Дебит, м3/сут", "1", "2", "3", ""}));
    expectDiscarded();
    EXPECT_FALSE(form().Check1->isChecked());

    messages.clear();
    paste("1\t2\t3\n");
    EXPECT_EQ(messages.messages(), QStringList({"Столбцов должно быть два, а Вы скопировали 3"}));
    messages.clear();
    paste("\t2\n");
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(grid()->Rows(), 5);
}

TEST_F(PasteTest, PasteAndRowInsertionHideStaleResultsWithNoBoxTicked) {
    driver.typeRows({{"10", "20"}, {"30", "40"}});
    pretendBuilt();
    driver.click(1, 1);
    menus().mEditPastRow->trigger();
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
    pretendBuilt();
    paste("5\t6\n");
    EXPECT_FALSE(form().MSFlexGrid2->isVisible());
}

TEST_F(PasteTest, LongBlockIsPastedWhole) {
    const auto widths = [&] {
        std::vector<int> w;
        for (int c = 0; c < grid()->Cols(); ++c)
            w.push_back(grid()->columnWidth(c));
        return w;
    };
    const std::vector<int> laidOut = widths();
    QString text;
    for (int i = 1; i <= 100000; ++i)
        text += QString::number(i) + "\t" + QString::number(i % 97) + ",5\r\n";
    driver.click(1, 1);
    paste(text);
    // The number column takes "100000" whole, the data columns giving up the room.
    const std::vector<int> wide = widths();
    EXPECT_GT(wide[0], grid()->fontMetrics().horizontalAdvance("100000"));
    EXPECT_EQ(std::accumulate(wide.begin(), wide.end(), 0),
              std::accumulate(laidOut.begin(), laidOut.end(), 0));
    EXPECT_EQ(grid()->Rows(), 100002);
    EXPECT_EQ(grid()->text(100000, 0), "100000");
    EXPECT_EQ(grid()->text(100000, 1), "100000");
    EXPECT_EQ(grid()->text(100000, 2), "90,5");
    EXPECT_EQ(grid()->text(100001, 1), "");
    menus().mFileNew->trigger();
    EXPECT_EQ(widths(), laidOut);
}

TEST_F(PasteTest, DataMenuOffersPasteOnlyWithADataRowAndText) {
    const auto openDataMenu = [this] { emit menus().mEdit->aboutToShow(); };
    clipboard.setText("1\t2");
    driver.click(1, 1);
    openDataMenu();
    EXPECT_TRUE(menus().mEditPaste->isEnabled());

    clipboard.setText(QString()); // no text, as after copying a picture
    openDataMenu();
    EXPECT_FALSE(menus().mEditPaste->isEnabled());

    clipboard.setText("1\t2");
    form().Pnas->setFocus();
    openDataMenu();
    EXPECT_FALSE(menus().mEditPaste->isEnabled());
}

TEST_F(PasteTest, SaveIsOfferedOnlyForALoadedRecordWithResults) {
    const auto openDataMenu = [this] { emit menus().mEdit->aboutToShow(); };
    for (bool loaded : {false, true}) {
        start({.DatabaseMode = true, .DatabaseRecordLoaded = loaded});
        edit([](AnalysisState& s) { s.ReservoirPressure = 20; });
        openDataMenu();
        EXPECT_EQ(menus().mEditSave->isEnabled(), loaded);
        edit([](AnalysisState& s) { s.ReservoirPressure = 0; });
        openDataMenu();
        EXPECT_FALSE(menus().mEditSave->isEnabled());
    }
}

TEST_F(PasteTest, CopyWritesTheFitSet) {
    edit([](AnalysisState& s) {
        for (auto [q, p] : {std::pair{10.0, 20.0}, {20.0, 18.5}, {30.0, 17.0}}) {
            s.FitRates.append(q);
            s.FitPressures.append(p);
        }
    });
    menus().mEditCopyIDData->trigger();
    EXPECT_EQ(clipboard.text(), "10\t20\n20\t18,5\n30\t17\n");
}

} // namespace
} // namespace id
