#include "state/NumberText.h"

#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace id {

namespace {

// The program's number conventions are fixed at start-up, before any number is read or
// written; building the locale once keeps long pastes fast.
const QLocale& readingLocale() {
    static const QLocale locale = [] {
        QLocale l;
        l.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
        return l;
    }();
    return locale;
}

// Whether the reading locale writes the decimal comma; asked for every number read or written.
bool decimalComma() {
    static const bool comma = readingLocale().decimalPoint() == QStringLiteral(",");
    return comma;
}

// Plain decimal numbers ("-12,5", "300") are by far the most common entry; they are read
// directly when the decimal separator is the comma. Anything else goes through the locale.
std::optional<double> readPlainNumber(const QString& trimmed, QChar decimalPoint) {
    if (decimalPoint != u',' || trimmed.size() > 64)
        return std::nullopt;
    char buffer[65];
    int length = 0;
    int digits = 0;
    bool separator = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar ch = trimmed.at(i);
        if (ch >= u'0' && ch <= u'9') {
            buffer[length++] = static_cast<char>(ch.unicode());
            ++digits;
        } else if (ch == u',' && !separator && digits > 0) {
            buffer[length++] = '.';
            separator = true;
        } else if (ch == u'-' && i == 0) {
            buffer[length++] = '-';
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || buffer[length - 1] == '.')
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(buffer, buffer + length, value);
    if (error != std::errc() || end != buffer + length)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> readNumber(const QString& text) {
    const QLocale& locale = readingLocale();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (const std::optional<double> plain =
            readPlainNumber(trimmed, decimalComma() ? QChar(u',') : QChar(u'.')))
        return std::isfinite(*plain) ? plain : std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> readCellNumber(const QString& text) {
    QString t = text.trimmed();
    if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"'))
        t = t.mid(1, t.size() - 2).trimmed();
    static const QRegularExpression group(
        QStringLiteral("(?<=\\d)[ \\x{00A0}\\x{202F}](?=\\d{3}(?!\\d))"));
    if (t.contains(u' ') || t.contains(QChar(0x00A0)) || t.contains(QChar(0x202F)))
        t.remove(group);
    if (t.contains(u'.')) {
        if (t.contains(u','))
            return std::nullopt;
        t.replace(u'.', u',');
    }
    return readNumber(t);
}

namespace {

// A value's digits as a spreadsheet keeps them: its 15 significant digits d0.d1d2... times
// 10^exponent. Rounding these rather than the binary value gives 2,16 for a typed 2,155, whose
// double lies just below it.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

DecimalDigits decimalDigits(double value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
    DecimalDigits d;
    const char* p = buffer;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.')
            d.digits += *p;
    std::from_chars(p + 1 + (p[1] == '+'), end, d.exponent);
    return d;
}

// Keeps the first `kept` digits, the dropped half rounded away from zero; a carry out of the
// first digit moves the exponent.
void roundDigits(DecimalDigits& d, int kept) {
    if (kept >= static_cast<int>(d.digits.size()))
        return;
    if (kept < 0) {
        d.digits.assign(1, '0');
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(kept)] >= '5';
    d.digits.resize(static_cast<std::size_t>(kept));
    if (!up)
        return;
    int i = kept - 1;
    for (; i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9'; --i)
        d.digits[static_cast<std::size_t>(i)] = '0';
    if (i >= 0) {
        ++d.digits[static_cast<std::size_t>(i)];
    } else {
        // All kept digits were nines and are zeros now: one more digit in front.
        if (d.digits.empty())
            d.digits.assign(1, '1');
        else
            d.digits[0] = '1';
        ++d.exponent;
    }
}

char digitAt(const DecimalDigits& d, int index) {
    return index >= 0 && index < static_cast<int>(d.digits.size())
               ? d.digits[static_cast<std::size_t>(index)]
               : '0';
}

QString signedText(const DecimalDigits& d, const std::string& body) {
    const bool zero = d.digits.find_first_not_of('0') == std::string::npos;
    QString text = QString::fromLatin1(body.data(), static_cast<qsizetype>(body.size()));
    if (decimalComma())
        text.replace(u'.', u',');
    else
        text.replace(u'.', readingLocale().decimalPoint());
    return d.negative && !zero ? readingLocale().negativeSign() + text : text;
}

} // namespace

QString formatFixed(double value, int decimals) {
    // A figure that is not a number is never shown as one.
    if (!std::isfinite(value))
        return QStringLiteral("—");
    DecimalDigits d = decimalDigits(value);
    roundDigits(d, d.exponent + decimals + 1);
    std::string body;
    if (d.exponent < 0)
        body = "0";
    for (int i = 0; i <= d.exponent; ++i)
        body += digitAt(d, i);
    if (decimals > 0) {
        body += '.';
        for (int j = 1; j <= decimals; ++j)
            body += digitAt(d, d.exponent + j);
    }
    return signedText(d, body);
}

QString formatScientific(double value, int decimals) {
    if (!std::isfinite(value))
        return QStringLiteral("—");
    DecimalDigits d = decimalDigits(value);
    roundDigits(d, decimals + 1);
    if (value == 0)
        d.exponent = 0;
    std::string body(1, digitAt(d, 0));
    if (decimals > 0) {
        body += '.';
        for (int j = 1; j <= decimals; ++j)
            body += digitAt(d, j);
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", d.exponent < 0 ? '-' : '+',
                  std::abs(d.exponent));
    return signedText(d, body + exponent);
}

QString plainSignificant(double value, int significant) {
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");
    DecimalDigits d = decimalDigits(value);
    roundDigits(d, significant);
    // Trailing zeros carry no digit of the value.
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    std::string body;
    if (d.exponent < 0)
        body = "0";
    for (int i = 0; i <= d.exponent; ++i)
        body += digitAt(d, i);
    const int last = static_cast<int>(d.digits.size()) - 1;
    if (last > d.exponent) {
        body += '.';
        for (int place = d.exponent + 1; place <= last; ++place)
            body += digitAt(d, place);
    }
    return (d.negative ? QStringLiteral("-") : QString()) +
           QString::fromLatin1(body.data(), static_cast<qsizetype>(body.size()));
}

namespace {

int significantDigits(const QString& fixedText) {
    int digits = 0;
    bool leading = true;
    for (const QChar ch : fixedText) {
        if (!ch.isDigit())
            continue;
        if (leading && ch == u'0')
            continue;
        leading = false;
        ++digits;
    }
    return digits;
}

// Above this the fixed form shows digits that a double does not hold.
constexpr double LargestFixedCoefficient = 1e10;
// The most decimals a small coefficient is written with before the exponent form takes over.
constexpr int MostDecimals = 8;

} // namespace

QString coefficientText(double c) {
    if (!std::isfinite(c))
        return QStringLiteral("—");
    if (c == 0)
        return formatFixed(0, 4);
    if (std::abs(c) >= LargestFixedCoefficient)
        return formatScientific(c, 4);
    const QString fixed = formatFixed(c, 4);
    if (significantDigits(fixed) >= 4)
        return fixed;
    // Four significant digits in plain decimals, as an engineer writes a slope of -0,07848.
    const int decimals = 3 - static_cast<int>(std::floor(std::log10(std::abs(c))));
    if (decimals <= MostDecimals) {
        const QString plain = formatFixed(c, decimals);
        if (significantDigits(plain) >= 4)
            return plain;
    }
    return formatScientific(c, 4);
}

QString formatGeneral(double value) {
    const QLocale& locale = readingLocale();
    if (std::isfinite(value) && decimalComma()) {
        // The value rounded to 15 significant digits, as the locale's general form writes it
        // (an exact half, which the locale rounds up, goes to the even digit here).
        char buffer[64];
        std::to_chars_result written{buffer, std::errc::value_too_large};
        // The shortest digits that read back as the value lie on the 15-digit grid when there are
        // at most 15 of them, and the value within half an ulp of them: rounding it to 15 digits
        // gives them. In the plain (not exponent) range both forms write them alike.
        const double size = std::abs(value);
        if (value == 0 || (size >= 1e-4 && size < 1e15)) {
            const std::to_chars_result shortest =
                std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
            // Significant digits: from the first that is not zero.
            int digits = 0;
            for (const char* c = buffer; c < shortest.ptr; ++c)
                if (*c >= '0' && *c <= '9' && (digits > 0 || *c != '0'))
                    ++digits;
            if (shortest.ec == std::errc() && digits <= 15)
                written = shortest;
        }
        if (written.ec != std::errc())
            written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, 15);
        // Next to the largest double, 15 digits round past it and would read back as infinite:
        // there the shortest exact digits are written instead.
        double back = 0;
        if (written.ec == std::errc() && std::abs(value) > 1e307 &&
            std::from_chars(buffer, written.ptr, back).ec != std::errc())
            written =
                std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
        if (written.ec == std::errc()) {
            QString text = QString::fromLatin1(buffer, written.ptr - buffer);
            text.replace(u'.', u',');
            text.replace(u'e', u'E');
            return text;
        }
    }
    return locale.toString(value, 'g', 15);
}

} // namespace id
