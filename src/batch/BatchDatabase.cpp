#include "batch/BatchDatabase.h"

#include "database/WellDatabase.h"
#include "state/StartOptions.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace id::batchrun {

// The cause in Russian of a failed reading of the regimes table, before the driver's words; the
// window's causes for the rest.
QString regimesCause(const QString& driverText, const QString& table) {
    const QString lower = driverText.toLower();
    QString cause;
    if (lower.contains(QStringLiteral("no such table")) ||
        (lower.contains(QStringLiteral("relation")) &&
         lower.contains(QStringLiteral("does not exist"))))
        cause = QStringLiteral("в базе нет таблицы режимов %1").arg(table);
    else if (lower.contains(QStringLiteral("no such column")) ||
             (lower.contains(QStringLiteral("column")) &&
              lower.contains(QStringLiteral("does not exist"))))
        cause = QStringLiteral("в таблице режимов %1 нет столбца kwu_id, rate, pressure или "
                               "well_type")
                    .arg(table);
    else
        cause = databaseCause(driverText);
    return cause.isEmpty() ? QString() : cause + QStringLiteral(". Сообщение драйвера: ");
}

bool plainName(const QString& table) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.]*$"));
    return name.match(table).hasMatch();
}

// The well database of the options, opened under the connection name; the reason if not.
QString openDatabase(const BatchOptions& options, const QString& name) {
    StartOptions start;
    start.DatabaseFile = options.databaseFile;
    start.ConnectionText = options.connectionText;
    start.ServerName = options.serverName;
    if (!options.databaseFile.isEmpty() && !QFile::exists(options.databaseFile))
        return QStringLiteral("Файл базы не найден: ") + options.databaseFile;
    QSqlDatabase db = QSqlDatabase::addDatabase(
        options.databaseFile.isEmpty() ? QStringLiteral("QODBC") : QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(WellDatabase(start).databaseName());
    if (!db.open()) {
        QString text = QStringLiteral("Не удалось подключиться к базе скважин: ");
        if (const QString cause = databaseCause(db.lastError().text()); !cause.isEmpty())
            text += cause + QStringLiteral(". ");
        // The connection names its driver "SQL Server": on a machine without that driver
        // another one is registered under the name.
        if (db.lastError().text().contains(QStringLiteral("SQL Server")) ||
            databaseCause(db.lastError().text()).contains(QStringLiteral("SQL Server")))
            text += QStringLiteral("Зарегистрируйте драйвер ODBC под именем «SQL Server» в "
                                   "odbcinst.ini (раздел [SQL Server] с Driver= путь к драйверу "
                                   "вашего сервера, например psqlodbcw.so для PostgreSQL) или "
                                   "укажите драйвер в строке подключения. ");
        return text + QStringLiteral("Сообщение драйвера: ") + db.lastError().text();
    }
    // The batch passes over the file once: a small page cache serves it as fast, and a run's
    // memory stays that of the program.
    if (!options.databaseFile.isEmpty())
        QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = -128"));
    return {};
}

// A shared run needs the server's row locks.
QString sharedRunDatabase(const BatchOptions& options, const QString& name) {
    if (!plainName(options.regimesTable))
        return QStringLiteral("Имя таблицы режимов недопустимо: ") + options.regimesTable;
    if (options.connectionText.isEmpty())
        return QStringLiteral("Общий прогон работает только через сервер PostgreSQL "
                              "(--connection и --server)");
    return openDatabase(options, name);
}

} // namespace id::batchrun
