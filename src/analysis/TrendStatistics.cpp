#include "analysis/TrendStatistics.h"

#include "analysis/AllowedPressureIntervals.h"
#include "analysis/BreakSearch.h"
#include "analysis/InflowModels.h"

#include "spreadsheet/SpreadsheetFitService.h"
#include "state/AnalysisFault.h"
#include "state/NumberText.h"

#include <algorithm>
#include <cmath>

namespace id {

namespace {

// A thousand refits of more points would hold the window for seconds.
constexpr int MostBootstrapPoints = 5000;
constexpr std::size_t MostListedSuspects = 20;

QString number(double v) {
    return statisticText(v);
}

QString row(const QStringList& cells, bool header = false) {
    QString html = QStringLiteral("<tr>");
    for (const QString& c : cells)
        html += (header ? QStringLiteral("<th>") : QStringLiteral("<td>")) + c.toHtmlEscaped() +
                (header ? QStringLiteral("</th>") : QStringLiteral("</td>"));
    return html + QStringLiteral("</tr>");
}

QString interval(const Interval& i) {
    return QStringLiteral("%1 … %2").arg(number(i.low), number(i.high));
}

// The points whose studentized residual marks them, the most deviant first; a long list is cut
// (the table of points has them all).
QString suspectPoints(const TrendRecord& t, const FitStatistics& st) {
    const int n = static_cast<int>(st.studentized.size());
    const double threshold = outlierThreshold(n, st.degreesOfFreedom);
    const QString test = std::isinf(threshold)
                             ? QStringLiteral("точек слишком мало для проверки")
                             : QStringLiteral("|стьюдент. остаток| &gt; %1 = t(0,05/(2·%2); %3)")
                                   .arg(formatFixed(threshold, 2))
                                   .arg(n)
                                   .arg(st.degreesOfFreedom - 1);
    std::vector<int> marked;
    for (int i = 0; i < n; ++i)
        if (suspect(st.studentized[static_cast<std::size_t>(i)], threshold))
            marked.push_back(i);
    if (marked.empty())
        return QStringLiteral("<p>Подозрительных точек нет (%1).</p>").arg(test);
    const auto size = [&](int i) { return std::abs(st.studentized[static_cast<std::size_t>(i)]); };
    const std::size_t listed = std::min<std::size_t>(marked.size(), MostListedSuspects);
    std::partial_sort(marked.begin(), marked.begin() + static_cast<std::ptrdiff_t>(listed),
                      marked.end(), [&](int a, int b) { return size(a) > size(b); });
    QString html = QStringLiteral("<p><b>Подозрительные точки</b> (%1): "
                                  "%2</p><table border=1 cellspacing=0 cellpadding=3>")
                       .arg(test)
                       .arg(marked.size());
    html += row({QStringLiteral("Дебит"), QStringLiteral("P заб"), QStringLiteral("Остаток"),
                 QStringLiteral("Стьюдент. остаток")},
                true);
    for (std::size_t k = 0; k < listed; ++k) {
        const auto i = static_cast<std::size_t>(marked[k]);
        html += row({number(t.Rates.values()[i]), number(t.Pressures.values()[i]),
                     number(st.residuals[i]), studentizedText(st.studentized[i])});
    }
    html += QStringLiteral("</table>");
    if (marked.size() > listed)
        html += QStringLiteral("<p>… и ещё %1 (все точки — в таблице ниже).</p>")
                    .arg(marked.size() - listed);
    return html;
}

QString power(int p) {
    return p == 0   ? QStringLiteral("свободный член")
           : p == 1 ? QStringLiteral("при x")
                    : QStringLiteral("при x^%1").arg(p);
}

} // namespace

QString statisticText(double v) {
    return coefficientText(v);
}

StatisticsInputs::StatisticsInputs(const AnalysisState& s)
    : WellType(s.WellType), TrendCount(s.TrendCount), FirstTrend(s.FirstTrend),
      SecondTrend(s.SecondTrend), Break(s.Break), Measurements(s.Measurements),
      ReservoirPressure(s.ReservoirPressure),
      AllowedBottomholePressure(s.AllowedBottomholePressure), ManualPick(s.ManualPick),
      AutoSearch(s.AutoSearch), IdAxisXMax(s.IdAxisXMax) {
    // A break's points are numbered by their rows of the table, the rows left out skipped.
    if (!s.Break)
        return;
    for (qsizetype i = 0; i < s.Table.size(); ++i) {
        const MeasurementRow& row = s.Table.at(i);
        if (!row.Excluded && readNumber(row.Rate) && readNumber(row.Pressure))
            MeasurementRows.push_back(static_cast<int>(i + 1));
    }
    if (static_cast<int>(MeasurementRows.size()) != Measurements.count())
        MeasurementRows.clear();
}

const FitStatistics* trendStatistics(const StatisticsInputs& s, int slot) {
    if (slot < 1 || slot > s.TrendCount || s.trend(slot).Kind == NoTrend)
        return nullptr;
    return s.trend(slot).Statistics.get();
}

QString studentizedText(double r) {
    if (std::isinf(r))
        return r > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    return number(r);
}

namespace {

// A trend's coefficients with their standard errors, t and p, and the fit's figures.
QString coefficientsSection(const TrendRecord& t, const FitStatistics& st) {
    QString html = QStringLiteral("<table border=1 cellspacing=0 cellpadding=3>");
    html += row({QStringLiteral("Коэффициент"), QStringLiteral("Значение"),
                 QStringLiteral("Станд. ошибка"), QStringLiteral("t"), QStringLiteral("p")},
                true);
    const int degree = t.Kind - 1;
    for (int i = 0; i < t.Kind; ++i) {
        const double c = t.Coefficients[i + 1];
        const double se = st.standardErrors[static_cast<std::size_t>(i)];
        const double tValue = se > 0 ? c / se : INFINITY;
        html +=
            row({power(degree - i), number(c), number(se),
                 se > 0 ? number(tValue) : QStringLiteral("—"),
                 se > 0 ? number(twoSidedP(tValue, st.degreesOfFreedom)) : QStringLiteral("—")});
    }
    html += QStringLiteral("</table><p>");
    html += QStringLiteral("Точек: %1; степеней свободы: %2; ост. станд. отклонение: %3 МПа; "
                           "R²: %4; скорректированный R²: %5</p>")
                .arg(st.points)
                .arg(st.degreesOfFreedom)
                .arg(number(st.residualSd), formatFixed(st.rSquared, 4),
                     formatFixed(st.adjustedRSquared, 4));
    return html;
}

// The 95 % intervals of what the trend in the slot gives.
QString intervalsSection(const StatisticsInputs& s, int slot, const FitStatistics& st) {
    const TrendRecord& t = s.trend(slot);
    const ResultIntervals intervals =
        resultIntervals(std::vector<double>(t.Coefficients.values()), st, s.WellType);
    QString html = QStringLiteral("<p><b>95 %-ные интервалы</b><br>");
    if (t.Kind == LinearTrend) {
        const QString name = s.WellType == InjectionWell ? QStringLiteral("Коэф. приемистости")
                                                         : QStringLiteral("Коэф. продуктивности");
        html +=
            name + QStringLiteral(", м3/(сут*МПа): ") + number(t.Coefficient) +
            QStringLiteral(" (") +
            (intervals.productivity ? interval(*intervals.productivity)
                                    : QStringLiteral("не определён: интервал наклона содержит 0")) +
            QStringLiteral(")<br>");
    }
    if (slot == 1 && intervals.reservoirPressure)
        html += QStringLiteral("Пластовое давление, МПа: %1 (%2)<br>")
                    .arg(number(s.ReservoirPressure), interval(*intervals.reservoirPressure));
    if (const std::optional<PressureLosses> losses = pressureLosses(t, st, s.WellType)) {
        const double quantile = studentT95(st.degreesOfFreedom);
        const auto part = [&](const QString& name, double value, double se, const QString& unit) {
            return QStringLiteral("%1 = %2 ± %3 (%4 … %5) %6<br>")
                .arg(name, number(value), number(se), number(value - quantile * se),
                     number(value + quantile * se), unit);
        };
        html += (s.WellType == ProducingWell ? QStringLiteral("Pпл − Pз = A·q + B·q²:<br>")
                                             : QStringLiteral("Pз − Pпл = A·q + B·q²:<br>")) +
                part(QStringLiteral("A (ламинарный)"), losses->a, losses->aError,
                     QStringLiteral("МПа/(м3/сут)")) +
                part(QStringLiteral("B (турбулентный)"), losses->b, losses->bError,
                     QStringLiteral("МПа/(м3/сут)²"));
    }
    return html + QStringLiteral("</p>");
}

// The allowed pressure's interval by the method that fits how it was found, and the method.
std::pair<std::optional<Interval>, QString> allowedPressureInterval(const StatisticsInputs& s) {
    if (allowedPressureFromBreak(s.Break, s.AllowedBottomholePressure)) {
        const auto [low, high] = s.Break->Fit.pressureInterval();
        return {Interval{low, high}, QStringLiteral("профильный интервал точки излома")};
    }
    if (s.ManualPick || !s.AutoSearch)
        return {std::nullopt, QStringLiteral("выбрано вручную: интервала нет")};
    if (s.WellType == InjectionWell && s.TrendCount == 2) {
        const FitStatistics* first = trendStatistics(s, 1);
        const FitStatistics* second = trendStatistics(s, 2);
        std::optional<Interval> allowed;
        if (first && second)
            allowed = meetingPressureInterval(
                {s.FirstTrend.Kind, s.FirstTrend.Coefficients.values(), *first},
                {s.SecondTrend.Kind, s.SecondTrend.Coefficients.values(), *second},
                10 * s.IdAxisXMax, AllowedPressureTolerance);
        return {allowed, QStringLiteral("дельта-метод по обеим линиям тренда")};
    }
    if (s.WellType != ProducingWell)
        return {std::nullopt, QString()};
    if (s.measurementCount() > MostBootstrapPoints)
        return {std::nullopt, QStringLiteral("бутстреп не выполняется для более чем %1 замеров")
                                  .arg(MostBootstrapPoints)};
    std::vector<double> pressures;
    std::vector<double> rates;
    for (int i = 1; i <= s.measurementCount(); ++i) {
        pressures.push_back(s.Measurements.pressure(i));
        rates.push_back(s.Measurements.rate(i));
    }
    return {turningPointInterval(pressures, rates),
            QStringLiteral("бутстреп остатков кубической зависимости, 1000 выборок")};
}

// C and J are positive by their form: their intervals are made on the logarithm.
QString logScaleNote(const InflowFit& fit, std::size_t i) {
    return i == 0 && fit.model != InflowModel::Vogel ? QStringLiteral(" (по логарифму)")
                                                     : QString();
}

// An inflow model: its parameters with standard errors and 95 % intervals, the open flow, the
// fit's figures and, for Fetkovich with Pпл given, the log-log line checked by hand.
QString modelSection(const TrendRecord& t, const InflowFit& fit) {
    QString html = QStringLiteral("<p>Модель «%1», метод Левенберга–Марквардта (итераций: %2)")
                       .arg(inflowModelName(fit.model))
                       .arg(fit.iterations);
    if (fit.model == InflowModel::Composite)
        html += QStringLiteral("; Pнас = %1 МПа").arg(number(fit.saturationPressure));
    html += QStringLiteral("</p><table border=1 cellspacing=0 cellpadding=3>");
    html += row({QStringLiteral("Параметр"), QStringLiteral("Значение"),
                 QStringLiteral("Станд. ошибка"), QStringLiteral("95 %-ный интервал")},
                true);
    const std::vector<QString> names = inflowParameterNames(fit.model);
    const QString none = QStringLiteral("не определено");
    for (std::size_t i = 0; i < fit.parameters.size(); ++i) {
        const InflowParameter& p = fit.parameters[i];
        const bool given = fit.reservoirGiven && i + 1 == fit.parameters.size();
        html += row({names[i], number(p.value),
                     given                     ? QStringLiteral("задано")
                     : fit.intervalsDetermined ? number(p.standardError)
                                               : none,
                     given                     ? QStringLiteral("—")
                     : fit.intervalsDetermined ? interval({p.low, p.high}) + logScaleNote(fit, i)
                                               : none});
    }
    html += row({QStringLiteral("Максимальный дебит (Pз = 0), м3/сут"), number(fit.openFlow.value),
                 fit.intervalsDetermined ? number(fit.openFlow.standardError) : none,
                 fit.intervalsDetermined ? interval({fit.openFlow.low, fit.openFlow.high}) : none});
    html +=
        QStringLiteral("</table><p>Точек: %1; степеней свободы: %2; ост. станд. отклонение: "
                       "%3 МПа; R²: %4; AICc: %5</p>")
            .arg(t.Rates.size())
            .arg(fit.statistics.degreesOfFreedom)
            .arg(number(fit.residualDeviation), formatFixed(fit.rSquared, 4), aiccText(fit.aicc));
    for (const QString& warning : modelWarnings(fit))
        html += QStringLiteral("<p><b>Внимание</b>: ") + warning.toHtmlEscaped() +
                QStringLiteral("</p>");
    if (fit.logLogFit)
        html += QStringLiteral("<p>Прямая log q — log(Pпл² − Pз²) при заданном Pпл: C = %1, "
                               "n = %2</p>")
                    .arg(number(fit.logLogFit->first), number(fit.logLogFit->second));
    return html;
}

// Whether there is a break at all: the bootstrap's p value of one line against two.
QString breakSignificance(const BreakTest& test) {
    QString html;
    const QString p = breakSignificanceText(test);
    if (test.draws == 0)
        html += QStringLiteral("<p><b>Значимость излома не определена</b>: точек, на которых её "
                               "можно проверить, слишком мало.</p>");
    else
        html += test.pValue < 0.05
                    ? QStringLiteral("<p><b>Излом значим (%1)</b>").arg(p)
                    : QStringLiteral("<p><b>Излом не доказан (%1): точки согласуются с одной "
                                     "прямой</b>")
                          .arg(p);
    if (test.draws > 0)
        html +=
            QStringLiteral("<br>Отношение правдоподобия двух прямых и одной: %1; параметрический "
                           "бутстреп под одной прямой, %2 выборок%3.</p>")
                .arg(number(test.likelihoodRatio))
                .arg(test.draws < BreakBootstrapDraws
                         ? QStringLiteral("%1 из %2 (остановлен, как только p оказалось не ниже "
                                          "0,05 при любых остальных; ошибка Монте-Карло p ±%3, "
                                          "три стандартные ошибки)")
                               .arg(test.draws)
                               .arg(BreakBootstrapDraws)
                               .arg(formatFixed(breakMonteCarloError(test), 2))
                         : QString::number(test.draws))
                .arg(test.subsampled ? QStringLiteral(" по %1 точкам, взятым равномерно по дебиту")
                                           .arg(test.points)
                                     : QString());
    return html;
}

// Where a step-rate test of an injection well may mislead about the start of fracturing.
QString injectionBreakWarnings(const StatisticsInputs& s) {
    const BreakFit& f = s.Break->Fit;
    QString html;
    int beyond = 0;
    for (int i = 1; i <= s.measurementCount(); ++i)
        beyond += s.Measurements.rate(i) > f.breakRate;
    if (beyond < 2)
        html += QStringLiteral("<p>Внимание: за изломом меньше двух точек.</p>");
    if (s.Break->CurvesBefore)
        html += QStringLiteral("<p>Внимание: точки до излома уже искривлены в сторону второй "
                               "прямой; начало раскрытия трещин может лежать ниже точки "
                               "пересечения прямых.</p>");
    return html;
}

// The break: where the lines meet and how sure that is, whether there is a break at all, and for a
// step-rate test of an injection well what it means and where it may mislead.
QString breakSection(const StatisticsInputs& s) {
    const BreakFit& f = s.Break->Fit;
    const BreakTest& test = s.Break->Test;
    const bool injection = s.WellType == InjectionWell;
    QString html = QStringLiteral("<h3>Излом (две прямые)</h3><p>");
    const auto [low, high] = f.pressureInterval();
    html += (injection ? QStringLiteral("Давление начала раскрытия трещин (излом): ")
                       : QStringLiteral("Давление в точке излома: ")) +
            QStringLiteral("%1 МПа (95 %: %2 … %3)<br>")
                .arg(number(f.breakPressure()), number(low), number(high));
    html += (injection ? QStringLiteral("Приемистость") : QStringLiteral("Дебит")) +
            QStringLiteral(" в точке излома ψ = %1 м3/сут, станд. ошибка %2 (дельта-метод); "
                           "95 %-ный профильный интервал %3 … %4%5</p>")
                .arg(number(f.breakRate), number(f.standardErrors[3]), number(f.breakRateLow),
                     number(f.breakRateHigh),
                     f.lowOpen || f.highOpen ? QStringLiteral(" (упирается в край замеров)")
                                             : QString());
    html += QStringLiteral("<table border=1 cellspacing=0 cellpadding=3>") +
            row({QStringLiteral("Параметр"), QStringLiteral("Значение"),
                 QStringLiteral("Станд. ошибка")},
                true);
    const QString names[] = {QStringLiteral("свободный член a"),
                             QStringLiteral("наклон до излома b"),
                             QStringLiteral("изменение наклона c"), QStringLiteral("ψ")};
    const double values[] = {f.intercept, f.slope, f.slopeChange, f.breakRate};
    for (int i = 0; i < 4; ++i)
        html += row({names[i], number(values[i]), number(f.standardErrors[i])});
    html += QStringLiteral("</table><p>P = a + b·q + c·(q − ψ)₊; точек: %1; сумма квадратов "
                           "остатков: %2; R²: %3; скорректированный R²: %4</p>")
                .arg(f.points)
                .arg(number(f.rss), formatFixed(f.rSquared, 4), formatFixed(f.adjustedRSquared, 4));
    html += breakSignificance(test);
    if (injection)
        html += injectionBreakWarnings(s);
    return html;
}

// Two lines side by side when a model is among them: who fits the points better for the
// parameters spent.
QString comparisonSection(const StatisticsInputs& s) {
    if (s.TrendCount != 2 ||
        !(isInflowModelKind(s.FirstTrend.Kind) || isInflowModelKind(s.SecondTrend.Kind)))
        return {};
    QString html = QStringLiteral("<h3>Сравнение линий</h3><table border=1 cellspacing=0 "
                                  "cellpadding=3>");
    html += row({QStringLiteral("Линия"), QStringLiteral("Вид"), QStringLiteral("Точек"),
                 QStringLiteral("Ост. станд. отклонение, МПа"), QStringLiteral("AICc")},
                true);
    for (int slot = 1; slot <= 2; ++slot) {
        const TrendRecord& t = s.trend(slot);
        const FitStatistics* st = trendStatistics(s, slot);
        if (!st)
            return {};
        const std::shared_ptr<const FitStatistics> whole =
            wholeStatistics(t.Statistics, t.Rates.values(), t.Pressures.values());
        double rss = 0;
        for (double r : whole->residuals)
            rss += r * r;
        const int parameters = static_cast<int>(st->standardErrors.size());
        html += row({QString::number(slot), trendKindName(t.Kind), QString::number(st->points),
                     number(st->residualSd), aiccText(aicc(st->points, parameters, rss))});
    }
    html += QStringLiteral("</table>");
    if (s.FirstTrend.Rates != s.SecondTrend.Rates ||
        s.FirstTrend.Pressures != s.SecondTrend.Pressures)
        html += QStringLiteral("<p>Линии построены по разным точкам: AICc сравнимы только по "
                               "одним и тем же точкам.</p>");
    else
        html += QStringLiteral("<p>Меньший AICc — лучшее описание точек при учёте числа "
                               "параметров.</p>");
    return html;
}

QString allowedPressureSection(const StatisticsInputs& s) {
    QString html = QStringLiteral("<h3>Предельно-допустимое Pз</h3><p>%1 МПа")
                       .arg(number(s.AllowedBottomholePressure));
    const auto [allowed, method] = allowedPressureInterval(s);
    if (allowed)
        html += QStringLiteral(" (95 %: %1; %2)").arg(interval(*allowed), method);
    else
        html += QStringLiteral(" (интервал не определён%1)")
                    .arg(method.isEmpty() ? QString() : QStringLiteral("; ") + method);
    return html + QStringLiteral("</p>");
}

} // namespace

QString statisticsReport(const StatisticsInputs& s) {
    QString html = QStringLiteral("<html><body>");
    if (s.TrendCount == 0)
        return html + QStringLiteral("<p>Линия тренда не построена.</p></body></html>");
    if (s.Break)
        html += breakSection(s);
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        // A break's lines are the break's: their figures are in its section.
        if (s.Break && s.trend(slot).Joined)
            continue;
        html += QStringLiteral("<h3>Линия тренда %1</h3>").arg(slot);
        const FitStatistics* st = trendStatistics(s, slot);
        if (!st) {
            html += QStringLiteral("<p>Точек столько же, сколько коэффициентов: статистики нет "
                                   "(—).</p>");
            continue;
        }
        if (const InflowFit* model = s.trend(slot).Model.get())
            html += modelSection(s.trend(slot), *model);
        else
            html += coefficientsSection(s.trend(slot), *st) + intervalsSection(s, slot, *st);
        html += suspectPoints(s.trend(slot), *wholeStatistics(s.trend(slot).Statistics,
                                                              s.trend(slot).Rates.values(),
                                                              s.trend(slot).Pressures.values()));
    }
    html += comparisonSection(s);
    if (s.AllowedBottomholePressure > 0)
        html += allowedPressureSection(s);
    return html + QStringLiteral("</body></html>");
}

} // namespace id
