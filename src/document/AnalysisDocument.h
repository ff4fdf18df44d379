#pragma once

#include "document/UndoHistory.h"
#include "state/AnalysisState.h"
#include "state/CommandContext.h"
#include "state/StartOptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace id {

class SpreadsheetFitService;

// The texts typed into the formation boxes; they belong to the next step, whatever it is.
struct TypedInputs {
    QString Pnas;
    QString Skin;
    QString Rkontur;
    QString Rwell;
    QString ModelPres;
};

// The analysis being worked on, without a window: its value, the undo history, the analysis as
// its file holds it and the file. Commands run here; a window only presents what it holds.
class AnalysisDocument {
public:
    using Command = std::function<void(AnalysisState&, CommandContext&)>;
    // A label for changes that are no step of their own (a selection): they join the next one.
    static inline const QString NoUndo;

    AnalysisDocument(SpreadsheetFitService& fits, const StartOptions& options);

    const AnalysisState& state() const { return state_; }
    const StartOptions& options() const { return options_; }
    StartOptions& options() { return options_; }

    // What the boxes show now; taken into the analysis before every step.
    void takeTypedInputs(const TypedInputs& typed);

    struct Outcome {
        bool done = true; // false when the command raised a fault (the analysis stays as it was)
        QStringList messages;
    };
    // Runs the command on a copy and keeps the result, or after a fault the analysis as it was.
    // A change is an undo step under the label; the texts typed since the last step (if given)
    // are part of it.
    // Consecutive steps of one edit group (the keystrokes in one cell or box) are one undo step;
    // the group closes when any other step runs, on undo and redo, or by closeEditGroup.
    Outcome run(const Command& command, const QString& undoLabel,
                const std::optional<TypedInputs>& typed = std::nullopt,
                const QString& editGroup = {});
    // The cell or box was left: its next keystroke starts a step of its own.
    void closeEditGroup() { editGroup_.clear(); }

    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    QString undoLabel() const { return history_.undoLabel(); }
    QString redoLabel() const { return history_.redoLabel(); }
    // False when there was nothing to undo (redo). What the boxes show now is part of the
    // analysis that is left (it waits on the other side).
    bool undo(const TypedInputs& typed);
    bool redo(const TypedInputs& typed);

    // A fresh analysis of the start's well type, with no history and no file.
    void startNew();
    // A well's regimes from the database as a fresh analysis of its type, unchanged, with no
    // history and no file.
    void openWell(qint64 kwuId, std::int16_t wellType, const QList<MeasurementRow>& table);
    // The well of the database the analysis is of, if any.
    std::optional<qint64> well() const { return well_; }
    // Reads an analysis file into the document; the message when it is refused (nothing
    // changes then).
    std::optional<QString> open(QByteArray bytes, const QString& path);
    // The file of the analysis, or the reason it cannot be written: nothing is saved that could
    // not be opened again.
    struct FileBytes {
        QByteArray bytes;
        QString error;
    };
    FileBytes fileBytes() const;
    // The analysis as it is now is the file's.
    void markSaved(const QString& path);
    bool modified() const { return !(state_ == saved_); }
    const QString& filePath() const { return filePath_; }

private:
    void replace(AnalysisState next);

    SpreadsheetFitService& fits_;
    StartOptions options_;
    AnalysisState state_;
    UndoHistory history_;
    // The analysis before changes that are no undo step of their own, if any came since the last
    // step.
    std::optional<AnalysisState> unrecorded_;
    AnalysisState saved_;
    QString filePath_;
    std::optional<qint64> well_;
    // The edit group the last step belonged to, while it is open.
    QString editGroup_;
};

} // namespace id
