#include "batch/BatchInterpretation.h"

#include "analysis/BreakSearch.h"
#include "analysis/EstimationModes.h"
#include "analysis/InflowModels.h"
#include "analysis/ResultIntervals.h"
#include "analysis/ResultRows.h"
#include "app/CommandTable.h"
#include "app/DataCommands.h"
#include "app/MenuRules.h"
#include "exports/ReportText.h"
#include "platform/VectorState.h"
#include "state/AnalysisFault.h"
#include "state/NumberText.h"
#include "state/StartOptions.h"
#include "state/TrendMath.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace id {

namespace {

struct RuleName {
    BatchRule rule;
    const char* name;
    CommandId command;
};
constexpr RuleName Rules[] = {
    {BatchRule::Linear, "linear", CommandId::LinearTrend},
    {BatchRule::Quadratic, "quadratic", CommandId::QuadraticTrend},
    {BatchRule::Cubic, "cubic", CommandId::CubicTrend},
    {BatchRule::Break, "break", CommandId::BreakTrends},
    {BatchRule::Vogel, "vogel", CommandId::VogelModel},
    {BatchRule::Composite, "composite", CommandId::CompositeModel},
    {BatchRule::Fetkovich, "fetkovich", CommandId::FetkovichModel},
};

// Listed in the order of the rules, so that a rule is its index.
constexpr bool rulesInOrder() {
    for (std::size_t i = 0; i < std::size(Rules); ++i)
        if (static_cast<std::size_t>(Rules[i].rule) != i)
            return false;
    return true;
}
static_assert(std::size(Rules) == static_cast<std::size_t>(BatchRule::Fetkovich) + 1 &&
              rulesInOrder());

const RuleName& ruleName(BatchRule rule) {
    return Rules[static_cast<std::size_t>(rule)];
}

QString number(double v) {
    return formatGeneral(v).replace(u'.', u',');
}

QString range(const std::optional<Range>& r, bool high) {
    return r ? number(high ? r->high : r->low) : QString();
}

// Enough chords that a model's bend looks smooth on half a page.
constexpr int CurveSamples = 64;

void sampleCurves(const AnalysisState& s, WellOutcome& out) {
    for (int slot = 0; slot < std::min<int>(s.TrendCount, 2); ++slot) {
        const TrendRecord& t = slot == 0 ? s.FirstTrend : s.SecondTrend;
        if (t.Kind == NoTrend || !(t.RateTo > t.RateFrom))
            continue;
        std::vector<QPointF> curve;
        for (int i = 0; i <= CurveSamples; ++i) {
            const double q = t.RateFrom + (t.RateTo - t.RateFrom) * i / CurveSamples;
            const double p = evaluateTrend(t, q);
            if (std::isfinite(p))
                curve.emplace_back(q, p);
        }
        if (curve.size() > 1)
            out.curves.push_back(std::move(curve));
    }
    if (s.Break)
        out.breakPoint = QPointF(s.Break->Fit.breakRate, s.Break->Fit.breakPressure());
}

} // namespace

std::optional<BatchRule> batchRule(const QString& name) {
    for (const RuleName& r : Rules)
        if (name == QLatin1String(r.name))
            return r.rule;
    return std::nullopt;
}

QString batchRuleName(BatchRule rule) {
    return QString::fromLatin1(ruleName(rule).name);
}

CellValue readCell(const QVariant& cell) {
    if (cell.isNull())
        return {CellValue::Missing, 0, QStringLiteral("NULL")};
    switch (cell.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const double v = cell.toDouble();
        if (std::isfinite(v))
            return {CellValue::Number, v, {}};
        return {CellValue::NotNumber, 0, cell.toString()};
    }
    default:
        break;
    }
    const QString text = cell.toString();
    // A spreadsheet's CSV quotes an empty cell too.
    if (text.trimmed().isEmpty() || text.trimmed() == QStringLiteral("\"\""))
        return {CellValue::Missing, 0, text};
    if (const std::optional<double> v = readCellNumber(text))
        return {CellValue::Number, *v, text};
    return {CellValue::NotNumber, 0, text};
}

