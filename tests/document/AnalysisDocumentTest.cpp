#include "document/AnalysisDocument.h"
#include "app/MenuRules.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/AnalysisFault.h"

#include <gtest/gtest.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace id {
namespace {

class AnalysisDocumentTest : public ::testing::Test {
protected:
    // A step that sets the saturation pressure text (any visible change will do).
    static AnalysisDocument::Command setPnas(const QString& text) {
        return [text](AnalysisState& s, CommandContext&) { s.Inputs.Pnas = text; };
    }
    // What the boxes show: the analysis's own texts (nothing typed since the last step).
    TypedInputs typed() const {
        const FormationInputs& f = document.state().Inputs;
        return {f.Pnas, f.Skin, f.Rkontur, f.Rwell};
    }
    LeastSquaresFitService fits;
    AnalysisDocument document{fits, StartOptions{}};
};

// The history as an editor's: a new step after an undo drops what could be redone; typed texts
// join the next step and survive an undo on the redo side; a change that is no step of its own
// joins the next one; a fault changes nothing.
TEST_F(AnalysisDocumentTest, UndoHistoryFollowsTheSteps) {
    document.run(setPnas("1"), "a");
    document.run(setPnas("2"), "b");
    ASSERT_TRUE(document.undo(typed()));
    EXPECT_EQ(document.state().Inputs.Pnas, "1");
    EXPECT_TRUE(document.canRedo());
    document.run(setPnas("3"), "c");
    EXPECT_FALSE(document.canRedo()) << "a new step after an undo keeps no redo";
    EXPECT_EQ(document.undoLabel(), "c");

    // Typed, then a step that changes nothing else: the typing is the step.
    document.run([](AnalysisState&, CommandContext&) {}, "typing", TypedInputs{"", "7", "", ""});
    EXPECT_EQ(document.undoLabel(), "typing");
    // Typed, then undo: the text is not lost but waits on the redo side.
    ASSERT_TRUE(document.undo({"3", "8", "", ""}));
    EXPECT_EQ(document.state().Inputs.Skin, "");
    ASSERT_TRUE(document.redo({"3", "", "", ""}));
    EXPECT_EQ(document.state().Inputs.Skin, "8");

    document.run([](AnalysisState& s, CommandContext&) { s.SelectionX1 = 5; },
                 AnalysisDocument::NoUndo);
    document.run(setPnas("4"), "d");
    ASSERT_TRUE(document.undo(typed()));
    EXPECT_EQ(document.state().SelectionX1, 0) << "the selection went with the step after it";

    const AnalysisState before = document.state();
    const AnalysisDocument::Outcome failed = document.run(
        [](AnalysisState& s, CommandContext& c) {
            s.Inputs.Pnas = "half done";
            c.messages << "first";
            throw AnalysisFault("fault");
        },
        "broken");
    EXPECT_FALSE(failed.done);
    EXPECT_EQ(failed.messages, QStringList({"first", "fault"}));
    EXPECT_TRUE(document.state() == before);
    EXPECT_EQ(document.undoLabel(), "typing");
}

// The keystrokes of one cell are one step; another cell, or any other step, starts a new one.
TEST_F(AnalysisDocumentTest, TypingInOneCellIsOneStep) {
    for (const char* text : {"1", "12", "12,", "12,5"})
        document.run(setPnas(text), "ввод", std::nullopt, "cell 1,1");
    document.run(setPnas("7"), "ввод", std::nullopt, "cell 1,2");
    document.run(setPnas("70"), "ввод", std::nullopt, "cell 1,2");
    document.closeEditGroup();
    document.run(setPnas("700"), "ввод", std::nullopt, "cell 1,2");
    ASSERT_TRUE(document.undo(typed()));
    EXPECT_EQ(document.state().Inputs.Pnas, "70");
    ASSERT_TRUE(document.undo(typed()));
    EXPECT_EQ(document.state().Inputs.Pnas, "12,5");
    ASSERT_TRUE(document.undo(typed()));
    EXPECT_EQ(document.state().Inputs.Pnas, "");
    EXPECT_FALSE(document.canUndo());
}

TEST_F(AnalysisDocumentTest, TheHistoryKeepsTheLastTwoHundredSteps) {
    for (int i = 1; i <= 205; ++i)
        document.run(setPnas(QString::number(i)), "step");
    int undone = 0;
    while (document.undo(typed()))
        ++undone;
    EXPECT_EQ(undone, 200);
    EXPECT_EQ(document.state().Inputs.Pnas, "5");
}

#if defined(__x86_64__) && defined(__GNUC__)
// Drawing leaves the vector registers' upper halves in use (here set by hand, as Qt's filling
// does); a command's arithmetic must start with them clear or it runs at half speed.
TEST_F(AnalysisDocumentTest, ACommandStartsWithTheUpperVectorHalvesClear) {
    unsigned eax, ebx, ecx, edx;
    if (!__builtin_cpu_supports("avx") || !__get_cpuid_count(0xD, 1, &eax, &ebx, &ecx, &edx) ||
        !(eax & 4))
        GTEST_SKIP() << "the processor cannot say which registers are in use";
    const auto upperInUse = [] {
        unsigned lo, hi;
        asm volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(1));
        return (lo & 4) != 0;
    };
    asm volatile("vcmpps $15, %%ymm0, %%ymm0, %%ymm0" ::: "xmm0");
    ASSERT_TRUE(upperInUse());
    bool inUse = true;
    document.run([&](AnalysisState&, CommandContext&) { inUse = upperInUse(); }, "step");
    EXPECT_FALSE(inUse);
}
#endif

