#include "exports/ReportText.h"

#include "analysis/InflowModels.h"
#include "analysis/ResultIntervals.h"
#include "analysis/ResultRows.h"
#include "analysis/TrendStatistics.h"
#include "diagram/TrendLabel.h"
#include "state/NumberText.h"

#include <algorithm>

namespace id {

namespace {

// A field quoted where the spreadsheet would otherwise split or misread it.
QString field(const QString& text) {
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray line(const QStringList& fields) {
    QStringList out;
    for (const QString& f : fields)
        out << field(f);
    return (out.join(u';') + QStringLiteral("\r\n")).toUtf8();
}

} // namespace

QStringList trendEquations(const AnalysisState& s) {
    QStringList equations;
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        const TrendRecord& t = s.trend(slot);
        if (t.Kind == NoTrend)
            continue;
        // The label leaves room for raised exponents; written out they follow a "^".
        QString text = trendLabel(t).text;
        if (t.Kind == CubicTrend)
            text.replace(text.indexOf(QStringLiteral("x  ")), 3, QStringLiteral("x^3"));
        text.replace(QStringLiteral("x  "), QStringLiteral("x^2"));
        equations << text + QStringLiteral(", R² = ") + formatFixed(t.RSquared, 3);
    }
    return equations;
}

namespace {

// The break's rows: its pressure and its rate, with their intervals.
void addBreakRows(std::vector<QStringList>& rows, const BreakFit& f, bool injection) {
    const auto [low, high] = f.pressureInterval();
    rows.push_back({injection ? QStringLiteral("Давление начала раскрытия трещин (излом), МПа")
                              : QStringLiteral("Давление в точке излома, МПа"),
                    coefficientText(f.breakPressure()),
                    {},
                    coefficientText(low),
                    coefficientText(high)});
    rows.push_back({(injection ? QStringLiteral("Приемистость") : QStringLiteral("Дебит")) +
                        QStringLiteral(" в точке излома, м3/сут"),
                    coefficientText(f.breakRate), coefficientText(f.standardErrors[3]),
                    coefficientText(f.breakRateLow), coefficientText(f.breakRateHigh)});
}

// A model's rows: its parameters with their intervals, its open flow, its warnings and how
// well it fits.
void addModelRows(std::vector<QStringList>& rows, const QString& line, const InflowFit& fit) {
    const QString model =
        line + QStringLiteral(" (") + inflowModelName(fit.model) + QStringLiteral("): ");
    const std::vector<QString> names = inflowParameterNames(fit.model);
    // The intervals as the fit made them: C and J on the logarithm, n within (0; 2].
    const auto addParameter = [&](const QString& caption, const InflowParameter& p) {
        if (fit.intervalsDetermined)
            rows.push_back({caption, coefficientText(p.value), coefficientText(p.standardError),
                            coefficientText(p.low), coefficientText(p.high)});
        else
            rows.push_back(
                {caption, coefficientText(p.value), QStringLiteral("не определено"), {}, {}});
    };
    const std::size_t fitted = fit.parameters.size() - (fit.reservoirGiven ? 1 : 0);
    for (std::size_t i = 0; i < fitted; ++i)
        addParameter(model + names[i], fit.parameters[i]);
    if (fit.reservoirGiven)
        rows.push_back({model + names.back() + QStringLiteral(" (задано)"),
                        coefficientText(fit.reservoirPressure()),
                        {},
                        {},
                        {}});
    addParameter(model + QStringLiteral("максимальный дебит (Pз = 0), м3/сут"), fit.openFlow);
    for (const QString& warning : modelWarnings(fit))
        rows.push_back({model + QStringLiteral("внимание"), warning, {}, {}, {}});
    for (const auto& [caption, value] : {std::pair{QStringLiteral("ост. станд. отклонение, МПа"),
                                                   coefficientText(fit.residualDeviation)},
                                         {QStringLiteral("R²"), formatFixed(fit.rSquared, 4)},
                                         {QStringLiteral("AICc"), aiccText(fit.aicc)}})
        rows.push_back({model + caption, value, {}, {}, {}});
}

} // namespace

std::vector<QStringList> parameterRows(const AnalysisState& s) {
    std::vector<QStringList> rows;
    const auto add = [&](const QString& caption, double value, double se, double t) {
        rows.push_back({caption, coefficientText(value), coefficientText(se),
                        coefficientText(value - t * se), coefficientText(value + t * se)});
    };
    if (s.Break)
        addBreakRows(rows, s.Break->Fit, s.WellType == InjectionWell);
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        const TrendRecord& t = s.trend(slot);
        const QString line = QStringLiteral("Линия тренда %1").arg(slot);
        if (const InflowFit* fit = t.Model.get()) {
            addModelRows(rows, line, *fit);
        } else if (const FitStatistics* st = t.Statistics.get()) {
            if (const std::optional<PressureLosses> l = pressureLosses(t, *st, s.WellType)) {
                const double quantile = studentT95(st->degreesOfFreedom);
                add(line + QStringLiteral(": A (ламинарный), МПа/(м3/сут)"), l->a, l->aError,
                    quantile);
                add(line + QStringLiteral(": B (турбулентный), МПа/(м3/сут)²"), l->b, l->bError,
                    quantile);
            }
        }
    }
    return rows;
}

