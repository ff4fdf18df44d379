#include "measurements/TableEditing.h"

#include "measurements/ClipboardTable.h"
#include "measurements/DiscardAnalysis.h"

#include <algorithm>
#include <cstdlib>

namespace id {

namespace {

QString* cellText(AnalysisState& s, int row, int col) {
    if (row < 1 || row > static_cast<int>(s.Table.size()))
        return nullptr;
    MeasurementRow& r = s.Table[row - 1];
    switch (col) {
    case 1:
        return &r.Rate;
    case 2:
        return &r.Pressure;
    case 3:
        return &r.Date;
    default:
        return nullptr;
    }
}

} // namespace

QString tableCell(const AnalysisState& s, int row, int col) {
    const QString* text = cellText(const_cast<AnalysisState&>(s), row, col);
    return text ? *text : QString();
}

TableEdit typeCharacter(AnalysisState s, TableCursor cursor, QChar k, int lastDataColumn,
                        QStringList& messages) {
    // With no data cell current (after the table lost focus) keys are ignored, so the header
    // row and the row numbers are never edited.
    if (cursor.Row < 1 || cursor.Col < 1 || cursor.Col > lastDataColumn)
        return {std::move(s), cursor};
    const int r = cursor.Row;
    const int c = cursor.Col;
    // A key in the entry row numbers it and appends a fresh one, even if the key is refused.
    if (r == tableRows(s) - 1)
        s.Table.emplace_back();
    QString& cell = *cellText(s, r, c);
    if (k == QChar(8)) {
        if (!cell.isEmpty())
            cell.chop(1);
    } else if (k == u'.') {
        cell += c < 3 ? u',' : u'.';
    } else if (k == u',') {
        cell += u',';
    } else if (k == QChar(13)) {
        if (cursor.Row < tableRows(s) - 1)
            cursor = {cursor.Row + 1, c, cursor.Row + 1, c};
    } else if (k >= u'0' && k <= u'9') {
        cell += k;
    } else {
        messages << QStringLiteral("Неправильный ввод числа");
    }
    DiscardAnalysis(s, DiscardVariant::Key);
    return {std::move(s), cursor};
}

TableEdit deleteSelection(AnalysisState s, TableCursor cursor, int lastDataColumn) {
    const int last = tableRows(s) - 1;
    int r1 = cursor.Row == last ? cursor.Row - 1 : cursor.Row;
    int r2 = cursor.RowSel == last ? cursor.RowSel - 1 : cursor.RowSel;
    // A selection that reaches into the header row or the number column acts on the data cells
    // it covers only.
    if (std::max(r1, r2) < 1 && tableRows(s) > 2)
        return {std::move(s), cursor};
    r1 = std::max(r1, 1);
    r2 = std::max(r2, 1);
    const int col = std::clamp(cursor.Col, 1, lastDataColumn);
    const int colSel = std::clamp(cursor.ColSel, 1, lastDataColumn);
    const bool wholeRows =
        (col == lastDataColumn && colSel == 1) || (colSel == lastDataColumn && col == 1);
    const int top = std::min(r1, r2);
    const int bottom = std::max(r1, r2);
    if (wholeRows) {
        if (!s.Table.empty()) {
            const auto from = s.Table.begin() + (top - 1);
            s.Table.erase(from, from + (bottom - top + 1));
        }
        cursor = {1, 1, 1, 1};
    } else {
        for (int r = top; r <= bottom; ++r)
            for (int c = std::min(col, colSel); c <= std::max(col, colSel); ++c)
                if (QString* text = cellText(s, r, c))
                    text->clear();
    }
    DiscardAnalysis(s, DiscardVariant::Key);
    return {std::move(s), cursor};
}

TableEdit insertRow(AnalysisState s, TableCursor cursor) {
    const int j = cursor.Row;
    if (j < 1 || j == tableRows(s) - 1)
        return {std::move(s), cursor};
    s.Table.insert(s.Table.begin() + (j - 1), MeasurementRow{});
    const int col = std::max(1, cursor.Col);
    DiscardAnalysis(s, DiscardVariant::Insertion);
    return {std::move(s), {j, col, j, col}};
}

TableEdit pasteMeasurements(AnalysisState s, TableCursor cursor, const QString& clipboardText,
                            QStringList& messages) {
    const int j = cursor.Row;
    if (j < 1)
        return {std::move(s), cursor};
    const PastePlan plan = planPasteText(clipboardText);
    if (plan.refused) {
        if (!plan.error.isEmpty())
            messages << plan.error;
        DiscardAnalysis(s, DiscardVariant::Insertion);
        return {std::move(s), cursor};
    }
    const int n = static_cast<int>(plan.rows.size());
    const int rows = tableRows(s);
    int inserted = 0;
    if (rows - j < n)
        inserted = n + j - rows + 1;
    else if (rows - j == n)
        inserted = 1;
    // Rows inserted before the always empty entry row are rows appended to the data.
    s.Table.resize(s.Table.size() + inserted);
    for (int k = 0; k < n; ++k) {
        MeasurementRow& row = s.Table[j + k - 1];
        row.Rate = plan.rows[static_cast<std::size_t>(k)].first;
        row.Pressure = plan.rows[static_cast<std::size_t>(k)].second;
        // New readings in a row are new measurements: none is left out.
        row.Excluded = false;
    }
    DiscardAnalysis(s, DiscardVariant::Insertion);
    if (!plan.notice.isEmpty())
        messages << plan.notice;
    return {std::move(s), {j + n - 1, 2, j + n - 1, 2}};
}

} // namespace id
