#pragma once

#include "state/AnalysisState.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace id {

// An analysis file: the whole document as JSON, its format name and version first; the table
// and the points by columns, each column one text. Files of every earlier version open (version
// 1 counted its points beside their lists, versions 1 and 2 kept a row or a number an element,
// versions 1 to 3 the results table's rows beside the results).
constexpr int AnalysisFileVersion = 4;
inline const QString AnalysisFileFormat = QStringLiteral("indicator-diagram-analysis");

QByteArray writeAnalysis(const AnalysisState& state);

// The document of a file, checked whole; or, in error, what is wrong with the file (Russian,
// for the user).
struct AnalysisFileRead {
    std::optional<AnalysisState> state;
    QString error;
};
// Checking only: every check of the reading, but the table's cells are not kept (the state read
// has an empty table), so that a saved analysis is not held twice while it is checked.
enum class AnalysisReading { Whole, CheckOnly };
AnalysisFileRead readAnalysis(QByteArray bytes, AnalysisReading reading = AnalysisReading::Whole);

// Why a file of the analysis could not be opened again, if so: the limits and checks the reading
// applies that the program's own analyses could break (a huge paste, an endless text). Given
// the bytes written for it, those are read back; else it writes them.
std::optional<QString> unopenableProblem(const AnalysisState& state);
std::optional<QString> unopenableProblem(const AnalysisState& state, const QByteArray& written);

} // namespace id
