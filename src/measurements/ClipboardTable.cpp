#include "measurements/ClipboardTable.h"

#include "state/NumberText.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace id {

std::vector<QStringList> splitClipboardText(const QString& text) {
    std::vector<QStringList> rows;
    const qsizetype length = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < length) {
        const QChar ch = text.at(i);
        if (ch == u'\r' || ch == u'\n') {
            rows.push_back(text.mid(start, i - start).split(u'\t'));
            if (ch == u'\r' && i + 1 < length && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < length)
        rows.push_back(text.mid(start).split(u'\t'));
    return rows;
}

namespace {

QString field(const QStringList& row, int column) {
    return column <= row.size() ? row.at(column - 1) : QString();
}

bool isEmptyField(const QString& text) {
    return text.trimmed().isEmpty();
}

// The text a pasted field is written as, if the field is a number and that text reads back.
std::optional<QString> cellText(const QString& field) {
    const std::optional<double> value = readNumber(field);
    if (!value)
        return std::nullopt;
    QString text = formatGeneral(*value);
    if (!readNumber(text))
        return std::nullopt;
    return text;
}

} // namespace

PastePlan planPaste(const std::vector<QStringList>& cells) {
    PastePlan plan;
    int columns = 0;
    if (!cells.empty()) {
        const QStringList& first = cells.front();
        while (columns < first.size() && !isEmptyField(first.at(columns)))
            ++columns;
    }
    if (columns > 2 || columns == 1) {
        plan.refused = true;
        plan.error = QStringLiteral("Столбцов должно быть два, а Вы скопировали %1").arg(columns);
        return plan;
    }
    if (columns == 0) {
        plan.refused = true;
        return plan;
    }
    for (std::size_t r = 0; r < cells.size(); ++r) {
        const QStringList& row = cells[r];
        if (isEmptyField(field(row, 1)))
            break;
        // What is written must read back: 1,7976931348623157E+308 would be written with 15
        // digits as a number beyond the largest double.
        const std::optional<QString> rate = cellText(field(row, 1));
        const std::optional<QString> pressure = cellText(field(row, 2));
        if (!rate || !pressure) {
            plan.refused = true;
            plan.rows.clear();
            plan.error = QStringLiteral("Неверный формат числа в строк %1").arg(r + 1);
            return plan;
        }
        plan.rows.emplace_back(*rate, *pressure);
    }
    return plan;
}

namespace {

// One way to read a spreadsheet's export.
struct Reading {
    bool decimalPoint = false;
    enum { Tab, Semicolon, Spaces } separator = Tab;
    bool header = false;
    bool digitGroups = false;

    int assumptions() const {
        return int(decimalPoint) + int(separator != Tab) + int(header) + int(digitGroups);
    }
    QString said() const {
        QStringList parts;
        if (decimalPoint)
            parts << QStringLiteral("десятичная точка");
        if (separator == Semicolon)
            parts << QStringLiteral("столбцы разделены знаком «;»");
        if (separator == Spaces)
            parts << QStringLiteral("столбцы разделены пробелами");
        if (header)
            parts << QStringLiteral("первая строка — заголовок");
        if (digitGroups)
            parts << QStringLiteral("разряды разделены пробелами");
        return QStringLiteral("Данные вставлены: ") + parts.join(QStringLiteral(", "));
    }
};

QStringList fieldsOf(const QString& line, const Reading& r) {
    // Spaces run together, a tab does not: two tabs enclose an empty cell.
    static const QRegularExpression severalSpaces(
        QStringLiteral("[ \\x{00A0}]*\\t[ \\x{00A0}]*|[ \\x{00A0}]{2,}"));
    switch (r.separator) {
    case Reading::Semicolon:
        return line.split(u';');
    case Reading::Spaces:
        return line.trimmed().split(severalSpaces);
    case Reading::Tab:
        break;
    }
    return line.split(u'\t');
}

// The number a field holds under the reading, written as the program writes numbers.
std::optional<QString> numberText(QString field, const Reading& r) {
    static const QRegularExpression group(
        QStringLiteral("(?<=\\d)[ \\x{00A0}\\x{202F}](?=\\d{3}(?!\\d))"));
    field = field.trimmed();
    if (r.digitGroups)
        field.remove(group);
    if (r.decimalPoint)
        field.replace(u'.', u',');
    return cellText(field);
}

// The rows of the text under the reading, or none when a non-empty line is not two numbers.
std::optional<std::vector<std::pair<QString, QString>>> readAll(const QStringList& lines,
                                                                const Reading& r) {
    std::vector<std::pair<QString, QString>> rows;
    for (qsizetype i = r.header ? 1 : 0; i < lines.size(); ++i) {
        const QStringList fields = fieldsOf(lines[i], r);
        if (fields.size() != 2)
            return std::nullopt;
        const std::optional<QString> rate = numberText(fields[0], r);
        const std::optional<QString> pressure = numberText(fields[1], r);
        if (!rate || !pressure)
            return std::nullopt;
        rows.emplace_back(*rate, *pressure);
    }
    if (rows.empty())
        return std::nullopt;
    return rows;
}

// A header row: its cells are words (each has a letter), none a number under the reading.
bool isHeader(const QString& line, const Reading& r) {
    const QStringList fields = fieldsOf(line, r);
    return std::all_of(fields.begin(), fields.end(), [&](const QString& f) {
        return std::any_of(f.begin(), f.end(), [](QChar ch) { return ch.isLetter(); }) &&
               !numberText(f, r);
    });
}

} // namespace

PastePlan planPasteText(const QString& text) {
    const PastePlan own = planPaste(splitClipboardText(text));
    if (!own.refused || own.error.isEmpty())
        return own;
    QStringList lines;
    for (const QStringList& row : splitClipboardText(text))
        if (!row.join(u'\t').trimmed().isEmpty())
            lines << row.join(u'\t');
    if (lines.isEmpty())
        return own;
    // A comma among the values forbids the decimal point; one in a header row (a caption's
    // units, "Дебит, м3/сут") does not.
    const bool commaInValues = std::any_of(lines.begin() + 1, lines.end(),
                                           [](const QString& l) { return l.contains(u','); });
    const bool commaInFirst = lines.front().contains(u',');
    // Every combination of the readings, the fewest assumptions first, then in the order given.
    std::vector<Reading> readings;
    for (int mask = 1; mask < 32; ++mask) {
        Reading r;
        r.decimalPoint = mask & 1;
        const int separator = (mask >> 1) & 3;
        if (separator == 3)
            continue;
        r.separator = separator == 1   ? Reading::Semicolon
                      : separator == 2 ? Reading::Spaces
                                       : Reading::Tab;
        r.header = mask & 8;
        r.digitGroups = mask & 16;
        if (r.decimalPoint && (commaInValues || (commaInFirst && !r.header)))
            continue;
        readings.push_back(r);
    }
    std::stable_sort(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
        return a.assumptions() < b.assumptions();
    });
    for (const Reading& r : readings) {
        if (r.header && !isHeader(lines.front(), r))
            continue;
        if (auto rows = readAll(lines, r)) {
            PastePlan plan;
            plan.rows = std::move(*rows);
            plan.notice = r.said();
            return plan;
        }
    }
    return own;
}

QString fitSetText(const std::vector<double>& rates, const std::vector<double>& pressures) {
    QString text;
    for (std::size_t i = 0; i < rates.size() && i < pressures.size(); ++i) {
        text += formatGeneral(rates[i]);
        text += u'\t';
        text += formatGeneral(pressures[i]);
        text += u'\n';
    }
    return text;
}

} // namespace id
