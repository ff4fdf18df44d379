#include "document/AnalysisFile.h"

#include "analysis/BreakSearch.h"
#include "document/AnalysisFileChecks.h"
#include "document/AnalysisFileFormat.h"
#include "document/JsonFieldReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace id {

namespace {

using namespace analysisfile;

OneBasedArray<double> oneBased(const std::vector<double>& values) {
    OneBasedArray<double> array;
    array.values() = values;
    return array;
}

// A set of points: its numbers among the measured points ("1-40 52"), or its own lists.
void readPointSet(JsonFieldReader& r, const QJsonObject& o, const QString& path,
                  const Measurements& m, OneBasedArray<double>& rates,
                  OneBasedArray<double>& pressures) {
    if (!o.contains("points")) {
        rates = oneBased(r.numbers(o, path, "rates", MostRows));
        pressures = oneBased(r.numbers(o, path, "pressures", MostRows));
        if (!r.failed() && rates.size() != pressures.size())
            r.fail(path, QStringLiteral("содержит разное число дебитов и давлений"));
        return;
    }
    const QString ranges = r.text(r.field(o, path, "points"), path + "points", 16 * MostRows);
    rates = {};
    pressures = {};
    if (r.failed())
        return;
    const std::optional<std::vector<int>> numbers = readNumberRanges(ranges, m.count(), MostRows);
    if (!numbers) {
        r.fail(path + "points", QStringLiteral("содержит не номера измеренных точек по порядку"));
        return;
    }
    // All the measured points, in order (strictly rising numbers from the first to the last):
    // the measured lists themselves, shared rather than copied.
    if (static_cast<int>(numbers->size()) == m.count() &&
        (numbers->empty() || (numbers->front() == 1 && numbers->back() == m.count()))) {
        rates = m.rates();
        pressures = m.pressures();
        return;
    }
    for (int i : *numbers) {
        rates.append(m.rate(i));
        pressures.append(m.pressure(i));
    }
}

TrendRecord readTrend(JsonFieldReader& r, const QJsonObject& o, const QString& path,
                      const Measurements& m) {
    TrendRecord t;
    t.Kind = static_cast<std::int16_t>(r.integer(o, path, "kind", 0, FetkovichModel));
    if (!r.failed() && t.Kind == 1)
        r.fail(path + "kind", QStringLiteral("должно быть от 2 до 7 или 0"));
    const std::vector<double> c = r.numbers(o, path, "coefficients", 4);
    if (!r.failed() && t.Kind != NoTrend && static_cast<int>(c.size()) != coefficientCount(t.Kind))
        r.fail(path + "coefficients", QStringLiteral("не соответствует виду линии тренда"));
    t.Coefficients = oneBased(c);
    t.RateFrom = r.number(o, path, "rateFrom");
    t.RateTo = r.number(o, path, "rateTo");
    t.RSquared = r.number(o, path, "rSquared");
    t.Coefficient = r.number(o, path, "coefficient");
    if (o.contains("joined"))
        t.Joined = r.boolean(o, path, "joined");
    if (isInflowModelKind(t.Kind)) {
        t.SaturationPressure = r.number(o, path, "saturationPressure");
        t.ReservoirGiven = r.boolean(o, path, "reservoirGiven");
    }
    // The trend's own points came after the first files: absent, the trend has no statistics.
    if (o.contains("rates") || o.contains("pressures") || o.contains("points"))
        readPointSet(r, o, path, m, t.Rates, t.Pressures);
    return t;
}

// The table is read only where it is kept: a check of the file leaves it empty.
void readTable(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s, bool kept) {
    if (r.columnar()) {
        const QJsonObject table = r.object(o, "", "table");
        const int rows = r.integer(table, "table.", "rows", 0, static_cast<int>(MostRows));
        if (r.failed())
            return;
        using Cell = std::function<void(qsizetype, QString)>;
        const auto into = [&](QString MeasurementRow::*field) {
            return kept ? Cell([&s, field](qsizetype i, QString cell) {
                s.Table[i].*field = std::move(cell);
            })
                        : Cell();
        };
        if (kept)
            s.Table.resize(rows);
        r.textColumn(table, "table.", "rates", rows, into(&MeasurementRow::Rate));
        r.textColumn(table, "table.", "pressures", rows, into(&MeasurementRow::Pressure));
        r.textColumn(table, "table.", "dates", rows, into(&MeasurementRow::Date));
        if (table.contains("excluded")) {
            const QString text = r.text(r.field(table, "table.", "excluded"), "table.excluded",
                                        16 * qsizetype(rows) + 16);
            const std::optional<std::vector<int>> excluded =
                r.failed() ? std::nullopt : readNumberRanges(text, rows, rows);
            if (!excluded) {
                r.fail("table.excluded", QStringLiteral("содержит не номера строк таблицы"));
                return;
            }
            if (kept)
                for (int row : *excluded)
                    s.Table[row - 1].Excluded = true;
        }
        return;
    }
    const QJsonArray table = r.array(o, "", "table", MostRows);
    for (qsizetype i = 0; i < table.size() && !r.failed(); ++i) {
        const QString path = QStringLiteral("table[%1]").arg(i);
        const QJsonValue rowValue = table.at(i);
        if (!rowValue.isArray() || rowValue.toArray().size() != 3) {
            r.fail(path, QStringLiteral("должно быть списком из трёх текстов"));
            break;
        }
        const QJsonArray row = rowValue.toArray();
        MeasurementRow cells{r.text(row.at(0), path + "[0]"), r.text(row.at(1), path + "[1]"),
                             r.text(row.at(2), path + "[2]")};
        if (kept)
            s.Table.append(std::move(cells));
    }
}

void readInputs(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    const QJsonObject inputs = r.object(o, "", "inputs");
    FormationInputs& f = s.Inputs;
    f.Pnas = r.text(inputs, "inputs.", "Pnas");
    f.Skin = r.text(inputs, "inputs.", "Skin");
    f.Rkontur = r.text(inputs, "inputs.", "Rkontur");
    f.Rwell = r.text(inputs, "inputs.", "Rwell");
    // The models' box came after the first files.
    if (inputs.contains("ModelPres"))
        f.ModelPres = r.text(inputs, "inputs.", "ModelPres");
    f.SaturationPressure = r.number(inputs, "inputs.", "saturationPressure");
    f.SkinFactor = r.number(inputs, "inputs.", "skinFactor");
    f.Transmissibility = r.number(inputs, "inputs.", "transmissibility");
    f.DrainageRadius = r.number(inputs, "inputs.", "drainageRadius");
    f.WellRadius = r.number(inputs, "inputs.", "wellRadius");
    const QString estimation = r.text(o, "", "estimation");
    if (estimation == estimationName(EstimationMode::TransmissibilityFromSkin))
        s.Estimation = EstimationMode::TransmissibilityFromSkin;
    else if (estimation == estimationName(EstimationMode::SkinFromTransmissibility))
        s.Estimation = EstimationMode::SkinFromTransmissibility;
    else if (estimation == estimationName(EstimationMode::None))
        s.Estimation = EstimationMode::None;
    else
        r.fail("estimation", QStringLiteral("содержит неизвестный способ оценки"));
    s.SelectionMode = r.boolean(o, "", "selectionMode");
    s.ManualPick = r.boolean(o, "", "manualPick");
    s.AutoSearch = r.boolean(o, "", "autoSearch");
}

void readPoints(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    const QJsonObject measured = r.object(o, "", "measurements");
    const std::vector<double> rates = r.numbers(measured, "measurements.", "rates", MostRows);
    const std::vector<double> pressures =
        r.numbers(measured, "measurements.", "pressures", MostRows);
    if (!r.failed() && rates.size() != pressures.size())
        r.fail("measurements", QStringLiteral("содержит разное число дебитов и давлений"));
    // First-version files count the points they use beside the lists.
    const int count = measured.contains("count") ? r.integer(measured, "measurements.", "count", 0,
                                                             static_cast<int>(rates.size()))
                                                 : static_cast<int>(rates.size());
    for (int i = 0; i < count && !r.failed(); ++i)
        s.Measurements.append(rates[static_cast<std::size_t>(i)],
                              pressures[static_cast<std::size_t>(i)]);
    // Points left out came with the columnar files.
    if (o.contains("excludedPoints")) {
        const QJsonObject out = r.object(o, "", "excludedPoints");
        const std::vector<double> outRates = r.numbers(out, "excludedPoints.", "rates", MostRows);
        const std::vector<double> outPressures =
            r.numbers(out, "excludedPoints.", "pressures", MostRows);
        if (!r.failed() && outRates.size() != outPressures.size())
            r.fail("excludedPoints", QStringLiteral("содержит разное число дебитов и давлений"));
        for (std::size_t i = 0; i < outRates.size() && !r.failed(); ++i)
            s.ExcludedPoints.append(outRates[i], outPressures[i]);
    }

    const QJsonObject fit = r.object(o, "", "fitSet");
    readPointSet(r, fit, "fitSet.", s.Measurements, s.FitRates, s.FitPressures);
    if (fit.contains("count") && !r.failed()) {
        const int used = r.integer(fit, "fitSet.", "count", 0, s.FitRates.size());
        s.FitRates.resize(used);
        s.FitPressures.resize(used);
    }
    s.FitRateFrom = r.number(fit, "fitSet.", "rateFrom");
    s.FitRateTo = r.number(fit, "fitSet.", "rateTo");
}

void readAxes(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    const QJsonObject axes = r.object(o, "", "axes");
    s.IdAxisXMin = r.number(axes, "axes.", "diagramRateMin");
    s.IdAxisXMax = r.number(axes, "axes.", "diagramRateMax");
    s.IdAxisYTop = r.number(axes, "axes.", "diagramPressureTop");
    s.IdAxisYBottom = r.number(axes, "axes.", "diagramPressureBottom");
    s.PiAxisXMin = r.number(axes, "axes.", "piRateMin");
    s.PiAxisXMax = r.number(axes, "axes.", "piRateMax");
    s.PiAxisYTop = r.number(axes, "axes.", "piIndexTop");
    s.PiAxisYBottom = r.number(axes, "axes.", "piIndexBottom");
}

// The PI chart kept while no trend is counted, when there is one (files before it have none).
void readKeptPiChart(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    if (!o.contains("keptPiChart"))
        return;
    const QJsonObject kept = r.object(o, "", "keptPiChart");
    KeptPiChart k;
    k.SelectionMode = r.boolean(kept, "keptPiChart.", "selectionMode");
    const QJsonArray axes = r.array(kept, "keptPiChart.", "axes", 4);
    const QJsonArray trends = r.array(kept, "keptPiChart.", "trends", 2);
    if (!r.failed() && (axes.size() != 4 || trends.size() != 2))
        r.fail("keptPiChart", QStringLiteral("должно содержать четыре границы осей и две линии"));
    if (r.failed())
        return;
    double* limits[] = {&k.PiAxisXMin, &k.PiAxisXMax, &k.PiAxisYTop, &k.PiAxisYBottom};
    for (int i = 0; i < 4; ++i)
        *limits[i] = r.number(axes.at(i), QStringLiteral("keptPiChart.axes[%1]").arg(i));
    for (int slot = 1; slot <= 2 && !r.failed(); ++slot) {
        const QString path = QStringLiteral("keptPiChart.trends[%1].").arg(slot - 1);
        if (!trends.at(slot - 1).isObject())
            r.fail(path, QStringLiteral("должно быть объектом"));
        else
            (slot == 1 ? k.FirstTrend : k.SecondTrend) =
                readTrend(r, trends.at(slot - 1).toObject(), path, s.Measurements);
    }
    s.PiChartKept = k;
}

void readTrends(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    s.TrendCount = static_cast<std::int16_t>(r.integer(o, "", "trendCount", 0, 2));
    const QJsonArray trends = r.array(o, "", "trends", 2);
    if (!r.failed() && trends.size() != 2)
        r.fail("trends", QStringLiteral("должно содержать две записи"));
    for (int slot = 1; slot <= 2 && !r.failed(); ++slot) {
        const QJsonValue t = trends.at(slot - 1);
        const QString path = QStringLiteral("trends[%1].").arg(slot - 1);
        if (!t.isObject())
            r.fail(path, QStringLiteral("должно быть объектом"));
        else
            s.trend(slot) = readTrend(r, t.toObject(), path, s.Measurements);
    }
}

// A break: found again from the points of its two lines, and what the file says of it must be
// what they give.
void readBreak(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    if (!o.contains("break"))
        return;
    const QJsonObject kept = r.object(o, "", "break");
    const double rate = r.number(kept, "break.", "rate");
    const std::vector<double> c = r.numbers(kept, "break.", "coefficients", 3);
    const double p = r.number(kept, "break.", "pValue");
    if (r.failed())
        return;
    std::vector<double> rates, pressures;
    for (const TrendRecord* t : {&s.FirstTrend, &s.SecondTrend}) {
        rates.insert(rates.end(), t->Rates.values().begin(), t->Rates.values().end());
        pressures.insert(pressures.end(), t->Pressures.values().begin(),
                         t->Pressures.values().end());
    }
    const BreakSearchResult found = findBreak(rates, pressures);
    const auto close = [](double a, double b) {
        return std::abs(a - b) <= 1e-9 * std::max({std::abs(a), std::abs(b), 1e-300});
    };
    if (!found.fit || c.size() != 3 || !close(found.fit->breakRate, rate) ||
        !close(found.fit->intercept, c[0]) || !close(found.fit->slope, c[1]) ||
        !close(found.fit->slopeChange, c[2])) {
        r.fail("break", QStringLiteral("не соответствует точкам своих линий"));
        return;
    }
    BreakRecord b = breakRecord(rates, pressures, *found.fit);
    // Another build draws other noise: its p may differ by a few draws, and is kept as it was.
    // A p of draws stopped early (not significant either way) differs within its error.
    const double tolerance = b.Test.draws < BreakBootstrapDraws
                                 ? std::max(0.02, 2 * breakMonteCarloError(b.Test))
                                 : 0.02;
    if (!(std::abs(b.Test.pValue - p) <= tolerance)) {
        r.fail("break.pValue", QStringLiteral("не соответствует точкам своих линий"));
        return;
    }
    b.Test.pValue = p;
    s.Break = b;
}

// The results and the mouse selection. Files before the fourth version also kept the rows the
// table showed: they are made from the results, so those are not read.
void readResults(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    const QJsonObject results = r.object(o, "", "results");
    s.ProductivityIndex = r.number(results, "results.", "productivityIndex");
    s.SecondProductivityIndex = r.number(results, "results.", "secondProductivityIndex");
    s.ReservoirPressure = r.number(results, "results.", "reservoirPressure");
    s.AllowedBottomholePressure = r.number(results, "results.", "allowedPressure");

    const QJsonArray selection = r.array(o, "", "selection", 4);
    if (!r.failed() && selection.size() != 4)
        r.fail("selection", QStringLiteral("должно содержать четыре числа"));
    if (!r.failed()) {
        s.SelectionX1 = r.number(selection.at(0), "selection[0]");
        s.SelectionY1 = r.number(selection.at(1), "selection[1]");
        s.SelectionX2 = r.number(selection.at(2), "selection[2]");
        s.SelectionY2 = r.number(selection.at(3), "selection[3]");
    }
}

void readShown(JsonFieldReader& r, const QJsonObject& o, AnalysisState& s) {
    const QJsonObject shown = r.object(o, "", "shown");
    s.DiagramShown = r.boolean(shown, "shown.", "diagram");
    s.PiChartShown = r.boolean(shown, "shown.", "piChart");
    s.ResultsShown = r.boolean(shown, "shown.", "results");
    s.AllowedPressureBoxesShown = r.boolean(shown, "shown.", "allowedPressureBoxes");
    if (shown.contains("confidenceBands"))
        s.ConfidenceBands = r.boolean(shown, "shown.", "confidenceBands");
}

// Whether the bytes are a file of ours that this version reads: why not, if not.
std::optional<QString> headerProblem(const QByteArray& bytes, QJsonObject& o) {
    if (bytes.size() > LargestFile)
        return QStringLiteral("он слишком велик для анализа одной скважины");
    QJsonParseError parse;
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError || !json.isObject())
        return QStringLiteral("это не файл анализа, или он повреждён (ошибка в знаке "
                              "%1)")
            .arg(parse.offset);
    o = json.object();
    if (o.value("format").toString() != AnalysisFileFormat)
        return QStringLiteral("это не файл анализа индикаторной диаграммы");
    const QJsonValue version = o.value("version");
    if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()) ||
        version.toDouble() < 1)
        return QStringLiteral("у файла нет номера версии");
    if (version.toDouble() > AnalysisFileVersion)
        return QStringLiteral("он создан более новой версией программы (версия файла "
                              "%1, эта программа читает до %2)")
            .arg(version.toDouble())
            .arg(AnalysisFileVersion);
    return std::nullopt;
}

} // namespace

