#include "batch/BatchInterpretation.h"

#include "document/AnalysisFile.h"

#include <QFile>
#include <QFileInfo>

namespace id {

namespace {

// A CSV line's fields: ";" or tabs between them, or "," when there is neither (then with the
// decimal point); a field in double quotes may hold any of them.
QStringList csvFields(const QString& line) {
    bool quoted = false;
    bool semicolons = false;
    for (const QChar ch : line) {
        if (ch == u'"')
            quoted = !quoted;
        else if (!quoted && (ch == u';' || ch == u'\t'))
            semicolons = true;
    }
    QStringList fields{QString()};
    quoted = false;
    for (const QChar ch : line) {
        if (ch == u'"')
            quoted = !quoted;
        if (!quoted && (semicolons ? ch == u';' || ch == u'\t' : ch == u','))
            fields << QString();
        else
            fields.back() += ch;
    }
    return fields;
}

} // namespace

FileRegimes readWellFile(const QString& path, qint64 kwuId, std::int16_t wellType) {
    WellRegimes well;
    well.kwuId = kwuId;
    well.wellType = wellType;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("Файл не открыт: ") + file.errorString()};
    if (QFileInfo(path).suffix().compare(QStringLiteral("ida"), Qt::CaseInsensitive) == 0) {
        const AnalysisFileRead read = readAnalysis(file.readAll());
        if (!read.state)
            return {std::nullopt, read.error};
        well.wellType = read.state->WellType;
        int regime = 0;
        for (const MeasurementRow& row : read.state->Table) {
            ++regime;
            // Rows the user left out, and the table's blank rows, are no regimes.
            if (row.Excluded || (row.Rate.trimmed().isEmpty() && row.Pressure.trimmed().isEmpty()))
                continue;
            addRegime(well, regime, readCell(row.Rate), readCell(row.Pressure));
        }
        return {well, {}};
    }
    int regime = 0;
    bool first = true;
    while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        if (text.isEmpty())
            continue;
        const QStringList fields = csvFields(text);
        if (fields.size() < 2)
            return {std::nullopt,
                    QStringLiteral("Строка «%1» файла — не дебит и давление").arg(text.left(40))};
        const CellValue rate = readCell(fields[0]);
        const CellValue pressure = readCell(fields[1]);
        // A header of words: the first line with no number in it.
        const bool header =
            first && rate.kind != CellValue::Number && pressure.kind != CellValue::Number;
        first = false;
        if (header)
            continue;
        addRegime(well, ++regime, rate, pressure);
    }
    return {well, {}};
}

} // namespace id
