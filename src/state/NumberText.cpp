#include "state/NumberText.h"

#include <QLocale>
#include <charconv>
#include <cmath>

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
    if (const std::optional<double> plain = readPlainNumber(trimmed, locale.decimalPoint().at(0)))
        return std::isfinite(*plain) ? plain : std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatFixed(double value, int decimals) {
    // Round half away from zero on the decimal value, as the display patterns do, and never
    // show "-0,00".
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0;
    return readingLocale().toString(rounded, 'f', decimals);
}

QString formatScientific(double value, int decimals) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::scientific, decimals);
    if (error != std::errc())
        return QString();
    QString text = QString::fromLatin1(buffer, end - buffer);
    text.replace(u'.', readingLocale().decimalPoint());
    text.replace(u'e', u'E');
    return text;
}

QString formatGeneral(double value) {
    const QLocale& locale = readingLocale();
    if (std::isfinite(value) && locale.decimalPoint() == QStringLiteral(",")) {
        // The same digits as the locale's 15-digit general form, written directly.
        char buffer[64];
        std::to_chars_result written =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
        // Next to the largest double, 15 digits round past it and would read back as infinite:
        // there the shortest exact digits are written instead.
        double back = 0;
        if (written.ec == std::errc() &&
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
