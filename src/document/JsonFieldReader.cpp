#include "document/JsonFieldReader.h"

#include <charconv>
#include <cmath>
#include <functional>

namespace id {

void JsonFieldReader::fail(const QString& path, const QString& what) {
    if (problem_.isEmpty())
        problem_ = QStringLiteral("поле \"%1\" %2").arg(path, what);
}

QJsonValue JsonFieldReader::field(const QJsonObject& o, const QString& path, const QString& key) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined())
        fail(path + key, QStringLiteral("отсутствует"));
    return v;
}

QJsonObject JsonFieldReader::object(const QJsonObject& o, const QString& path, const QString& key) {
    const QJsonValue v = field(o, path, key);
    if (!failed() && !v.isObject())
        fail(path + key, QStringLiteral("должно быть объектом"));
    return v.toObject();
}

QJsonArray JsonFieldReader::array(const QJsonObject& o, const QString& path, const QString& key,
                                  qsizetype most) {
    const QJsonValue v = field(o, path, key);
    if (!failed() && !v.isArray())
        fail(path + key, QStringLiteral("должно быть списком"));
    const QJsonArray a = v.toArray();
    if (!failed() && a.size() > most)
        fail(path + key, QStringLiteral("слишком длинное (%1 элементов)").arg(a.size()));
    return failed() ? QJsonArray() : a;
}

double JsonFieldReader::number(const QJsonValue& v, const QString& path) {
    if (failed())
        return 0;
    if (!v.isDouble()) {
        fail(path, QStringLiteral("должно быть числом"));
        return 0;
    }
    const double d = v.toDouble();
    if (!std::isfinite(d))
        fail(path, QStringLiteral("не конечное число"));
    return d;
}

double JsonFieldReader::number(const QJsonObject& o, const QString& path, const QString& key) {
    return number(field(o, path, key), path + key);
}

int JsonFieldReader::integer(const QJsonObject& o, const QString& path, const QString& key, int low,
                             int high) {
    const double d = number(o, path, key);
    if (failed())
        return low;
    if (d != std::floor(d) || d < low || d > high) {
        fail(path + key, QStringLiteral("должно быть целым от %1 до %2").arg(low).arg(high));
        return low;
    }
    return static_cast<int>(d);
}

bool JsonFieldReader::boolean(const QJsonObject& o, const QString& path, const QString& key) {
    const QJsonValue v = field(o, path, key);
    if (!failed() && !v.isBool())
        fail(path + key, QStringLiteral("должно быть true или false"));
    return v.toBool();
}

QString JsonFieldReader::text(const QJsonValue& v, const QString& path, qsizetype longest) {
    if (failed())
        return {};
    if (!v.isString()) {
        fail(path, QStringLiteral("должно быть текстом"));
        return {};
    }
    const QString s = v.toString();
    if (s.size() > (longest < 0 ? longestText_ : longest))
        fail(path, QStringLiteral("слишком длинный текст"));
    return s;
}

QString JsonFieldReader::text(const QJsonObject& o, const QString& path, const QString& key) {
    return text(field(o, path, key), path + key);
}

std::vector<double> JsonFieldReader::numbers(const QJsonObject& o, const QString& path,
                                             const QString& key, qsizetype most) {
    if (columnar_)
        return numberColumn(o, path, key, most);
    const QJsonArray a = array(o, path, key, most);
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(a.size()));
    for (qsizetype i = 0; i < a.size() && !failed(); ++i)
        values.push_back(number(a.at(i), QStringLiteral("%1%2[%3]").arg(path, key).arg(i)));
    return values;
}

std::vector<double> JsonFieldReader::numberColumn(const QJsonObject& o, const QString& path,
                                                  const QString& key, qsizetype most) {
    const QJsonValue v = field(o, path, key);
    if (!failed() && !v.isString())
        fail(path + key, QStringLiteral("должно быть текстом из чисел"));
    if (failed())
        return {};
    const QByteArray text = v.toString().toLatin1();
    std::vector<double> values;
    const char* at = text.constData();
    const char* end = at + text.size();
    while (at < end) {
        if (*at == ' ') {
            ++at;
            continue;
        }
        double d = 0;
        const auto [next, error] = std::from_chars(at, end, d);
        if (error != std::errc() || (next < end && *next != ' ') || !std::isfinite(d)) {
            fail(path + key,
                 QStringLiteral("содержит не число в знаке %1").arg(at - text.constData()));
            return {};
        }
        if (static_cast<qsizetype>(values.size()) == most) {
            fail(path + key, QStringLiteral("слишком длинное (больше %1 чисел)").arg(most));
            return {};
        }
        values.push_back(d);
        at = next;
    }
    return values;
}

void JsonFieldReader::textColumn(const QJsonObject& o, const QString& path, const QString& key,
                                 qsizetype rows,
                                 const std::function<void(qsizetype, QString)>& cell) {
    const QString all = text(field(o, path, key), path + key, rows * (longestText_ + 1));
    if (failed())
        return;
    // Cell by cell, without a list of them all beside the table.
    qsizetype row = 0;
    qsizetype from = 0;
    while (rows > 0) {
        const qsizetype end = all.indexOf(u'\n', from);
        const qsizetype length = (end < 0 ? all.size() : end) - from;
        if (row == rows || length > longestText_) {
            fail(path + key, length > longestText_
                                 ? QStringLiteral("слишком длинный текст")
                                 : QStringLiteral("содержит не %1 строк").arg(rows));
            return;
        }
        if (cell)
            cell(row, all.mid(from, length));
        ++row;
        if (end < 0)
            break;
        from = end + 1;
    }
    if (row != rows || (rows == 0 && !all.isEmpty()))
        fail(path + key, QStringLiteral("содержит не %1 строк").arg(rows));
}

} // namespace id
