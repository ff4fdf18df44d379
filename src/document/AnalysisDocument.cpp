#include "document/AnalysisDocument.h"

#include "platform/VectorState.h"

#include "analysis/ResultRows.h"
#include "document/AnalysisFile.h"
#include "state/AnalysisFault.h"

#include <QFileInfo>

namespace id {

AnalysisDocument::AnalysisDocument(SpreadsheetFitService& fits, const StartOptions& options)
    : fits_(fits), options_(options) {
    state_.WellType = options.WellType;
    saved_ = state_;
}

void AnalysisDocument::takeTypedInputs(const TypedInputs& typed) {
    // Typing into the formation boxes changes nothing until a step reads them.
    state_.Inputs.Pnas = typed.Pnas;
    state_.Inputs.Skin = typed.Skin;
    state_.Inputs.Rkontur = typed.Rkontur;
    state_.Inputs.Rwell = typed.Rwell;
    state_.Inputs.ModelPres = typed.ModelPres;
}

AnalysisDocument::Outcome AnalysisDocument::run(const Command& command, const QString& undoLabel,
                                                const std::optional<TypedInputs>& typed,
                                                const QString& editGroup) {
    const AnalysisState before = state_;
    if (typed)
        takeTypedInputs(*typed);
    CommandContext context{fits_, options_, {}};
    AnalysisState next = state_;
    clearUpperVectorState();
    try {
        command(next, context);
    } catch (const AnalysisFault& fault) {
        context.messages << fault.message();
        context.messages.removeDuplicates();
        return {false, context.messages};
    }
    // A command that fits each slot in turn checks the inputs each time: one message is enough.
    context.messages.removeDuplicates();
    state_ = std::move(next);
    if (!(state_ == before)) {
        if (undoLabel.isNull()) {
            if (!unrecorded_)
                unrecorded_ = before;
        } else if (editGroup.isEmpty() || editGroup != editGroup_ || unrecorded_ ||
                   !history_.canUndo()) {
            history_.record(unrecorded_ ? *unrecorded_ : before, undoLabel);
            unrecorded_.reset();
        }
        // Otherwise the keystroke joins the step its group began.
    }
    editGroup_ = editGroup;
    return {true, context.messages};
}

void AnalysisDocument::replace(AnalysisState next) {
    unrecorded_.reset();
    editGroup_.clear();
    state_ = std::move(next);
}

bool AnalysisDocument::undo(const TypedInputs& typed) {
    takeTypedInputs(typed);
    editGroup_.clear();
    if (!history_.canUndo())
        return false;
    replace(history_.undo(state_));
    return true;
}

bool AnalysisDocument::redo(const TypedInputs& typed) {
    takeTypedInputs(typed);
    editGroup_.clear();
    if (!history_.canRedo())
        return false;
    replace(history_.redo(state_));
    return true;
}

void AnalysisDocument::startNew() {
    AnalysisState fresh;
    fresh.WellType = options_.WellType;
    filePath_.clear();
    history_.clear();
    saved_ = fresh;
    replace(fresh);
}

void AnalysisDocument::openWell(qint64 kwuId, std::int16_t wellType,
                                const QList<MeasurementRow>& table) {
    AnalysisState fresh;
    fresh.WellType = wellType;
    fresh.Table = table;
    filePath_.clear();
    well_ = kwuId;
    history_.clear();
    saved_ = fresh;
    replace(fresh);
}

std::optional<QString> AnalysisDocument::open(QByteArray bytes, const QString& path) {
    AnalysisFileRead read = readAnalysis(std::move(bytes));
    if (!read.state)
        return read.error;
    filePath_ = QFileInfo(path).absoluteFilePath();
    well_.reset();
    history_.clear();
    saved_ = *read.state;
    replace(std::move(*read.state));
    return std::nullopt;
}

AnalysisDocument::FileBytes AnalysisDocument::fileBytes() const {
    // The writer keeps every number exactly; what could still make the file unreadable (a
    // first-version trend whose points are unknown, anything the reading refuses) is found
    // before anything is written.
    QByteArray bytes = writeAnalysis(state_);
    if (const std::optional<QString> problem = unopenableProblem(state_, bytes))
        return {{}, QStringLiteral("его нельзя было бы открыть: ") + *problem + u'.'};
    return {std::move(bytes), {}};
}

void AnalysisDocument::markSaved(const QString& path) {
    filePath_ = QFileInfo(path).absoluteFilePath();
    saved_ = state_;
}

} // namespace id
