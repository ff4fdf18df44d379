#pragma once

#include "state/AnalysisState.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace id {

// An analysis file: the whole document as JSON, its format name and version first. Files of
// every earlier version open (version 1 counted its points beside their lists).
constexpr int AnalysisFileVersion = 2;
inline const QString AnalysisFileFormat = QStringLiteral("indicator-diagram-analysis");

QByteArray writeAnalysis(const AnalysisState& state);

// The document of a file, checked whole; or, in error, what is wrong with the file (Russian,
// for the user).
struct AnalysisFileRead {
    std::optional<AnalysisState> state;
    QString error;
};
AnalysisFileRead readAnalysis(const QByteArray& bytes);

} // namespace id