QStringList reportInputs(const AnalysisState& s) {
    QStringList lines;
    const auto add = [&](const QString& caption, const QString& value) {
        if (!value.trimmed().isEmpty())
            lines << caption + QStringLiteral(": ") + value.trimmed();
    };
    if (s.WellType == ProducingWell) {
        add(QStringLiteral("Давление насыщения, МПа"), s.Inputs.Pnas);
        add(QStringLiteral("Pпл для моделей, МПа"), s.Inputs.ModelPres);
    }
    if (s.Estimation != EstimationMode::None) {
        add(s.Estimation == EstimationMode::SkinFromTransmissibility
                ? QStringLiteral("Гидропроводность, Д*см/сПз")
                : QStringLiteral("Скин-эффект"),
            s.Inputs.Skin);
        add(QStringLiteral("Радиус контура питания, м"), s.Inputs.Rkontur);
        add(QStringLiteral("Радиус скважины, м"), s.Inputs.Rwell);
    }
    return lines;
}

QByteArray csvText(const AnalysisState& s, bool withDates) {
    // Written as UTF-8 line by line: a large table is not held twice, as text and as bytes.
    QByteArray text("\xEF\xBB\xBF");
    text.reserve(s.Table.size() * 24 + 1024);
    QStringList header = {s.WellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                      : QStringLiteral("Дебит, м3/сут"),
                          QStringLiteral("P заб, МПа")};
    if (withDates)
        header << QStringLiteral("Дата");
    // The points left out are marked: the fits were made without them.
    const bool leftOut = std::any_of(s.Table.begin(), s.Table.end(),
                                     [](const MeasurementRow& r) { return r.Excluded; });
    if (leftOut)
        header << QStringLiteral("Исключена");
    text += line(header);
    for (const MeasurementRow& row : s.Table) {
        QStringList fields = {row.Rate, row.Pressure};
        if (withDates)
            fields << row.Date;
        if (leftOut)
            fields << (row.Excluded ? QStringLiteral("да") : QString());
        text += line(fields);
    }
    const QStringList inputs = reportInputs(s);
    if (!inputs.isEmpty()) {
        text += "\r\n";
        for (const QString& input : inputs)
            text += line({input});
    }
    if (resultsTableShown(s)) {
        text += "\r\n";
        text += line({QStringLiteral("Результат"), QStringLiteral("Значение")});
        for (const ResultRow& r : resultRows(s))
            text += line({r.caption, r.value});
    }
    const QStringList equations = trendEquations(s);
    if (!equations.isEmpty()) {
        text += "\r\n";
        for (int i = 0; i < equations.size(); ++i)
            text += line({QStringLiteral("Линия тренда %1").arg(i + 1), equations[i]});
    }
    const std::vector<QStringList> parameters = parameterRows(s);
    if (!parameters.empty()) {
        text += "\r\n";
        text += line({QStringLiteral("Параметр"), QStringLiteral("Значение"),
                      QStringLiteral("Станд. ошибка"), QStringLiteral("95 % от"),
                      QStringLiteral("95 % до")});
        for (const QStringList& row : parameters)
            text += line(row);
    }
    return text;
}

} // namespace id
