#pragma once

#include "state/AnalysisState.h"

#include <QString>
#include <deque>

namespace id {

// The analyses before each change, to go back and forth. Copies of the analysis share their
// table and point arrays, so a step costs little beyond what the change itself altered.
class UndoHistory {
public:
    static constexpr std::size_t Depth = 200;

    // A change named label turned before into the current analysis; what was undone is lost.
    void record(const AnalysisState& before, const QString& label);
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    QString undoLabel() const { return canUndo() ? undo_.back().label : QString(); }
    QString redoLabel() const { return canRedo() ? redo_.back().label : QString(); }
    // The analysis before the last change; current goes to the redo side.
    AnalysisState undo(const AnalysisState& current);
    AnalysisState redo(const AnalysisState& current);
    void clear();

private:
    struct Step {
        AnalysisState state;
        QString label;
    };
    std::deque<Step> undo_;
    std::deque<Step> redo_;
};

} // namespace id