void addRegime(WellRegimes& well, int regime, const CellValue& rate, const CellValue& pressure) {
    if (!well.refusal.isEmpty())
        return;
    const QString rateName =
        well.wellType == InjectionWell ? QStringLiteral("приемистость") : QStringLiteral("дебит");
    for (const auto& [cell, name] :
         {std::pair{&rate, rateName}, std::pair{&pressure, QStringLiteral("давление")}})
        if (cell->kind == CellValue::NotNumber) {
            well.refusal =
                QStringLiteral("режим %1: %2 «%3» — не число").arg(regime).arg(name, cell->text);
            return;
        }
    if (rate.kind == CellValue::Number && pressure.kind == CellValue::Number) {
        well.rates.push_back(rate.value);
        well.pressures.push_back(pressure.value);
        return;
    }
    const auto why = [](const CellValue& c) {
        return c.text == QStringLiteral("NULL") ? QStringLiteral("NULL")
                                                : QStringLiteral("пустая ячейка");
    };
    QString note;
    if (rate.kind == CellValue::Missing && pressure.kind == CellValue::Missing)
        note = QStringLiteral("%1 и давление не заданы (%2)").arg(rateName, why(rate));
    else if (rate.kind == CellValue::Missing)
        note = QStringLiteral("%1 не задан%2 (%3)")
                   .arg(rateName, well.wellType == InjectionWell ? QStringLiteral("а") : QString(),
                        why(rate));
    else
        note = QStringLiteral("давление не задано (%1)").arg(why(pressure));
    well.notes << QStringLiteral("режим %1 не учтён: %2").arg(regime).arg(note);
}

std::optional<qint64> readWellId(const QVariant& cell, QString& why) {
    why.clear();
    if (cell.isNull()) {
        why = QStringLiteral("kwu_id не задан");
        return std::nullopt;
    }
    // A number's text is never empty: the text is made only for what is not one.
    switch (cell.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return cell.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        if (cell.toULongLong() <= quint64(std::numeric_limits<qint64>::max()))
            return cell.toLongLong();
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        // A whole real below 2^63 is the integer it holds; 2^63 itself is not one.
        const double v = cell.toDouble();
        if (std::isfinite(v) && v == std::floor(v) && v >= -9223372036854775808.0 &&
            v < 9223372036854775808.0)
            return static_cast<qint64>(v);
        why = QStringLiteral("kwu_id «%1» — не целое число").arg(number(v));
        return std::nullopt;
    }
    default: {
        static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
        const QString trimmed = cell.toString().trimmed();
        if (trimmed.isEmpty()) {
            why = QStringLiteral("kwu_id не задан");
            return std::nullopt;
        }
        bool ok = false;
        const qint64 v = trimmed.toLongLong(&ok);
        if (ok && integer.match(trimmed).hasMatch())
            return v;
        break;
    }
    }
    why = QStringLiteral("kwu_id «%1» — не целое число в пределах 64 бит").arg(cell.toString());
    return std::nullopt;
}

