#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <vector>

namespace id {

// Reads the fields of one JSON object and remembers the first problem, named by its path (in
// Russian, for the user): every later read of a failed reader gives a default.
class JsonFieldReader {
public:
    // Texts longer than this are refused.
    explicit JsonFieldReader(qsizetype longestText) : longestText_(longestText) {}

    bool failed() const { return !problem_.isEmpty(); }
    const QString& problem() const { return problem_; }
    void fail(const QString& path, const QString& what);

    QJsonValue field(const QJsonObject& o, const QString& path, const QString& key);
    QJsonObject object(const QJsonObject& o, const QString& path, const QString& key);
    QJsonArray array(const QJsonObject& o, const QString& path, const QString& key, qsizetype most);
    double number(const QJsonValue& v, const QString& path);
    double number(const QJsonObject& o, const QString& path, const QString& key);
    int integer(const QJsonObject& o, const QString& path, const QString& key, int low, int high);
    bool boolean(const QJsonObject& o, const QString& path, const QString& key);
    QString text(const QJsonValue& v, const QString& path);
    QString text(const QJsonObject& o, const QString& path, const QString& key);
    std::vector<double> numbers(const QJsonObject& o, const QString& path, const QString& key,
                                qsizetype most);

private:
    qsizetype longestText_;
    QString problem_;
};

} // namespace id
