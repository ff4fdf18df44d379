#pragma once

#include "batch/WellPage.h"

#include <QStringList>
#include <functional>
#include <map>

class QCoreApplication;
class QIODevice;

namespace id {

// What the batch's PDF report shows: the run's settings (lines "caption: value"), its counts,
// the reasons of refusal with their counts, and the wells' pages one after another.
struct BatchReportContent {
    QStringList settings;
    int wells = 0;
    int interpreted = 0;
    std::map<QString, int> refused;
    // The next well's page; false when one cannot be read.
    std::function<bool(WellPage&)> nextPage;
};

// The report is drawn by a module of its own, loaded only by a run that asks for one: the
// toolkit's drawing side (fonts, PDF) would otherwise cost every run a third of its memory.
namespace reportmodule {
// The module's file, beside the program in the build and in the library folder when installed.
inline constexpr char FileName[] = "indicator-batch-report.so";
// The application a run with a report needs (fonts without a display).
inline constexpr char MakeApplicationEntry[] = "idMakeReportApplication";
using MakeApplication = QCoreApplication* (*)(int& argc, char** argv);
// Writes the report into out; false, with why, when it cannot.
inline constexpr char DrawEntry[] = "idDrawBatchReport";
using Draw = bool (*)(QIODevice& out, const BatchReportContent& content, QString& why);
} // namespace reportmodule

} // namespace id
