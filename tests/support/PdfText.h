#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryFile>

namespace id::test {

// The text of a PDF as pdftotext reads it, a form feed after each page; empty when it could not.
inline QString pdfText(const QByteArray& pdf) {
    QTemporaryFile file;
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return {};
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"), {file.fileName(), QStringLiteral("-")});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0)
        return {};
    return QString::fromUtf8(reader.readAllStandardOutput());
}

} // namespace id::test
