#pragma once

#include <QString>
#include <cstdint>

namespace id {

// Modes the main frame starts in. The plain program starts with the defaults; the command line
// reaches the database mode.
struct StartOptions {
    bool DatabaseMode = false;
    bool WellTypeSelectable = true;
    std::int16_t WellType = 1;

    // The save command's record: whether one is loaded, how to reach it and its key.
    bool DatabaseRecordLoaded = false;
    QString ConnectionText;
    QString ServerName;
    qint64 RecordId = 0;
    // An SQLite file instead of the server; empty for the server.
    QString DatabaseFile;
    // The table of the wells' steady regimes (kwu_id, rate, pressure, well_type).
    QString RegimesTable = QStringLiteral("kwu_regime");

    // The last data column of the measurement table: 3 with the date column, 2 without.
    int lastDataColumn() const { return DatabaseMode ? 3 : 2; }
};

} // namespace id
