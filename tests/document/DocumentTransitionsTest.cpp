#include "app/CommandTable.h"
#include "document/AnalysisDocument.h"
#include "measurements/TableEditing.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <functional>
#include <gtest/gtest.h>

namespace id {
namespace {

// The document after every kind of step: what it holds, what undo and redo offer, and whether it
// differs from its file. A row's expectations hold after its step and all the rows before it.
TEST(DocumentTransitions, EveryStepLeavesStateHistoryAndSavedMarkRight) {
    LeastSquaresFitService fits;
    AnalysisDocument doc(fits, StartOptions{});
    const auto typed = [&] {
        const FormationInputs& f = doc.state().Inputs;
        return TypedInputs{f.Pnas, f.Skin, f.Rkontur, f.Rwell, f.ModelPres};
    };
    const auto key = [&](QChar c) {
        doc.run(
            [c](AnalysisState& s, CommandContext&) {
                QStringList messages;
                s = typeCharacter(s, {1, 1, 1, 1}, c, 2, messages).state;
            },
            "ввод", typed(), "cell 1,1");
    };
    const auto choose = [&](CommandId id) {
        doc.run([id](AnalysisState& s, CommandContext& c) { runCommand(id, s, c); },
                command(id).undoLabel, typed());
    };
    AnalysisDocument::FileBytes saved;
    const QString path = QStringLiteral("/tmp/transitions.ida");

    struct Step {
        const char* what;
        std::function<void()> act;
        QString firstRate;
        bool diagram;
        double selection;
        bool canUndo, canRedo, modified;
    };
    const Step steps[] = {
        {"start", [] {}, "", false, 0, false, false, false},
        {"a key", [&] { key('1'); }, "1", false, 0, true, false, true},
        {"a key in the same cell", [&] { key('5'); }, "15", false, 0, true, false, true},
        {"undo takes both keys", [&] { doc.undo(typed()); }, "", false, 0, false, true, false},
        {"redo", [&] { doc.redo(typed()); }, "15", false, 0, true, false, true},
        {"paste",
         [&] {
             doc.run(
                 [](AnalysisState& s, CommandContext&) {
                     QStringList messages;
                     s = pasteMeasurements(s, {1, 1, 1, 1}, "10\t20\n20\t18\n30\t16", messages)
                             .state;
                 },
                 "вставка", typed());
         },
         "10", false, 0, true, false, true},
        {"build", [&] { choose(CommandId::BuildCharts); }, "10", true, 0, true, false, true},
        {"a selection in progress",
         [&] {
             doc.run([](AnalysisState& s, CommandContext&) { s.SelectionX1 = 5; },
                     AnalysisDocument::NoUndo);
         },
         "10", true, 5, true, false, true},
        {"undo drops the selection with the build", [&] { doc.undo(typed()); }, "10", false, 0,
         true, true, true},
        {"a command after it", [&] { choose(CommandId::BuildCharts); }, "10", true, 0, true, false,
         true},
        {"its undo comes back to the paste, not to the selection", [&] { doc.undo(typed()); }, "10",
         false, 0, true, true, true},
        {"save",
         [&] {
             saved = doc.fileBytes();
             doc.markSaved(path);
         },
         "10", false, 0, true, true, false},
        {"redo past the saved mark", [&] { doc.redo(typed()); }, "10", true, 0, true, false, true},
        {"undo back to it", [&] { doc.undo(typed()); }, "10", false, 0, true, true, false},
        {"\"Новый анализ\"", [&] { doc.startNew(); }, "", false, 0, false, false, false},
        {"open", [&] { EXPECT_FALSE(doc.open(saved.bytes, path)); }, "10", false, 0, false, false,
         false},
        {"a selection on the opened file",
         [&] {
             doc.run([](AnalysisState& s, CommandContext&) { s.SelectionX1 = 5; },
                     AnalysisDocument::NoUndo);
         },
         "10", false, 5, false, false, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const AnalysisState& s = doc.state();
        EXPECT_EQ(s.Table.isEmpty() ? QString() : s.Table[0].Rate, step.firstRate);
        EXPECT_EQ(s.DiagramShown, step.diagram);
        EXPECT_EQ(s.SelectionX1, step.selection);
        EXPECT_EQ(doc.canUndo(), step.canUndo);
        EXPECT_EQ(doc.canRedo(), step.canRedo);
        EXPECT_EQ(doc.modified(), step.modified);
    }
    EXPECT_TRUE(saved.error.isEmpty());
}

} // namespace
} // namespace id
