#include "document/AnalysisFile.h"

#include "document/AnalysisFileChecks.h"
#include "document/AnalysisFileFormat.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

// Before a save: whether the file written could be opened again.
namespace id {

namespace {

using namespace analysisfile;

// What the analysis itself shows could not be read back: limits, numbers, axes, old trends.
std::optional<QString> statedProblem(const AnalysisState& s) {
    const auto tooLong = [](const QString& text) { return text.size() > LongestText; };
    if (s.Table.size() > MostRows)
        return QStringLiteral("в таблице больше %1 строк").arg(MostRows);
    for (const MeasurementRow& row : s.Table)
        if (tooLong(row.Rate) || tooLong(row.Pressure) || tooLong(row.Date))
            return QStringLiteral("в таблице слишком длинный текст");
    const FormationInputs& f = s.Inputs;
    if (tooLong(f.Pnas) || tooLong(f.Skin) || tooLong(f.Rkontur) || tooLong(f.Rwell) ||
        tooLong(f.ModelPres))
        return QStringLiteral("в поле параметров пласта слишком длинный текст");
    const auto finite = [](const std::vector<double>& values) {
        return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
    };
    const auto trendFinite = [&](const TrendRecord& t) {
        return finite(t.Coefficients.values()) && finite(t.Rates.values()) &&
               finite(t.Pressures.values()) &&
               finite({t.RateFrom, t.RateTo, t.RSquared, t.Coefficient});
    };
    const bool keptFinite =
        !s.PiChartKept ||
        (trendFinite(s.PiChartKept->FirstTrend) && trendFinite(s.PiChartKept->SecondTrend) &&
         finite({s.PiChartKept->PiAxisXMin, s.PiChartKept->PiAxisXMax, s.PiChartKept->PiAxisYTop,
                 s.PiChartKept->PiAxisYBottom}));
    if (!finite(s.Measurements.rates().values()) || !finite(s.Measurements.pressures().values()) ||
        !finite(s.FitRates.values()) || !finite(s.FitPressures.values()) ||
        !trendFinite(s.FirstTrend) || !trendFinite(s.SecondTrend) || !keptFinite ||
        !finite({s.IdAxisXMin,         s.IdAxisXMax,
                 s.IdAxisYTop,         s.IdAxisYBottom,
                 s.PiAxisXMin,         s.PiAxisXMax,
                 s.PiAxisYTop,         s.PiAxisYBottom,
                 s.ProductivityIndex,  s.SecondProductivityIndex,
                 s.ReservoirPressure,  s.AllowedBottomholePressure,
                 s.FitRateFrom,        s.FitRateTo,
                 s.SelectionX1,        s.SelectionY1,
                 s.SelectionX2,        s.SelectionY2,
                 f.SaturationPressure, f.SkinFactor,
                 f.Transmissibility,   f.DrainageRadius,
                 f.WellRadius}))
        return QStringLiteral("в нём было бы не конечное число");
    if (const std::optional<QString> axis = undrawableAxis(s))
        return axis;
    for (int slot = 1; slot <= 2; ++slot) {
        const TrendRecord& t = s.trend(slot);
        if (t.Kind != NoTrend && t.Rates.size() < coefficientCount(t.Kind))
            return QStringLiteral("линия тренда %1 из файла первой версии: неизвестно, по каким "
                                  "точкам она построена (её коэффициенты не получаются ни по "
                                  "выбранным точкам, ни по всем измеренным); постройте линию "
                                  "заново")
                .arg(slot);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> unopenableProblem(const AnalysisState& s) {
    if (const std::optional<QString> problem = statedProblem(s))
        return problem;
    return unopenableProblem(s, writeAnalysis(s));
}

std::optional<QString> unopenableProblem(const AnalysisState& s, const QByteArray& written) {
    if (const std::optional<QString> problem = statedProblem(s))
        return problem;
    // Whatever else the reading refuses: the file as it will be written, read back.
    const AnalysisFileRead back = readAnalysis(written, AnalysisReading::CheckOnly);
    if (!back.state) {
        static const QRegularExpression said(QStringLiteral("^Файл не открыт: |\\.$"));
        return QString(back.error).remove(said);
    }
    return std::nullopt;
}

} // namespace id
