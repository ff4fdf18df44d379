#pragma once

#include "state/AnalysisState.h"
#include "state/StartOptions.h"

#include <QString>
#include <functional>

class QSqlDatabase;
class QSqlError;

namespace id {

// What a database step ended with: the text for the user either way, and the driver's own
// words (and the statement) for the details.
struct DatabaseOutcome {
    bool ok = false;
    QString message;
    QString details;
    // The step found that the record is not there (as opposed to not reaching it).
    bool recordMissing = false;
};

// The cause of a driver's error in Russian, for the errors a well database commonly gives:
// unreachable or silent server, lost connection, timeouts, locks, missing table or column, no
// rights, a read-only or busy file. Empty for any other.
QString databaseCause(const QString& driverText);
// "запись", "записи" or "записей" after the number n.
QString records(int n);

// A failed step: the Russian headline with the cause when the driver's text names a common one,
// the driver's own words (and the statement, if one ran) in the details.
DatabaseOutcome databaseFailure(const QString& headline, const QSqlError& error,
                                const QString& statement = {});

// How long a step waits on a server before giving up, in seconds: to log in, for a row another
// session holds, for a statement. The messages name the limits in force; tests shorten them.
struct DatabaseWaits {
    int login = 5;
    int lock = 5;
    int statement = 15;
};
DatabaseWaits databaseWaits();
void setDatabaseWaits(const DatabaseWaits& waits);

// The well database of the start options: the server through ODBC, or an SQLite file. Each call
// opens its own connection and closes it before returning; nothing stays open between calls.
class WellDatabase {
public:
    explicit WellDatabase(const StartOptions& options);

    // One query: whether kwu_ind holds the row kwu_id = RecordId.
    DatabaseOutcome checkRecord() const;

    // Writes the three results into the row, in a transaction kept only when exactly that row
    // changed.
    DatabaseOutcome saveResults(const AnalysisState& state) const;

    // Runs a step on a connection of its own, opened with the waits in force, and closes it;
    // a connection that does not open is said under the headline.
    DatabaseOutcome run(const QString& unreachable,
                        const std::function<DatabaseOutcome(QSqlDatabase&)>& step) const;

    // The driver's database name: the ODBC connection string or the file's path.
    QString databaseName() const;

private:
    StartOptions options_;
};

} // namespace id
