#include "analysis/ReadingChecks.h"

#include "state/NumberText.h"

#include <algorithm>
#include <cmath>

namespace id {

namespace {

QString outOfScale(double v) {
    const double a = std::abs(v);
    if (a != 0 && (a < SmallestReading || a > LargestReading))
        return QStringLiteral("Значение %1 вне допустимого масштаба (по модулю от %2 до %3): "
                              "расчёт с ним теряет точность.")
            .arg(formatGeneral(v), formatGeneral(SmallestReading), formatGeneral(LargestReading));
    return {};
}

} // namespace

QString impossibleReadings(const std::vector<double>& rates, const std::vector<double>& pressures) {
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (!std::isfinite(rates[i]) || !std::isfinite(pressures[i]))
            return QStringLiteral("Точка %1 не является числом.").arg(i + 1);
        if (rates[i] < 0)
            return QStringLiteral("Дебит %1 м3/сут отрицателен: такого режима не бывает.")
                .arg(formatGeneral(rates[i]));
        if (pressures[i] < 0)
            return QStringLiteral("Забойное давление %1 МПа отрицательно: такого режима не бывает.")
                .arg(formatGeneral(pressures[i]));
        for (double v : {rates[i], pressures[i]})
            if (const QString why = outOfScale(v); !why.isEmpty())
                return why;
    }
    std::vector<double> positive;
    for (double q : rates)
        if (q > 0)
            positive.push_back(q);
    std::sort(positive.begin(), positive.end());
    const auto distinct = std::unique(positive.begin(), positive.end()) - positive.begin();
    if (distinct < 2)
        return QStringLiteral("Нужно не меньше двух различных положительных дебитов, а их %1.")
            .arg(distinct);
    if (std::none_of(pressures.begin(), pressures.end(), [](double p) { return p > 0; }))
        return QStringLiteral("Все забойные давления равны нулю: по ним ничего не определить.");
    return {};
}

} // namespace id
