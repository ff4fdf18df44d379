#pragma once

#include "batch/BatchRun.h"

namespace id::batchrun {

// The cause in Russian of a failed reading of the regimes table, before the driver's words; the
// window's causes for the rest.
QString regimesCause(const QString& driverText, const QString& table);
bool plainName(const QString& table);
// The well database of the options, opened under the connection name; the reason if not.
QString openDatabase(const BatchOptions& options, const QString& name);
// A shared run needs the server's row locks.
QString sharedRunDatabase(const BatchOptions& options, const QString& name);

} // namespace id::batchrun
