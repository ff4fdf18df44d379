#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace id {

// Splits clipboard text into rows of tab-separated fields, the way a spreadsheet pastes it:
// lines end at CR LF, LF or CR, and a trailing line break does not make an empty last line.
std::vector<QStringList> splitClipboardText(const QString& text);

// What a paste of clipboard text into the measurement table would write.
struct PastePlan {
    // Empty when the paste may go ahead; otherwise the message to show (none for an empty
    // first cell, which is refused silently).
    QString error;
    bool refused = false;
    // Rate and pressure text of each pasted row, as the program writes numbers.
    std::vector<std::pair<QString, QString>> rows;
    // What was assumed to read a spreadsheet's export, for the user; empty for the own grammar.
    QString notice;
};

// Checks the whole block before anything is written: the first line needs exactly two
// non-empty fields; every line down to the first one with an empty first field needs a number
// in each of its first two fields.
PastePlan planPaste(const std::vector<QStringList>& cells);

// The paste of clipboard text: the table's own grammar first; when that fails with a message,
// the readings a spreadsheet's export may need, in this order: decimal points (only when no value
// has a comma), ";" or several spaces between the columns, a leading header row of words, digit
// groups separated by spaces. A reading counts only when it takes every non-empty line as exactly
// two numbers; the plan then says what was assumed. Otherwise the own grammar's refusal stands.
PastePlan planPasteText(const QString& text);

// Text of the fit set for the clipboard: rate TAB pressure LF per point.
QString fitSetText(const std::vector<double>& rates, const std::vector<double>& pressures);

} // namespace id
