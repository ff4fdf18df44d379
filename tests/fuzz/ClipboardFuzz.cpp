// Clipboard text of any kind: the splitter and the paste check never let a non-number into the
// table, and a refused paste changes nothing.
#include "FuzzInput.h"
#include "measurements/ClipboardTable.h"
#include "measurements/TableEditing.h"
#include "state/NumberText.h"

using namespace id;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::setUp();
    fuzz::FuzzInput in(data, size);
    const int existing = in.integer(0, 5);
    const int row = in.integer(1, existing + 1);
    const QString text = in.text();

    const std::vector<QStringList> cells = splitClipboardText(text);
    qsizetype breaks = 0;
    for (QChar c : text)
        breaks += c == u'\n' || c == u'\r';
    FUZZ_CHECK(static_cast<qsizetype>(cells.size()) <= breaks + 1, "more lines than line breaks");
    for (const QStringList& line : cells)
        for (const QString& field : line)
            FUZZ_CHECK(!field.contains(u'\t') && !field.contains(u'\n') && !field.contains(u'\r'),
                       "a field holds a separator");

    // The paste tries a spreadsheet's readings where the own grammar fails: what it writes obeys
    // the same rules.
    const PastePlan own = planPaste(cells);
    const PastePlan plan = planPasteText(text);
    FUZZ_CHECK(own.refused || plan.rows == own.rows, "a reading replaced an accepted paste");
    FUZZ_CHECK(!plan.refused || plan.error == own.error, "a refusal with another message");
    if (!plan.refused) {
        FUZZ_CHECK(!plan.rows.empty(), "an accepted paste writes no row");
        for (const auto& [rate, pressure] : plan.rows)
            for (const QString& cell : {rate, pressure}) {
                const std::optional<double> value = readNumber(cell);
                FUZZ_CHECK(value && std::isfinite(*value), "a pasted cell is no number");
                FUZZ_CHECK(formatGeneral(*value) == cell, "a pasted cell is not in program form");
            }
    } else if (plan.error.isEmpty()) {
        FUZZ_CHECK(cells.empty() || cells.front().isEmpty() ||
                       cells.front().front().trimmed().isEmpty(),
                   "a silent refusal of a block with a value in its first cell");
    }

    AnalysisState s;
    for (int i = 1; i <= existing; ++i)
        s.Table.push_back({QString::number(i), QStringLiteral("2,5"), {}});
    QStringList messages;
    const TableEdit edit = pasteMeasurements(s, {row, 1, row, 1}, text, messages);
    const qsizetype expected =
        plan.refused
            ? existing
            : std::max<qsizetype>(existing, row - 1 + static_cast<qsizetype>(plan.rows.size()));
    FUZZ_CHECK(edit.state.Table.size() == expected, "the paste wrote other rows than planned");
    FUZZ_CHECK(messages.isEmpty() == (plan.error.isEmpty() && plan.notice.isEmpty()),
               "the message differs from the plan");
    for (const MeasurementRow& r : edit.state.Table)
        for (const QString& cell : {r.Rate, r.Pressure})
            FUZZ_CHECK(cell.isEmpty() || readNumber(cell), "the table holds a non-number");
    return 0;
}