AnalysisFileRead readAnalysis(QByteArray bytes, AnalysisReading reading) {
    const auto refused = [](const QString& why) {
        return AnalysisFileRead{std::nullopt, QStringLiteral("Файл не открыт: ") + why + "."};
    };
    AnalysisState s;
    // The file's bytes and its parsed form go as soon as the fields are read: a large analysis
    // is then held once, not three times, while it is checked. The table comes last, when the
    // rest is checked (a trend fitted again on its points) and the parsed measurements are gone:
    // the new table is held beside the analysis still open, and nothing more beside them.
    QJsonObject o;
    const std::optional<QString> problem = headerProblem(bytes, o);
    bytes = {};
    if (problem)
        return refused(*problem);
    const double version = o.value("version").toDouble();
    JsonFieldReader r(LongestText);
    r.setColumnar(version >= 3);
    s.WellType = static_cast<std::int16_t>(r.integer(o, "", "wellType", 1, 2));
    for (const auto read : {readInputs, readPoints, readAxes, readTrends, readKeptPiChart,
                            readBreak, readResults, readShown})
        if (!r.failed())
            read(r, o, s);
    if (r.failed())
        return refused(r.problem());
    if (const std::optional<QString> axis = undrawableAxis(s))
        return refused(*axis);
    if (version < 2)
        for (int slot = 1; slot <= 2; ++slot)
            rebuildFirstVersionPoints(s.trend(slot), s);
    if (const std::optional<QString> conflict = disagreement(s, version >= 2))
        return refused(*conflict);
    o.remove(QStringLiteral("measurements"));
    readTable(r, o, s, reading == AnalysisReading::Whole);
    if (r.failed())
        return refused(r.problem());
    return {std::move(s), {}};
}

} // namespace id