namespace {

// The well as the window would hold it: its points typed into the table, the boxes filled in.
AnalysisState typedAnalysis(const WellRegimes& well, const BatchSettings& settings) {
    AnalysisState s;
    s.WellType = well.wellType;
    s.Inputs.Pnas = settings.pnas;
    s.Inputs.ModelPres = settings.modelPres;
    s.Inputs.Skin = settings.skin;
    s.Inputs.Rkontur = settings.rkontur;
    s.Inputs.Rwell = settings.rwell;
    for (std::size_t i = 0; i < well.rates.size(); ++i)
        s.Table.append({number(well.rates[i]), number(well.pressures[i]), {}});
    return s;
}

// The results the rule made, with their intervals, and what a drawing of them needs.
void takeResults(const AnalysisState& s, const BatchSettings& settings, WellOutcome& out) {
    out.ok = true;
    out.estimate = estimateValue(s);
    // The texts the window would show are for a report's page only.
    if (settings.drawing) {
        out.rows = resultRows(s);
        out.equations = trendEquations(s);
    }
    out.productivity = s.ProductivityIndex;
    out.reservoirPressure = s.ReservoirPressure;
    out.allowedPressure = s.AllowedBottomholePressure;
    out.rSquared = s.FirstTrend.RSquared;
    if (const FitStatistics* st = s.FirstTrend.Statistics.get();
        st && isPolynomialKind(s.FirstTrend.Kind)) {
        const ResultIntervals i =
            resultIntervals(s.FirstTrend.Coefficients.values(), *st, s.WellType);
        if (i.productivity)
            out.productivityInterval = Range{i.productivity->low, i.productivity->high};
        if (i.reservoirPressure)
            out.reservoirInterval = Range{i.reservoirPressure->low, i.reservoirPressure->high};
    }
    if (allowedPressureFromBreak(s)) {
        const auto [low, high] = s.Break->Fit.pressureInterval();
        out.allowedInterval = Range{low, high};
    }
    if (settings.drawing)
        sampleCurves(s, out);
    if (s.Break)
        out.breakRecord = std::make_shared<const BreakRecord>(*s.Break);
    out.model = s.FirstTrend.Model;
    // A model's Pпл and J with the intervals it was fitted with (J on its logarithm).
    if (const InflowFit* fit = out.model.get(); fit && fit->intervalsDetermined) {
        if (!fit->reservoirGiven)
            out.reservoirInterval = Range{fit->parameters.back().low, fit->parameters.back().high};
        if (fit->model == InflowModel::Composite)
            out.productivityInterval = Range{fit->parameters[0].low, fit->parameters[0].high};
    }
}

WellOutcome interpretRegimes(const WellRegimes& well, const BatchSettings& settings,
                             SpreadsheetFitService& fits) {
    WellOutcome out;
    out.kwuId = well.kwuId;
    out.wellType = well.wellType;
    if (!well.refusal.isEmpty()) {
        out.message = well.refusal;
        return out;
    }
    AnalysisState s = typedAnalysis(well, settings);
    const StartOptions options;
    CommandContext ctx{fits, options, {}};
    try {
        BuildCharts(s, ctx);
        if (!s.DiagramShown) {
            out.message = ctx.messages.isEmpty() ? QStringLiteral("Нет замеров")
                                                 : ctx.messages.join(QStringLiteral(" "));
            return out;
        }
        runCommand(ruleName(settings.rule).command, s, ctx);
        if (settings.estimation != EstimationMode::None && s.TrendCount > 0)
            selectEstimatingMode(s, settings.estimation, ctx.messages);
    } catch (const AnalysisFault& fault) {
        ctx.messages << fault.message();
        out.message = ctx.messages.join(QStringLiteral(" "));
        return out;
    }
    out.message = ctx.messages.join(QStringLiteral(" "));
    if (s.TrendCount == 0 || !resultsToSave(s)) {
        if (out.message.isEmpty())
            out.message = QStringLiteral("Результатов нет");
        return out;
    }
    takeResults(s, settings, out);
    return out;
}

} // namespace

WellOutcome interpretWell(const WellRegimes& well, const BatchSettings& settings,
                          SpreadsheetFitService& fits) {
    // The database's driver may have left the vector registers as drawing does.
    clearUpperVectorState();
    WellOutcome out = interpretRegimes(well, settings, fits);
    out.idText = well.idText.isEmpty() ? QString::number(well.kwuId) : well.idText;
    // The regimes left out are said first, whatever came of the rest.
    if (well.refusal.isEmpty() && !well.notes.isEmpty()) {
        QStringList said = well.notes;
        if (!out.message.isEmpty())
            said << out.message;
        out.message = said.join(QStringLiteral("; "));
    }
    return out;
}

