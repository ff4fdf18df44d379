#include "document/UndoHistory.h"

namespace id {

void UndoHistory::record(const AnalysisState& before, const QString& label) {
    undo_.push_back({before, label});
    if (undo_.size() > Depth)
        undo_.pop_front();
    redo_.clear();
}

AnalysisState UndoHistory::undo(const AnalysisState& current) {
    Step step = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back({current, step.label});
    return std::move(step.state);
}

AnalysisState UndoHistory::redo(const AnalysisState& current) {
    Step step = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back({current, step.label});
    return std::move(step.state);
}

void UndoHistory::clear() {
    undo_.clear();
    redo_.clear();
}

} // namespace id