TEST_F(AnalysisDocumentTest, FilesMarkWhatIsSaved) {
    EXPECT_FALSE(document.modified());
    document.run(setPnas("5"), "a");
    EXPECT_TRUE(document.modified());
    const AnalysisDocument::FileBytes file = document.fileBytes();
    ASSERT_TRUE(file.error.isEmpty());
    document.markSaved("/tmp/well.ida");
    EXPECT_FALSE(document.modified());

    // A box holding a whole pasted table could not be opened again: not written.
    document.run(setPnas(QString(1001, u'1')), "b");
    EXPECT_TRUE(document.fileBytes().error.startsWith("его нельзя было бы открыть"));

    const AnalysisState typed = document.state();
    EXPECT_TRUE(document.open("not a file", "/tmp/bad.ida").has_value());
    EXPECT_TRUE(document.state() == typed) << "a refused file changes nothing";
    EXPECT_FALSE(document.open(file.bytes, "/tmp/well.ida").has_value());
    EXPECT_EQ(document.state().Inputs.Pnas, "5");
    EXPECT_FALSE(document.modified());
    EXPECT_FALSE(document.canUndo());
    EXPECT_EQ(document.filePath(), "/tmp/well.ida");
    document.startNew();
    EXPECT_TRUE(document.filePath().isEmpty());
    EXPECT_FALSE(document.modified());
}

TEST(MenuRules, ItemsOfferedFollowTheAnalysis) {
    AnalysisState empty;
    AnalysisState built;
    built.Table = {{"10", "20", ""}, {"20", "18", ""}, {"30", "16", ""}};
    built.DiagramShown = true;
    built.FitRates = {10, 20, 30};
    built.FitPressures = {20, 18, 16};
    AnalysisState trend = built;
    trend.TrendCount = 1;
    trend.FirstTrend.Kind = QuadraticTrend;
    trend.ProductivityIndex = 0;
    trend.ReservoirPressure = 22;
    trend.PiChartShown = true;
    AnalysisState selecting = trend;
    selecting.SelectionMode = true;

    EXPECT_FALSE(diagramMenuState(empty).build);
    EXPECT_TRUE(diagramMenuState(built).build);
    EXPECT_FALSE(diagramMenuState(built).statistics);
    EXPECT_TRUE(diagramMenuState(trend).statistics && diagramMenuState(trend).formatPi);
    EXPECT_FALSE(diagramMenuState(trend).estimate) << "no estimate from a quadratic";

    EXPECT_FALSE(trendMenuState(empty).line.has_value()) << "kinds keep their state";
    EXPECT_EQ(trendMenuState(built).quadratic, true);
    EXPECT_EQ(trendMenuState(built).cubic, false);
    EXPECT_FALSE(trendMenuState(built).remove);
    EXPECT_FALSE(trendMenuState(selecting).byAllPoints);
    EXPECT_TRUE(trendMenuState(selecting).remove);

    const MenuFacts loaded{true, 1, true, false};
    EXPECT_TRUE(dataMenuState(trend, loaded).save);
    EXPECT_TRUE(dataMenuState(trend, loaded).paste);
    EXPECT_FALSE(dataMenuState(built, loaded).save) << "no result to save";
    EXPECT_FALSE(dataMenuState(trend, {true, 0, true, false}).paste) << "no data row current";
    EXPECT_FALSE(dataMenuState(trend, {true, 1, true, true}).save) << "one save at a time";
    EXPECT_FALSE(dataMenuState(trend, {false, 1, false, false}).save) << "no record";
    EXPECT_FALSE(dataMenuState(empty, loaded).exportCsv);
}

} // namespace
} // namespace id
