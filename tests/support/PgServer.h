#pragma once

#include <QFile>
#include <QString>

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

} // namespace id::test
