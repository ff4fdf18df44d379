#include "app/AnalysisFile.h"

#include "app/AnalysisFileFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace id {

namespace {

using analysisfile::estimationName;

QJsonArray numbers(const std::vector<double>& values) {
    QJsonArray array;
    for (double v : values)
        array.append(v);
    return array;
}

QJsonObject trendObject(const TrendRecord& t) {
    return {{"kind", t.Kind},
            {"coefficients", numbers(t.Coefficients.values())},
            {"rateFrom", t.RateFrom},
            {"rateTo", t.RateTo},
            {"rSquared", t.RSquared},
            {"coefficient", t.Coefficient},
            {"rates", numbers(t.Rates.values())},
            {"pressures", numbers(t.Pressures.values())}};
}

QJsonObject inputsObject(const FormationInputs& f) {
    return {{"Pnas", f.Pnas},
            {"Skin", f.Skin},
            {"Rkontur", f.Rkontur},
            {"Rwell", f.Rwell},
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

QJsonObject keptPiChartObject(const KeptPiChart& k) {
    return {{"selectionMode", k.SelectionMode},
            {"axes", QJsonArray{k.PiAxisXMin, k.PiAxisXMax, k.PiAxisYTop, k.PiAxisYBottom}},
            {"trends", QJsonArray{trendObject(k.FirstTrend), trendObject(k.SecondTrend)}}};
}

QJsonObject documentObject(const AnalysisState& s) {
    QJsonArray table;
    for (const MeasurementRow& row : s.Table)
        table.append(QJsonArray{row.Rate, row.Pressure, row.Date});
    QJsonArray rows;
    for (const ResultRow& row : s.ResultRows)
        rows.append(QJsonArray{row.caption, row.value});
    QJsonObject document{
        {"wellType", s.WellType},
        {"table", table},
        {"inputs", inputsObject(s.Inputs)},
        {"estimation", estimationName(s.Estimation)},
        {"selectionMode", s.SelectionMode},
        {"manualPick", s.ManualPick},
        {"autoSearch", s.AutoSearch},
        {"measurements", QJsonObject{{"rates", numbers(s.Measurements.rates().values())},
                                     {"pressures", numbers(s.Measurements.pressures().values())}}},
        {"fitSet", QJsonObject{{"rates", numbers(s.FitRates.values())},
                               {"pressures", numbers(s.FitPressures.values())},
                               {"rateFrom", s.FitRateFrom},
                               {"rateTo", s.FitRateTo}}},
        {"axes", axesObject(s)},
        {"trendCount", s.TrendCount},
        {"trends", QJsonArray{trendObject(s.FirstTrend), trendObject(s.SecondTrend)}},
        {"results", QJsonObject{{"productivityIndex", s.ProductivityIndex},
                                {"secondProductivityIndex", s.SecondProductivityIndex},
                                {"reservoirPressure", s.ReservoirPressure},
                                {"allowedPressure", s.AllowedBottomholePressure}}},
        {"resultRows", rows},
        {"selection", QJsonArray{s.SelectionX1, s.SelectionY1, s.SelectionX2, s.SelectionY2}},
        {"shown", QJsonObject{{"diagram", s.DiagramShown},
                              {"piChart", s.PiChartShown},
                              {"results", s.ResultsShown},
                              {"allowedPressureBoxes", s.AllowedPressureBoxesShown},
                              {"confidenceBands", s.ConfidenceBands}}},
    };
    if (s.PiChartKept)
        document["keptPiChart"] = keptPiChartObject(*s.PiChartKept);
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
