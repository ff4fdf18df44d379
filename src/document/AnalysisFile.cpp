#include "document/AnalysisFile.h"

#include "document/AnalysisFileFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <charconv>
#include <optional>

namespace id {

namespace {

using analysisfile::estimationName;

// A column of numbers as one text: each the shortest that reads back as the same double.
QJsonValue numbers(const std::vector<double>& values) {
    QByteArray text;
    text.reserve(static_cast<qsizetype>(values.size() * 10));
    char digits[32];
    for (double v : values) {
        if (!text.isEmpty())
            text += ' ';
        const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
        text.append(digits, end - digits);
    }
    // Kept as the Latin-1 it is: no wide copy of a column of a hundred thousand numbers.
    return QJsonValue(QLatin1StringView(text));
}

// Points that are measured points, in order, as the ranges of their numbers among them
// ("1-40 52 60-75"); none when some point is not one of them.
std::optional<QString> pointRanges(const OneBasedArray<double>& rates,
                                   const OneBasedArray<double>& pressures, const Measurements& m) {
    std::vector<int> numbers;
    int next = 1;
    for (int i = 1; i <= rates.size(); ++i) {
        while (next <= m.count() && !(m.rate(next) == rates[i] && m.pressure(next) == pressures[i]))
            ++next;
        if (next > m.count())
            return std::nullopt;
        numbers.push_back(next++);
    }
    return analysisfile::numberRanges(numbers);
}

// A set of points: by their numbers among the measured points where they are some of them.
void addPoints(QJsonObject& o, const OneBasedArray<double>& rates,
               const OneBasedArray<double>& pressures, const Measurements& m) {
    if (const std::optional<QString> ranges = pointRanges(rates, pressures, m)) {
        o["points"] = *ranges;
        return;
    }
    o["rates"] = numbers(rates.values());
    o["pressures"] = numbers(pressures.values());
}

QJsonObject trendObject(const TrendRecord& t, const Measurements& m) {
    QJsonObject o{{"kind", t.Kind},         {"coefficients", numbers(t.Coefficients.values())},
                  {"rateFrom", t.RateFrom}, {"rateTo", t.RateTo},
                  {"rSquared", t.RSquared}, {"coefficient", t.Coefficient}};
    addPoints(o, t.Rates, t.Pressures, m);
    if (t.Joined)
        o["joined"] = true;
    if (isInflowModelKind(t.Kind)) {
        o["saturationPressure"] = t.SaturationPressure;
        o["reservoirGiven"] = t.ReservoirGiven;
    }
    return o;
}

QJsonObject inputsObject(const FormationInputs& f) {
    return {{"Pnas", f.Pnas},
            {"Skin", f.Skin},
            {"Rkontur", f.Rkontur},
            {"Rwell", f.Rwell},
            {"ModelPres", f.ModelPres},
            {"saturationPressure", f.SaturationPressure},
            {"skinFactor", f.SkinFactor},
            {"transmissibility", f.Transmissibility},
            {"drainageRadius", f.DrainageRadius},
            {"wellRadius", f.WellRadius}};
}

QJsonObject axesObject(const AnalysisState& s) {
    return {{"diagramRateMin", s.IdAxisXMin},     {"diagramRateMax", s.IdAxisXMax},
            {"diagramPressureTop", s.IdAxisYTop}, {"diagramPressureBottom", s.IdAxisYBottom},
            {"piRateMin", s.PiAxisXMin},          {"piRateMax", s.PiAxisXMax},
            {"piIndexTop", s.PiAxisYTop},         {"piIndexBottom", s.PiAxisYBottom}};
}

QJsonObject keptPiChartObject(const KeptPiChart& k, const Measurements& m) {
    return {{"selectionMode", k.SelectionMode},
            {"axes", QJsonArray{k.PiAxisXMin, k.PiAxisXMax, k.PiAxisYTop, k.PiAxisYBottom}},
            {"trends", QJsonArray{trendObject(k.FirstTrend, m), trendObject(k.SecondTrend, m)}}};
}

// The table by columns, a cell a line: no typed or pasted cell holds a line break.
QJsonObject tableObject(const QList<MeasurementRow>& table) {
    // Each column joined straight into its text, without a list of its cells first.
    const auto column = [&](QString MeasurementRow::*cell) {
        qsizetype length = 0;
        for (const MeasurementRow& row : table)
            length += (row.*cell).size() + 1;
        QString text;
        text.reserve(length);
        for (qsizetype i = 0; i < table.size(); ++i) {
            if (i > 0)
                text += u'\n';
            text += table[i].*cell;
        }
        return text;
    };
    QJsonObject o{{"rows", table.size()},
                  {"rates", column(&MeasurementRow::Rate)},
                  {"pressures", column(&MeasurementRow::Pressure)},
                  {"dates", column(&MeasurementRow::Date)}};
    // The rows left out, by their numbers.
    std::vector<int> excluded;
    for (qsizetype i = 0; i < table.size(); ++i)
        if (table[i].Excluded)
            excluded.push_back(static_cast<int>(i + 1));
    if (!excluded.empty())
        o["excluded"] = analysisfile::numberRanges(excluded);
    return o;
}

QJsonObject documentObject(const AnalysisState& s) {
    QJsonObject fitSet{{"rateFrom", s.FitRateFrom}, {"rateTo", s.FitRateTo}};
    addPoints(fitSet, s.FitRates, s.FitPressures, s.Measurements);
    QJsonObject document{
        {"wellType", s.WellType},
        {"table", tableObject(s.Table)},
        {"inputs", inputsObject(s.Inputs)},
        {"estimation", estimationName(s.Estimation)},
        {"selectionMode", s.SelectionMode},
        {"manualPick", s.ManualPick},
        {"autoSearch", s.AutoSearch},
        {"measurements", QJsonObject{{"rates", numbers(s.Measurements.rates().values())},
                                     {"pressures", numbers(s.Measurements.pressures().values())}}},
        {"excludedPoints",
         QJsonObject{{"rates", numbers(s.ExcludedPoints.rates().values())},
                     {"pressures", numbers(s.ExcludedPoints.pressures().values())}}},
        {"fitSet", fitSet},
        {"axes", axesObject(s)},
        {"trendCount", s.TrendCount},
        {"trends", QJsonArray{trendObject(s.FirstTrend, s.Measurements),
                              trendObject(s.SecondTrend, s.Measurements)}},
        {"results", QJsonObject{{"productivityIndex", s.ProductivityIndex},
                                {"secondProductivityIndex", s.SecondProductivityIndex},
                                {"reservoirPressure", s.ReservoirPressure},
                                {"allowedPressure", s.AllowedBottomholePressure}}},
        {"selection", QJsonArray{s.SelectionX1, s.SelectionY1, s.SelectionX2, s.SelectionY2}},
        {"shown", QJsonObject{{"diagram", s.DiagramShown},
                              {"piChart", s.PiChartShown},
                              {"results", s.ResultsShown},
                              {"allowedPressureBoxes", s.AllowedPressureBoxesShown},
                              {"confidenceBands", s.ConfidenceBands}}},
    };
    if (s.PiChartKept)
        document["keptPiChart"] = keptPiChartObject(*s.PiChartKept, s.Measurements);
    if (s.Break) {
        // The break is found again from its lines' points on opening; what it gave is kept to be
        // checked against that.
        const BreakFit& f = s.Break->Fit;
        document["break"] = QJsonObject{
            {"rate", f.breakRate},
            {"coefficients", numbers(std::vector<double>{f.intercept, f.slope, f.slopeChange})},
            {"pValue", s.Break->Test.pValue}};
    }
    return document;
}

} // namespace

QByteArray writeAnalysis(const AnalysisState& s) {
    QByteArray body = QJsonDocument(documentObject(s)).toJson(QJsonDocument::Indented);
    // The format and its version come first, where a reader (or a person) looks; the JSON
    // writer would sort them among the other keys.
    const QByteArray head = QJsonDocument(QJsonObject{{"format", AnalysisFileFormat}})
                                .toJson(QJsonDocument::Compact)
                                .mid(1)
                                .chopped(1)
                                .replace("\":", "\": ");
    body.insert(body.indexOf('\n') + 1, "    " + head + ",\n    \"version\": " +
                                            QByteArray::number(AnalysisFileVersion) + ",\n");
    return body;
}

} // namespace id
