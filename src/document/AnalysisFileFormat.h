#pragma once

// The pieces the analysis file's writing and reading share.

#include "state/AnalysisState.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace id::analysisfile {

// Ascending numbers (of rows, of measured points) as ranges: "1-40 52 60-75".
inline QString numberRanges(const std::vector<int>& ascending) {
    QString text;
    for (std::size_t i = 0; i < ascending.size();) {
        std::size_t j = i;
        while (j + 1 < ascending.size() && ascending[j + 1] == ascending[j] + 1)
            ++j;
        if (!text.isEmpty())
            text += u' ';
        text += i == j ? QString::number(ascending[i])
                       : QStringLiteral("%1-%2").arg(ascending[i]).arg(ascending[j]);
        i = j + 1;
    }
    return text;
}

// The numbers of such a text, each from 1 to highest and ascending, at most most of them; none
// when the text is not one.
inline std::optional<std::vector<int>> readNumberRanges(QStringView text, int highest,
                                                        qsizetype most) {
    std::vector<int> numbers;
    int previous = 0;
    for (const QStringView range : text.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype dash = range.indexOf(u'-');
        bool firstOk = false;
        bool lastOk = true;
        const int first = range.left(dash < 0 ? range.size() : dash).toInt(&firstOk);
        const int last = dash < 0 ? first : range.mid(dash + 1).toInt(&lastOk);
        if (!firstOk || !lastOk || first <= previous || last < first || last > highest ||
            qsizetype(numbers.size()) + (last - first + 1) > most)
            return std::nullopt;
        for (int i = first; i <= last; ++i)
            numbers.push_back(i);
        previous = last;
    }
    return numbers;
}

// Beyond these a file is not an analysis of one well.
constexpr qsizetype MostRows = 250'000;
constexpr qsizetype LongestText = 1000;
// The parsed document takes several times the file's size in memory.
constexpr qsizetype LargestFile = 64LL * 1024 * 1024;

inline QString estimationName(EstimationMode mode) {
    switch (mode) {
    case EstimationMode::TransmissibilityFromSkin:
        return QStringLiteral("transmissibilityFromSkin");
    case EstimationMode::SkinFromTransmissibility:
        return QStringLiteral("skinFromTransmissibility");
    case EstimationMode::None:
        break;
    }
    return QStringLiteral("none");
}

} // namespace id::analysisfile
