#pragma once

#include "state/AnalysisState.h"

#include <QString>
#include <array>
#include <optional>

namespace id {

// Standard atmospheres per MPa: the database keeps pressures in atmospheres and the
// productivity coefficient per atmosphere.
constexpr double AtmospheresPerMegapascal = 9.86923;

// The server part of the connection string: the text after the last blank of the connection
// text; without a blank, the server name followed by the connection text from its second ";"
// on; empty when there are fewer than two ";".
QString serverPart(const QString& connectionText, const QString& serverName);

// "driver={SQL Server};Server=" and the server part.
QString connectionString(const QString& serverPart);

// SQL Server writes a port as "host,port"; other ODBC drivers read "host;Port=port".
QString withPortKeyword(const QString& serverPart);

// The one statement of a save: the three results converted to the database's units with six
// significant digits (a point, whatever the locale: SQL reads no other), Null for a result not
// determined.
QString updateStatement(const AnalysisState& state, qint64 recordId);
// The statement's three values as its text has them (kprod, pplast, pzab_dop), none for Null:
// for a prepared statement that takes them bound.
std::array<std::optional<QString>, 3> updateValues(const AnalysisState& state);

} // namespace id
