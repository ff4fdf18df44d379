#pragma once

#include "batch/BatchReportContent.h"

#include <QString>
#include <optional>

namespace id {

// The PDF report's module, loaded for a run that asks for a report and kept to the end.
struct ReportModule {
    reportmodule::MakeApplication makeApplication = nullptr;
    reportmodule::Draw draw = nullptr;

    // Beside the program (a build), else in the library folder it is installed with. Why not, if
    // it cannot be loaded.
    static std::optional<ReportModule> load(QString& why);
};

} // namespace id
