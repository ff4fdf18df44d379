#include "database/WellDatabase.h"

#include "app/ResultSaving.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>

namespace id {

QString records(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    if (last == 1 && lastTwo != 11)
        return QStringLiteral("запись");
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QStringLiteral("записи");
    return QStringLiteral("записей");
}

namespace {

// Set once before the steps run, read by the workers' threads.
std::atomic<int> loginWait{DatabaseWaits{}.login};
std::atomic<int> lockWait{DatabaseWaits{}.lock};
std::atomic<int> statementWait{DatabaseWaits{}.statement};

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
        db.setConnectOptions(toFile ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(lockWait * 1000)
                                    : QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;"
                                                     "SQL_ATTR_CONNECTION_TIMEOUT=%1")
                                          .arg(loginWait.load()));
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

} // namespace

DatabaseOutcome databaseFailure(const QString& headline, const QSqlError& error,
                                const QString& statement) {
    const QString cause = databaseCause(error.text());
    DatabaseOutcome outcome{
        false,
        cause.isEmpty() ? headline : headline + QStringLiteral("\n\nПричина: ") + cause + u'.',
        QStringLiteral("Сообщение драйвера: ") + driverText(error)};
    if (!statement.isEmpty())
        outcome.details += QStringLiteral("\nЗапрос: ") + statement;
    return outcome;
}

namespace {

DatabaseOutcome failed(const QString& headline, const QSqlError& error,
                       const QString& statement = {}) {
    return databaseFailure(headline, error, statement);
}

// A row or table locked by another session must not hold the window: servers that can be told
// so give up waiting after a few seconds. Other servers are left as they are.
void limitWaiting(QSqlDatabase& db) {
    QSqlQuery limit(db);
    const int lock = lockWait;
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
        limit.exec(QStringLiteral("set lock_timeout = %1").arg(lock * 1000));
        limit.exec(QStringLiteral("set statement_timeout = %1").arg(statementWait * 1000));
        break;
    case QSqlDriver::MSSqlServer:
    case QSqlDriver::Sybase:
        limit.exec(QStringLiteral("set lock_timeout %1").arg(lock * 1000));
        break;
    case QSqlDriver::MySqlServer:
        limit.exec(QStringLiteral("set innodb_lock_wait_timeout = %1").arg(lock));
        break;
    default:
        break;
    }
}

QString missingFile(const QString& path) {
    return QStringLiteral("Файл базы \"%1\" не найден.").arg(path);
}

} // namespace

DatabaseWaits databaseWaits() {
    return {loginWait, lockWait, statementWait};
}

void setDatabaseWaits(const DatabaseWaits& waits) {
    loginWait = std::max(1, waits.login);
    lockWait = std::max(1, waits.lock);
    statementWait = std::max(1, waits.statement);
}

