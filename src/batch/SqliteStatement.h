#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace id::batchrun {

// A statement on an SQLite file's connection run by the library itself. A field's hundred
// thousand wells pass a million rows: the toolkit's layer (a cache of every row, a variant
// copied per value) cost as much again as the database's own work, all of it on the one thread
// that may use the connection.
class SqliteStatement {
public:
    // The connection's own handle, if it is an open SQLite file and the driver's library is the
    // one this program calls.
    static sqlite3* handleOf(const QSqlDatabase& db);
    // Whether a transaction is open on the connection.
    static bool inTransaction(const sqlite3* db);

    SqliteStatement(sqlite3* db, const QString& text);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool prepared() const { return statement_ != nullptr; }
    // The next row; false at the end or on a failure (then error() says which).
    bool next();
    // Run to its end: true when it did without a failure.
    bool run();
    // Ready to run again, its bound values kept until bound again.
    void reset();
    void bind(int index, const QString& text);
    void bind(int index, qint64 value);
    void bindNull(int index);
    // A column of the row as the toolkit's driver gives it: an integer, a real, a text, bytes,
    // or a null text.
    QVariant value(int column) const;
    // A column held as an integer, or as a number of either kind, without a variant.
    std::optional<qint64> integer(int column) const;
    std::optional<double> real(int column) const;
    // Rows the last run changed.
    int changes() const;
    QString error() const { return error_; }

private:
    void fail();

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    bool ended_ = false;
    QString error_;
};

} // namespace id::batchrun
