#include "app/JsonFieldReader.h"

#include <cmath>

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

QString JsonFieldReader::text(const QJsonValue& v, const QString& path) {
    if (failed())
        return {};
    if (!v.isString()) {
        fail(path, QStringLiteral("должно быть текстом"));
        return {};
    }
    const QString s = v.toString();
    if (s.size() > longestText_)
        fail(path, QStringLiteral("слишком длинный текст"));
    return s;
}

QString JsonFieldReader::text(const QJsonObject& o, const QString& path, const QString& key) {
    return text(field(o, path, key), path + key);
}

std::vector<double> JsonFieldReader::numbers(const QJsonObject& o, const QString& path,
                                             const QString& key, qsizetype most) {
    const QJsonArray a = array(o, path, key, most);
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(a.size()));
    for (qsizetype i = 0; i < a.size() && !failed(); ++i)
        values.push_back(number(a.at(i), QStringLiteral("%1%2[%3]").arg(path, key).arg(i)));
    return values;
}

} // namespace id
