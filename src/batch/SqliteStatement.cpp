#include "batch/SqliteStatement.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace id::batchrun {

sqlite3* SqliteStatement::handleOf(const QSqlDatabase& db) {
    if (!ID_SQLITE_SHARED_WITH_DRIVER || !db.isOpen() ||
        db.driverName() != QStringLiteral("QSQLITE"))
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool SqliteStatement::inTransaction(const sqlite3* db) {
    return sqlite3_get_autocommit(const_cast<sqlite3*>(db)) == 0;
}

SqliteStatement::SqliteStatement(sqlite3* db, const QString& text) : db_(db) {
    if (sqlite3_prepare16_v2(db_, text.utf16(), static_cast<int>(text.size() * 2), &statement_,
                             nullptr) != SQLITE_OK) {
        fail();
        statement_ = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::fail() {
    error_ = QString::fromUtf8(sqlite3_errmsg(db_));
}

bool SqliteStatement::next() {
    // Stepped again after its end, the library would start the statement over.
    if (!statement_ || ended_)
        return false;
    const int step = sqlite3_step(statement_);
    if (step == SQLITE_ROW)
        return true;
    ended_ = true;
    if (step != SQLITE_DONE)
        fail();
    return false;
}

bool SqliteStatement::run() {
    while (next()) {
    }
    return statement_ && error_.isEmpty();
}

void SqliteStatement::reset() {
    if (statement_)
        sqlite3_reset(statement_);
    ended_ = false;
    error_.clear();
}

void SqliteStatement::bind(int index, const QString& text) {
    sqlite3_bind_text16(statement_, index + 1, text.utf16(), static_cast<int>(text.size() * 2),
                        SQLITE_TRANSIENT);
}

void SqliteStatement::bind(int index, qint64 value) {
    sqlite3_bind_int64(statement_, index + 1, value);
}

void SqliteStatement::bindNull(int index) {
    sqlite3_bind_null(statement_, index + 1);
}

QVariant SqliteStatement::value(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(statement_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement_, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement_, column)),
                          sqlite3_column_bytes(statement_, column));
    default: {
        // The characters first, then their length in that form.
        const auto* text = static_cast<const QChar*>(sqlite3_column_text16(statement_, column));
        return QString(text, sqlite3_column_bytes16(statement_, column) / 2);
    }
    }
}

std::optional<qint64> SqliteStatement::integer(int column) const {
    if (sqlite3_column_type(statement_, column) != SQLITE_INTEGER)
        return std::nullopt;
    return sqlite3_column_int64(statement_, column);
}

std::optional<double> SqliteStatement::real(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return static_cast<double>(sqlite3_column_int64(statement_, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement_, column);
    default:
        return std::nullopt;
    }
}

int SqliteStatement::changes() const {
    return sqlite3_changes(db_);
}

} // namespace id::batchrun
