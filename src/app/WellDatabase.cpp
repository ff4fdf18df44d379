#include "app/WellDatabase.h"

#include "app/ResultSaving.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace id {

namespace {

// A connection under its own name, removed from Qt's registry when the step ends.
class Connection {
public:
    Connection(const StartOptions& options, const QString& databaseName) {
        static QAtomicInt counter;
        name_ = QStringLiteral("well-database-%1").arg(counter.fetchAndAddRelaxed(1));
        const bool toFile = !options.DatabaseFile.isEmpty();
        QSqlDatabase db = QSqlDatabase::addDatabase(
            toFile ? QStringLiteral("QSQLITE") : QStringLiteral("QODBC"), name_);
        db.setDatabaseName(databaseName);
        // A server that does not answer must not hold the window for long.
        db.setConnectOptions(toFile ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")
                                    : QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=5;"
                                                     "SQL_ATTR_CONNECTION_TIMEOUT=5"));
    }
    ~Connection() {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QSqlDatabase database() const { return QSqlDatabase::database(name_, false); }

private:
    QString name_;
};

QString driverText(const QSqlError& error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("(драйвер не сообщил подробностей)") : text;
}

DatabaseOutcome failed(const QString& cause, const QSqlError& error) {
    return {false, cause + QStringLiteral("\n\nСообщение драйвера: ") + driverText(error)};
}

// "запись", "записи" or "записей" after the number n.
QString records(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    if (last == 1 && lastTwo != 11)
        return QStringLiteral("запись");
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QStringLiteral("записи");
    return QStringLiteral("записей");
}

// A row or table locked by another session must not hold the window: servers that can be told
// so give up waiting after a few seconds. Other servers are left as they are.
void limitWaiting(QSqlDatabase& db) {
    QSqlQuery limit(db);
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
        limit.exec(QStringLiteral("set lock_timeout = 5000"));
        limit.exec(QStringLiteral("set statement_timeout = 15000"));
        break;
    case QSqlDriver::MSSqlServer:
    case QSqlDriver::Sybase:
        limit.exec(QStringLiteral("set lock_timeout 5000"));
        break;
    case QSqlDriver::MySqlServer:
        limit.exec(QStringLiteral("set innodb_lock_wait_timeout = 5"));
        break;
    default:
        break;
    }
}

QString missingFile(const QString& path) {
    return QStringLiteral("Файл базы \"%1\" не найден.").arg(path);
}

} // namespace

WellDatabase::WellDatabase(const StartOptions& options) : options_(options) {}

QString WellDatabase::databaseName() const {
    if (!options_.DatabaseFile.isEmpty())
        return options_.DatabaseFile;
    return connectionString(
        withPortKeyword(serverPart(options_.ConnectionText, options_.ServerName)));
}

DatabaseOutcome WellDatabase::checkRecord() const {
    const QString unreachable = QStringLiteral("Не удалось подключиться к базе скважин: "
                                               "сохранение результатов недоступно.");
    // SQLite would create a missing file on opening it.
    if (!options_.DatabaseFile.isEmpty() && !QFileInfo(options_.DatabaseFile).isFile())
        return {false, unreachable + QStringLiteral("\n\n") + missingFile(options_.DatabaseFile)};
    Connection connection(options_, databaseName());
    QSqlDatabase db = connection.database();
    if (!db.open())
        return failed(unreachable, db.lastError());
    limitWaiting(db);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select count(*) from kwu_ind where kwu_id=") +
                    QString::number(options_.RecordId)))
        return failed(QStringLiteral("Не удалось прочитать таблицу kwu_ind: сохранение "
                                     "результатов недоступно."),
                      query.lastError());
    if (!query.next() || query.value(0).toLongLong() < 1)
        return {false, QStringLiteral("В таблице kwu_ind нет записи с kwu_id=%1: сохранение "
                                      "результатов недоступно.")
                           .arg(options_.RecordId)};
    return {true, QString()};
}

DatabaseOutcome WellDatabase::saveResults(const AnalysisState& state) const {
    const QString notSaved = QStringLiteral("Результаты не сохранены.");
    if (!options_.DatabaseFile.isEmpty() && !QFileInfo(options_.DatabaseFile).isFile())
        return {false, notSaved + QStringLiteral(" ") + missingFile(options_.DatabaseFile)};
    Connection connection(options_, databaseName());
    QSqlDatabase db = connection.database();
    if (!db.open())
        return failed(notSaved + QStringLiteral(" Не удалось подключиться к базе скважин."),
                      db.lastError());
    limitWaiting(db);
    const bool inTransaction = db.transaction();
    QSqlQuery query(db);
    const QString statement = updateStatement(state, options_.RecordId);
    if (!query.exec(statement)) {
        const QSqlError error = query.lastError();
        if (inTransaction)
            db.rollback();
        return failed(notSaved + QStringLiteral(" Запрос не выполнен:\n") + statement, error);
    }
    const int changed = query.numRowsAffected();
    query.finish();
    if (changed != 1) {
        if (inTransaction)
            db.rollback();
        if (changed == 0)
            return {false, notSaved + QStringLiteral(" В таблице kwu_ind нет записи с kwu_id=%1.")
                                          .arg(options_.RecordId)};
        // Without a transaction the statement has already changed what it changed: say so.
        const QString head = inTransaction ? notSaved : QStringLiteral("Внимание.");
        const QString undone = inTransaction ? QStringLiteral("; изменения отменены.")
                                             : QStringLiteral("; база не поддерживает "
                                                              "транзакций, изменения остались.");
        if (changed < 0)
            return {false, head + QStringLiteral(" Драйвер не сообщил, сколько записей изменено") +
                               undone};
        return {false, head +
                           QStringLiteral(" Запрос затронул %1 %2 с kwu_id=%3 вместо одной")
                               .arg(changed)
                               .arg(records(changed))
                               .arg(options_.RecordId) +
                           undone};
    }
    if (inTransaction && !db.commit())
        return failed(notSaved + QStringLiteral(" Не удалось завершить запись в базу."),
                      db.lastError());
    return {true, QStringLiteral("Результаты были успешно сохранены")};
}

} // namespace id
