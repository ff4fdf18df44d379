#pragma once

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace id::test {

// The port of the tests' throw-away PostgreSQL server; empty when it did not start.
inline QString serverPort() {
    QFile file(QStringLiteral(ID_BUILD_DIR "/tests/pg/port"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed()
                                          : QString();
}

// The connection text the program is given for a database of that server.
inline QString connectionText(const QString& database) {
    return QStringLiteral("Provider=MSDASQL;Trusted_Connection=yes;Database=") + database;
}

// The statements run in turn on a connection of their own (driver, database name); the first
// column of the last one's rows, a NULL as "NULL".
inline QStringList runStatements(const QString& driver, const QString& databaseName,
                                 const QStringList& statements) {
    const QString connection = QStringLiteral("test-statements");
    QStringList last;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, connection);
        db.setDatabaseName(databaseName);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        for (const QString& s : statements) {
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(s)) << s.toStdString() << q.lastError().text().toStdString();
            last.clear();
            while (q.isSelect() && q.next())
                last << (q.isNull(0) ? QStringLiteral("NULL") : q.value(0).toString());
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return last;
}

} // namespace id::test