QString summaryHeader() {
    QStringList header{QStringLiteral("kwu_id"), QStringLiteral("Правило"),
                       QStringLiteral("Состояние")};
    const auto withRange = [&](const QString& name) {
        header << name << name + QStringLiteral(" от") << name + QStringLiteral(" до");
    };
    withRange(QStringLiteral("Коэф. продуктивности"));
    withRange(QStringLiteral("Пластовое давление"));
    withRange(QStringLiteral("Предельно-допустимое Pз"));
    header << QStringLiteral("R2");
    withRange(QStringLiteral("Максимальный дебит"));
    withRange(QStringLiteral("Показатель n"));
    withRange(QStringLiteral("Коэффициент C"));
    withRange(QStringLiteral("Коэффициент J"));
    withRange(QStringLiteral("Дебит излома"));
    header << QStringLiteral("R2 излома") << QStringLiteral("Значимость излома")
           << QStringLiteral("Оценка") << QStringLiteral("Сообщение");
    return header.join(u';');
}

namespace {

// A model parameter's three columns: the value and its interval where the fit determined one.
void addParameter(QStringList& fields, const InflowFit* fit, const InflowParameter* p) {
    if (!fit || !p) {
        fields << QString() << QString() << QString();
        return;
    }
    fields << number(p->value);
    if (fit->intervalsDetermined && p->standardError > 0)
        fields << number(p->low) << number(p->high);
    else
        fields << QString() << QString();
}

} // namespace

QString summaryLine(const WellOutcome& o, BatchRule rule) {
    const auto value = [](double v) { return v > 0 && std::isfinite(v) ? number(v) : QString(); };
    const auto finite = [](const std::optional<Range>& r) {
        return r && std::isfinite(r->low) && std::isfinite(r->high) ? r : std::nullopt;
    };
    QString message = o.message;
    message.replace(u';', u',').replace(u'\n', u' ');
    QString id = o.idText.isEmpty() ? QString::number(o.kwuId) : o.idText;
    id.replace(u';', u',').replace(u'\n', u' ');
    QStringList fields{id,
                       batchRuleName(rule),
                       o.ok ? QStringLiteral("ok") : QStringLiteral("ошибка"),
                       value(o.productivity),
                       range(finite(o.productivityInterval), false),
                       range(finite(o.productivityInterval), true),
                       value(o.reservoirPressure),
                       range(finite(o.reservoirInterval), false),
                       range(finite(o.reservoirInterval), true),
                       value(o.allowedPressure),
                       range(finite(o.allowedInterval), false),
                       range(finite(o.allowedInterval), true),
                       o.ok && std::isfinite(o.rSquared) ? number(o.rSquared) : QString()};
    const InflowFit* fit = o.ok ? o.model.get() : nullptr;
    const InflowModel model = fit ? fit->model : InflowModel::Vogel;
    addParameter(fields, fit, fit ? &fit->openFlow : nullptr);
    addParameter(fields, fit,
                 fit && model == InflowModel::Fetkovich ? &fit->parameters[1] : nullptr);
    addParameter(fields, fit,
                 fit && model == InflowModel::Fetkovich ? &fit->parameters[0] : nullptr);
    addParameter(fields, fit,
                 fit && model == InflowModel::Composite ? &fit->parameters[0] : nullptr);
    if (o.ok && o.breakRecord) {
        const BreakFit& f = o.breakRecord->Fit;
        // An end of ψ's interval that reaches the admissible edge is not determined: left blank.
        fields << number(f.breakRate) << (f.lowOpen ? QString() : number(f.breakRateLow))
               << (f.highOpen ? QString() : number(f.breakRateHigh)) << number(f.rSquared)
               << breakSignificanceText(o.breakRecord->Test);
    } else {
        fields << QString() << QString() << QString() << QString() << QString();
    }
    fields << (o.estimate ? formatResult(*o.estimate, 1) : QString()) << message;
    return fields.join(u';');
}

QString skippedLine(const QString& fileName, BatchRule rule, const QString& why) {
    QString name = fileName;
    name.replace(u';', u',');
    QStringList fields{name, batchRuleName(rule), QStringLiteral("пропущен")};
    // Blank up to the message, whatever columns the header holds.
    while (fields.size() < summaryHeader().count(u';'))
        fields << QString();
    fields << QString(why).replace(u';', u',');
    return fields.join(u';');
}

} // namespace id
