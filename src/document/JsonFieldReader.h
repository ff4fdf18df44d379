#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <functional>
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
    // A text; longest, when given, in place of the reader's limit.
    QString text(const QJsonValue& v, const QString& path, qsizetype longest = -1);
    QString text(const QJsonObject& o, const QString& path, const QString& key);
    // A list of numbers: an array, or in a columnar file a text of numbers between spaces.
    std::vector<double> numbers(const QJsonObject& o, const QString& path, const QString& key,
                                qsizetype most);
    void setColumnar(bool columnar) { columnar_ = columnar; }
    bool columnar() const { return columnar_; }
    std::vector<double> numberColumn(const QJsonObject& o, const QString& path, const QString& key,
                                     qsizetype most);
    // The cells of a column of texts, one a line, exactly rows of them, handed out in turn (only
    // checked without a `cell` to take them).
    void textColumn(const QJsonObject& o, const QString& path, const QString& key, qsizetype rows,
                    const std::function<void(qsizetype row, QString cell)>& cell);

private:
    qsizetype longestText_;
    bool columnar_ = false;
    QString problem_;
};

} // namespace id
