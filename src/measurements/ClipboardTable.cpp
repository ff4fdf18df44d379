#include "measurements/ClipboardTable.h"

#include "state/NumberText.h"

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
