#pragma once

#include <QString>
#include <optional>

namespace id {

// Reads a number written by the program's number conventions (decimal comma). Empty text,
// text that is not a whole number and non-finite values give nothing.
std::optional<double> readNumber(const QString& text);

// A number as other programs write one into a cell: the program's own form, or with the decimal
// point, digit groups split by spaces ("1 250,5") and the whole in double quotes ("\"60,0\"").
// A text with both a comma and a point is no number: which of them is the decimal is unknown.
std::optional<double> readCellNumber(const QString& text);

// Fixed decimals, as the display patterns "0.0", "0.00", "0.000" and "0.0000" write them: the
// value's 15 significant digits rounded half away from zero, as spreadsheets show them.
QString formatFixed(double value, int decimals);

// Exponent form with the given decimals in the mantissa and a signed exponent of at least two
// digits: "-8,7900E-04".
QString formatScientific(double value, int decimals);

// Plain decimals with a point whatever the locale, at most the given significant digits (halves
// away from zero), no exponent and no trailing zeros: "0.0151986". For statements and files that
// other programs read.
QString plainSignificant(double value, int significant);

// A coefficient as every place shows one (label, statistics, CSV, PDF): "0.0000" where that shows
// at least four significant digits; otherwise four significant digits in plain decimals while
// they need at most 8 decimals ("-0,07848", "0,0008790"); the exponent form only beyond that or
// from 1E+10 on. "—" for one that is not a number.
QString coefficientText(double value);

// Shortest general form, up to 15 significant digits.
QString formatGeneral(double value);

} // namespace id
