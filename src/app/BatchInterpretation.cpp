#include "app/BatchInterpretation.h"

#include "analysis/EstimationModes.h"
#include "analysis/ResultIntervals.h"
#include "app/AnalysisFile.h"
#include "app/MenuRules.h"
#include "app/ReportText.h"
#include "app/ShellCommands.h"
#include "state/AnalysisFault.h"
#include "state/NumberText.h"
#include "state/StartOptions.h"
#include "state/TrendMath.h"

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
    if (settings.drawing)
        sampleCurves(s, out);
    return out;
}

QString summaryHeader() {
    return QStringLiteral("kwu_id;Правило;Состояние;Коэф. продуктивности;от;до;Пластовое давление;"
                          "от;до;Предельно-допустимое Pз;от;до;R2;Оценка;Сообщение");
}

QString summaryLine(const WellOutcome& o, BatchRule rule) {
    const auto value = [](double v) { return v > 0 ? number(v) : QString(); };
    QString message = o.message;
    message.replace(u';', u',').replace(u'\n', u' ');
    return QStringList{QString::number(o.kwuId),
                       batchRuleName(rule),
                       o.ok ? QStringLiteral("ok") : QStringLiteral("ошибка"),
                       value(o.productivity),
                       range(o.productivityInterval, false),
                       range(o.productivityInterval, true),
                       value(o.reservoirPressure),
                       range(o.reservoirInterval, false),
                       range(o.reservoirInterval, true),
                       value(o.allowedPressure),
                       range(o.allowedInterval, false),
                       range(o.allowedInterval, true),
                       o.ok ? number(o.rSquared) : QString(),
                       o.estimate,
                       message}
        .join(u';');
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
