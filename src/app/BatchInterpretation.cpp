#include "app/BatchInterpretation.h"

#include "analysis/BreakSearch.h"
#include "analysis/EstimationModes.h"
#include "analysis/InflowModels.h"
#include "analysis/ResultIntervals.h"
#include "app/AnalysisFile.h"
#include "app/MenuRules.h"
#include "app/ReportText.h"
#include "app/ShellCommands.h"
#include "state/AnalysisFault.h"
#include "state/NumberText.h"
#include "state/StartOptions.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

namespace id {

namespace {

struct RuleName {
    BatchRule rule;
    const char* name;
    const char* item;
};
constexpr RuleName Rules[] = {
    {BatchRule::Linear, "linear", "mTrendLine"},
    {BatchRule::Quadratic, "quadratic", "mTrendPolinom2"},
    {BatchRule::Cubic, "cubic", "mTrendPolinom3"},
    {BatchRule::Break, "break", "mTrendBreak"},
    {BatchRule::Vogel, "vogel", "mModelVogel"},
    {BatchRule::Composite, "composite", "mModelComposite"},
    {BatchRule::Fetkovich, "fetkovich", "mModelFetkovich"},
};

const RuleName& ruleName(BatchRule rule) {
    for (const RuleName& r : Rules)
        if (r.rule == rule)
            return r;
    return Rules[0];
}

void runItem(const char* item, AnalysisState& s, CommandContext& ctx) {
    for (const MenuCommand& c : menuCommands())
        if (QLatin1String(c.item) == QLatin1String(item)) {
            c.command(s, ctx);
            return;
        }
}

QString number(double v) {
    return formatGeneral(v).replace(u'.', u',');
}

QString range(const std::optional<Range>& r, bool high) {
    return r ? number(high ? r->high : r->low) : QString();
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

WellOutcome interpretWell(const WellRegimes& well, const BatchSettings& settings,
                          SpreadsheetFitService& fits) {
    WellOutcome out;
    out.kwuId = well.kwuId;
    out.wellType = well.wellType;
    AnalysisState s;
    s.WellType = well.wellType;
    s.Inputs.Pnas = settings.pnas;
    s.Inputs.ModelPres = settings.modelPres;
    s.Inputs.Skin = settings.skin;
    s.Inputs.Rkontur = settings.rkontur;
    s.Inputs.Rwell = settings.rwell;
    for (std::size_t i = 0; i < well.rates.size(); ++i)
        s.Table.append({number(well.rates[i]), number(well.pressures[i]), {}});
    const StartOptions options;
    CommandContext ctx{fits, options, {}};
    try {
        BuildCharts(s, ctx);
        if (!s.DiagramShown) {
            out.message = ctx.messages.isEmpty() ? QStringLiteral("Нет замеров")
                                                 : ctx.messages.join(QStringLiteral(" "));
            return out;
        }
        runItem(ruleName(settings.rule).item, s, ctx);
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
    out.ok = true;
    out.rows = s.ResultRows;
    for (const ResultRow& r : s.ResultRows)
        if (r.caption.startsWith(QStringLiteral("Гидропроводность")) ||
            r.caption == QStringLiteral("Скин-эффект"))
            out.estimate = r.value;
    out.equations = trendEquations(s);
    out.productivity = s.ProductivityIndex;
    out.reservoirPressure = s.ReservoirPressure;
    out.allowedPressure = s.AllowedBottomholePressure;
    out.rSquared = s.FirstTrend.RSquared;
    if (const FitStatistics* st = s.FirstTrend.Statistics.get();
        st && isPolynomialKind(s.FirstTrend.Kind)) {
        const ResultIntervals i = resultIntervals(s.FirstTrend.Coefficients.values(), *st);
        if (i.productivity)
            out.productivityInterval = Range{i.productivity->low, i.productivity->high};
        if (i.reservoirPressure)
            out.reservoirInterval = Range{i.reservoirPressure->low, i.reservoirPressure->high};
    }
    if (allowedPressureFromBreak(s)) {
        const auto [low, high] = s.Break->Fit.pressureInterval();
        out.allowedInterval = Range{low, high};
    }
    out.breakRecord = s.Break;
    out.model = s.FirstTrend.Model;
    // A model's Pпл and J with the intervals it was fitted with (J on its logarithm).
    if (const InflowFit* fit = out.model.get(); fit && fit->intervalsDetermined) {
        if (!fit->reservoirGiven)
            out.reservoirInterval = Range{fit->parameters.back().low, fit->parameters.back().high};
        if (fit->model == InflowModel::Composite)
            out.productivityInterval = Range{fit->parameters[0].low, fit->parameters[0].high};
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
    QStringList fields{QString::number(o.kwuId),
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
        fields << number(f.breakRate) << number(f.breakRateLow) << number(f.breakRateHigh)
               << number(f.rSquared) << breakSignificanceText(o.breakRecord->Test);
    } else {
        fields << QString() << QString() << QString() << QString() << QString();
    }
    fields << o.estimate << message;
    return fields.join(u';');
}

FileRegimes readWellFile(const QString& path, int kwuId, std::int16_t wellType) {
    WellRegimes well;
    well.kwuId = kwuId;
    well.wellType = wellType;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("Файл не открыт: ") + file.errorString()};
    if (QFileInfo(path).suffix().compare(QStringLiteral("ida"), Qt::CaseInsensitive) == 0) {
        const AnalysisFileRead read = readAnalysis(file.readAll());
        if (!read.state)
            return {std::nullopt, read.error};
        well.wellType = read.state->WellType;
        for (const MeasurementRow& row : read.state->Table) {
            const std::optional<double> q = readNumber(row.Rate);
            const std::optional<double> p = readNumber(row.Pressure);
            if (q && p && !row.Excluded) {
                well.rates.push_back(*q);
                well.pressures.push_back(*p);
            }
        }
        return {well, {}};
    }
    int line = 0;
    while (!file.atEnd()) {
        ++line;
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        if (text.isEmpty())
            continue;
        // "1,5;2,5" keeps its commas as decimals; "1.5,2.5" splits on the comma.
        const QStringList parts = text.contains(u';') || text.contains(u'\t')
                                      ? text.split(QRegularExpression("[;\\t]"))
                                      : text.split(u',');
        const std::optional<double> q =
            parts.size() >= 2 ? readNumber(parts[0].trimmed().replace(u'.', u',')) : std::nullopt;
        const std::optional<double> p =
            parts.size() >= 2 ? readNumber(parts[1].trimmed().replace(u'.', u',')) : std::nullopt;
        if (!q || !p) {
            if (line == 1)
                continue; // a header of words
            return {std::nullopt,
                    QStringLiteral("Строка %1 файла не читается как два числа").arg(line)};
        }
        well.rates.push_back(*q);
        well.pressures.push_back(*p);
    }
    return {well, {}};
}

} // namespace id