QString databaseCause(const QString& text) {
    static const struct {
        const char* marker;
        const char* cause;
    } causes[] = {
        {"statement timeout", "сервер не выполнил запрос за %2 с"},
        {"lock timeout", "запись занята другим пользователем, ожидание (%1 с) истекло"},
        {"lock request time out", "запись занята другим пользователем, ожидание (%1 с) истекло"},
        {"database is locked", "файл базы занят другой программой"},
        {"timeout expired", "сервер не ответил вовремя"},
        {"connection refused", "сервер не принимает подключения (не запущен или недоступен)"},
        {"could not connect", "сервер не принимает подключения (не запущен или недоступен)"},
        {"could not translate host name", "имя сервера не найдено"},
        {"server closed the connection", "связь с сервером прервалась"},
        {"no connection to the server", "связь с сервером прервалась"},
        {"could not receive data", "связь с сервером прервалась"},
        {"connection reset", "связь с сервером прервалась"},
        {"terminating connection", "связь с сервером прервалась"},
        {"communication link failure", "связь с сервером прервалась"},
        {"password authentication failed", "сервер не принял имя пользователя или пароль"},
        {"login failed", "сервер не принял имя пользователя или пароль"},
        {"of relation \"kwu_ind\" does not exist", "в таблице kwu_ind нет нужного столбца "
                                                   "(kwu_id, kprod, pplast или pzab_dop)"},
        {"relation \"kwu_ind\" does not exist", "в базе нет таблицы kwu_ind"},
        {"no such table: kwu_ind", "в базе нет таблицы kwu_ind"},
        {"invalid object name 'kwu_ind'", "в базе нет таблицы kwu_ind"},
        {"no such column", "в таблице kwu_ind нет нужного столбца (kwu_id, kprod, pplast или "
                           "pzab_dop)"},
        {"invalid column name", "в таблице kwu_ind нет нужного столбца (kwu_id, kprod, pplast "
                                "или pzab_dop)"},
        {"permission denied", "нет прав на изменение таблицы kwu_ind"},
        {"permission was denied", "нет прав на изменение таблицы kwu_ind"},
        {"readonly database", "файл базы доступен только для чтения"},
        {"read-only", "база доступна только для чтения"},
        {"unable to open database file", "файл базы не открывается"},
        {"file is not a database", "файл не является базой SQLite"},
        {"data source name not found", "драйвер ODBC \"SQL Server\" не установлен"},
        {"can't open lib", "драйвер ODBC \"SQL Server\" не установлен"},
    };
    const QString lower = text.toLower();
    for (const auto& c : causes)
        if (lower.contains(QString::fromUtf8(c.marker)))
            return QString::fromUtf8(c.cause)
                .replace(QStringLiteral("%1"), QString::number(lockWait))
                .replace(QStringLiteral("%2"), QString::number(statementWait));
    // A column the statement names that the table lacks.
    if (lower.contains(QStringLiteral("column")) &&
        lower.contains(QStringLiteral("does not exist")))
        return QStringLiteral("в таблице kwu_ind нет нужного столбца (kwu_id, kprod, pplast или "
                              "pzab_dop)");
    return {};
}

WellDatabase::WellDatabase(const StartOptions& options) : options_(options) {}

QString WellDatabase::databaseName() const {
    if (!options_.DatabaseFile.isEmpty())
        return options_.DatabaseFile;
    return connectionString(
        withPortKeyword(serverPart(options_.ConnectionText, options_.ServerName)));
}

DatabaseOutcome WellDatabase::run(const QString& unreachable,
                                  const std::function<DatabaseOutcome(QSqlDatabase&)>& step) const {
    // SQLite would create a missing file on opening it.
    if (!options_.DatabaseFile.isEmpty() && !QFileInfo(options_.DatabaseFile).isFile())
        return {false, unreachable + QStringLiteral("\n\n") + missingFile(options_.DatabaseFile)};
    Connection connection(options_, databaseName());
    QSqlDatabase db = connection.database();
    if (!db.open())
        return failed(unreachable, db.lastError());
    limitWaiting(db);
    return step(db);
}

DatabaseOutcome WellDatabase::checkRecord() const {
    return run(QStringLiteral("Не удалось подключиться к базе скважин: сохранение результатов "
                              "недоступно."),
               [this](QSqlDatabase& db) -> DatabaseOutcome {
                   QSqlQuery query(db);
                   if (!query.exec(QStringLiteral("select count(*) from kwu_ind where kwu_id=") +
                                   QString::number(options_.RecordId)))
                       return failed(QStringLiteral("Не удалось прочитать таблицу kwu_ind: "
                                                    "сохранение результатов недоступно."),
                                     query.lastError());
                   if (!query.next() || query.value(0).toLongLong() < 1)
                       return {false,
                               QStringLiteral("В таблице kwu_ind нет записи с kwu_id=%1: "
                                              "сохранение результатов недоступно.")
                                   .arg(options_.RecordId),
                               QString(), true};
                   return {true, QString(), QString(), false};
               });
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
        return failed(notSaved + QStringLiteral(" Запрос к базе не выполнен."), error, statement);
    }
    const int changed = query.numRowsAffected();
    query.finish();
    if (changed != 1) {
        if (inTransaction)
            db.rollback();
        if (changed == 0)
            return {false,
                    notSaved + QStringLiteral(" В таблице kwu_ind нет записи с kwu_id=%1.")
                                   .arg(options_.RecordId),
                    QStringLiteral("Запрос: ") + statement, true};
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
