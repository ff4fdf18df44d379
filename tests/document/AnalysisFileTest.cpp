#include "document/AnalysisFile.h"
#include "analysis/ResultRows.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <gtest/gtest.h>

namespace id {
namespace {

// An analysis with every part away from its default.
AnalysisState everything() {
    AnalysisState s;
    s.WellType = InjectionWell;
    s.Table = {{"10", "20,5", "01.02.2023"}, {"20", "", ""}, {"", "17", "x"}};
    s.Inputs = {"", "-2", "500", "0.1", "25,5", 2, -2, 10, 500, 0.1};
    s.Estimation = EstimationMode::TransmissibilityFromSkin;
    s.SelectionMode = true;
    s.AutoSearch = true;
    s.Table[1].Excluded = true;
    s.Measurements.append(10, 20.5);
    s.Measurements.append(30, 17);
    s.ExcludedPoints.append(5, 21.25);
    s.FitRates = {10, 30};
    s.FitPressures = {20.5, 17};
    s.FitRateFrom = 10;
    s.FitRateTo = 30;
    s.IdAxisXMax = 40;
    s.IdAxisYTop = 0;
    s.IdAxisYBottom = 25;
    s.PiAxisXMax = 40;
    s.PiAxisYTop = 12.5;
    s.TrendCount = 2;
    s.FirstTrend = {LinearTrend, {0.175, 18.75}, 0, 30, 1, 5.714285714285714};
    s.FirstTrend.Rates = {10, 30};
    s.FirstTrend.Pressures = {20.5, 24};
    // The second trend is what the fit makes of its points.
    s.SecondTrend.Kind = CubicTrend;
    s.SecondTrend.Rates = {10, 20, 25, 30, 40};
    s.SecondTrend.Pressures = {20, 21, 21.7, 22, 24};
    const auto fit = LeastSquaresFitService().fit(s.SecondTrend.Rates.values(),
                                                  s.SecondTrend.Pressures.values(), 3);
    s.SecondTrend.Coefficients = {fit.coefficients[0], fit.coefficients[1], fit.coefficients[2],
                                  fit.coefficients[3]};
    s.SecondTrend.RSquared = fit.statistics->rSquared;
    s.SecondTrend.RateFrom = 10;
    s.SecondTrend.RateTo = 30;
    s.ProductivityIndex = 5.714285714285714;
    s.ReservoirPressure = 18.75;
    s.AllowedBottomholePressure = 12.64;
    s.SelectionX1 = 1.5;
    s.SelectionY2 = -3;
    s.DiagramShown = true;
    s.PiChartShown = true;
    s.AllowedPressureBoxesShown = true;
    s.ConfidenceBands = true;
    keepPiChart(s);
    s.PiChartKept->PiAxisYTop = 8;
    UpdateResultsTable(s);
    return s;
}

// Files written by earlier versions, kept in the repository: every later version opens them.
TEST(AnalysisFile, EarlierVersionsStillOpen) {
    QFile second(ID_SOURCE_DIR "/tests/data/analysis-v2.ida");
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    const AnalysisFileRead read = readAnalysis(second.readAll());
    ASSERT_TRUE(read.state) << read.error.toStdString();
    // Points left out and the models' box came after the second version.
    AnalysisState expectedSecond = everything();
    expectedSecond.Inputs.ModelPres.clear();
    expectedSecond.Table[1].Excluded = false;
    expectedSecond.ExcludedPoints.clear();
    EXPECT_TRUE(*read.state == expectedSecond);

    QFile first(ID_SOURCE_DIR "/tests/data/analysis-v1.ida");
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const AnalysisFileRead firstRead = readAnalysis(first.readAll());
    ASSERT_TRUE(firstRead.state) << firstRead.error.toStdString();
    AnalysisState expected = everything();
    expected.Inputs.ModelPres.clear();
    expected.Table[1].Excluded = false;
    expected.ExcludedPoints.clear();
    expected.ConfidenceBands = false; // the bands and the kept chart came after the first version
    expected.PiChartKept.reset();
    expected.FirstTrend.Rates = {};
    expected.FirstTrend.Pressures = {};
    expected.SecondTrend = {CubicTrend, {1e-9, -2e-5, 0.3, 1}, 10, 30, 0.9987654321, 0};
    // That file kept the box's transmissibility, not the estimate: it is read as it stands (the
    // table's estimate is made from the coefficient and the skin factor all the same).
    expected.Inputs.Transmissibility = 10;
    EXPECT_TRUE(*firstRead.state == expected);
    EXPECT_EQ(resultRows(*firstRead.state), resultRows(expected));
}

QJsonObject sample(const char* name) {
    QFile f(QString(ID_SOURCE_DIR "/tests/data/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object();
}

// A file of any version that opens saves to one that opens to the same analysis; a first-version
// trend gets back the points it was made from, or the save is refused before anything is written.
TEST(AnalysisFile, EveryVersionSavesAndReopensEqual) {
    // The first sample's lines go through neither its fit set nor its measured points.
    const QJsonObject first = sample("analysis-v1.ida");
    const AnalysisFileRead undetermined = readAnalysis(QJsonDocument(first).toJson());
    ASSERT_TRUE(undetermined.state);
    EXPECT_TRUE(unopenableProblem(*undetermined.state)
                    .value_or("")
                    .startsWith("линия тренда 1 из файла первой версии"));
    // The same file whose line was made from its fit set: (10; 20,5) and (30; 24) give, by hand,
    // the slope 3,5/20 = 0,175 and 20,5 - 1,75 = 18,75, the line the file holds.
    QJsonObject made = first;
    const QJsonArray twoPressures{20.5, 24};
    for (const char* set : {"measurements", "fitSet"}) {
        QJsonObject o = made[set].toObject();
        o["pressures"] = twoPressures;
        made[set] = o;
    }
    QJsonArray trends = made["trends"].toArray();
    trends[1] = QJsonObject{{"kind", 0},     {"coefficients", QJsonArray{}},
                            {"rateFrom", 0}, {"rateTo", 0},
                            {"rSquared", 0}, {"coefficient", 0}};
    made["trends"] = trends;
    made["trendCount"] = 1;
    const AnalysisFileRead rebuilt = readAnalysis(QJsonDocument(made).toJson());
    ASSERT_TRUE(rebuilt.state) << rebuilt.error.toStdString();
    EXPECT_EQ(rebuilt.state->FirstTrend.Pressures.values(), (std::vector<double>{20.5, 24}));
    QFile second(ID_SOURCE_DIR "/tests/data/analysis-v2.ida");
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    for (const AnalysisFileRead& opened : {rebuilt, readAnalysis(second.readAll())}) {
        ASSERT_TRUE(opened.state) << opened.error.toStdString();
        EXPECT_FALSE(unopenableProblem(*opened.state));
        const AnalysisFileRead again = readAnalysis(writeAnalysis(*opened.state));
        ASSERT_TRUE(again.state) << again.error.toStdString();
        EXPECT_TRUE(*again.state == *opened.state);
    }
}

TEST(AnalysisFile, WholeDocumentSurvivesTheRoundTrip) {
    // A fit set of some measured points is kept by their numbers ("1 3-4").
    AnalysisState picked = everything();
    picked.Measurements.append(40, 15);
    picked.Measurements.append(50, 14.25);
    picked.FitRates = {10, 40, 50};
    picked.FitPressures = {20.5, 15, 14.25};
    for (const AnalysisState& s : {AnalysisState{}, everything(), picked}) {
        const AnalysisFileRead read = readAnalysis(writeAnalysis(s));
        ASSERT_TRUE(read.state) << read.error.toStdString();
        EXPECT_TRUE(*read.state == s);
        // Statistics are not stored: they come from the fit that checks the trend's points.
        EXPECT_EQ(bool(read.state->SecondTrend.Statistics), s.SecondTrend.Kind != NoTrend);
    }
    const QJsonObject o = QJsonDocument::fromJson(writeAnalysis(picked)).object();
    EXPECT_EQ(o.value("fitSet").toObject().value("points").toString(), "1 3-4");
    EXPECT_EQ(o.value("format").toString(), "indicator-diagram-analysis");
    EXPECT_EQ(o.value("version").toInt(), AnalysisFileVersion);
}

// Each field away from the value the whole-document sample gives it comes back as written: a
// field the reader skipped would come back as its default or as the sample's.
TEST(AnalysisFile, EachFieldComesBackAsWritten) {
    const struct {
        const char* field;
        std::function<void(AnalysisState&)> change;
    } changes[] = {
        {"manualPick",
         [](AnalysisState& s) {
             s.ManualPick = true;
             s.AutoSearch = false;
         }},
        {"autoSearch",
         [](AnalysisState& s) {
             // Without a way to find it there is no allowed pressure.
             s.AutoSearch = false;
             s.AllowedBottomholePressure = 0;
         }},
        {"shown.results", [](AnalysisState& s) { s.ResultsShown = false; }},
        {"shown.confidenceBands", [](AnalysisState& s) { s.ConfidenceBands = false; }},
        {"inputs.Pnas", [](AnalysisState& s) { s.Inputs.Pnas = "3,5"; }},
        {"inputs.ModelPres", [](AnalysisState& s) { s.Inputs.ModelPres = "26"; }},
        {"estimation", [](AnalysisState& s) { s.Estimation = EstimationMode::None; }},
        {"axes.rate minimum", [](AnalysisState& s) { s.IdAxisXMin = 5; }},
        {"axes.PI bottom", [](AnalysisState& s) { s.PiAxisYBottom = 1; }},
        {"selection", [](AnalysisState& s) { s.SelectionY1 = 3; }},
        {"results.allowedPressure", [](AnalysisState& s) { s.AllowedBottomholePressure = 11; }},
        {"table.dates", [](AnalysisState& s) { s.Table[0].Date = "02.03.2024"; }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.field);
        AnalysisState s = everything();
        c.change(s);
        ASSERT_FALSE(s == everything());
        const AnalysisFileRead read = readAnalysis(writeAnalysis(s));
        ASSERT_TRUE(read.state) << read.error.toStdString();
        EXPECT_TRUE(*read.state == s);
    }
}

// Files that are not ours, broken or absurd: refused with a message naming the problem.
TEST(AnalysisFile, BadFilesAreRefusedWithTheirProblem) {
    const QByteArray good = writeAnalysis(everything());
    const auto edited = [&](const std::function<void(QJsonObject&)>& change) {
        QJsonObject o = QJsonDocument::fromJson(good).object();
        change(o);
        return QJsonDocument(o).toJson();
    };
    const auto set = [&](const char* key, const QJsonValue& value) {
        return edited([&](QJsonObject& o) { o[key] = value; });
    };
    const auto setIn = [&](const char* object, const char* key, const QJsonValue& value) {
        return edited([&](QJsonObject& o) {
            QJsonObject inner = o[object].toObject();
            inner[key] = value;
            o[object] = inner;
        });
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        QString problem;
    };
    const Case cases[] = {
        {"empty file", "", "это не файл анализа"},
        {"plain text", "Дебит;Давление\n10;20\n", "это не файл анализа"},
        {"a JSON list", "[1, 2, 3]", "это не файл анализа"},
        {"another program's JSON", R"({"format": "spreadsheet", "version": 1})",
         "не файл анализа индикаторной диаграммы"},
        {"truncated", good.left(good.size() / 2), "это не файл анализа"},
        {"no version", edited([](QJsonObject& o) { o.remove("version"); }), "нет номера версии"},
        {"newer version", set("version", AnalysisFileVersion + 1), "более новой версией программы"},
        {"missing table", edited([](QJsonObject& o) { o.remove("table"); }),
         "поле \"table\" отсутствует"},
        {"well type as text", set("wellType", "1"), "поле \"wellType\" должно быть числом"},
        {"unknown well type", set("wellType", 3), "\"wellType\" должно быть целым от 1 до 2"},
        {"infinite number",
         QByteArray(good).replace("\"reservoirPressure\": 18.75", "\"reservoirPressure\": 1e999"),
         "это не файл анализа"},
        {"NaN",
         QByteArray(good).replace("\"reservoirPressure\": 18.75", "\"reservoirPressure\": NaN"),
         "это не файл анализа"},
        {"a column short of the rows", setIn("table", "rows", 5),
         "\"table.rates\" содержит не 5 строк"},
        {"number in the table", setIn("table", "pressures", 2),
         "\"table.pressures\" должно быть текстом"},
        {"not a number among numbers", setIn("measurements", "rates", "10 3O"),
         "\"measurements.rates\" содержит не число в знаке 3"},
        {"points not measured", setIn("fitSet", "points", "1-3"),
         "\"fitSet.points\" содержит не номера измеренных точек по порядку"},
        {"endless text", setIn("inputs", "Pnas", QString(5000, u'1')), "слишком длинный текст"},
        {"count beyond the points", setIn("measurements", "count", 3),
         "\"measurements.count\" должно быть целым от 0 до 2"},
        {"rates without pressures", setIn("measurements", "pressures", "1"),
         "разное число дебитов и давлений"},
        {"three trends", set("trendCount", 3), "\"trendCount\" должно быть целым от 0 до 2"},
        {"coefficients for another kind",
         set("trends", QJsonArray{QJsonObject{{"kind", 4},
                                              {"coefficients", "1 2"},
                                              {"rateFrom", 0},
                                              {"rateTo", 1},
                                              {"rSquared", 1},
                                              {"coefficient", 0}},
                                  QJsonObject{}}),
         "не соответствует виду линии тренда"},
        {"unknown estimate", set("estimation", "magic"), "неизвестный способ оценки"},
        {"shown axis beyond the limit", setIn("axes", "diagramRateMax", 1e11),
         "ось дебита диаграммы не может быть построена"},
        {"axis span below any drawing", setIn("axes", "diagramPressureBottom", 5e-324),
         "ось давления диаграммы не может быть построена"},
        {"results not the trend's",
         QByteArray(good).replace("\"productivityIndex\": 5.714285714285714",
                                  "\"productivityIndex\": 5"),
         "результаты не соответствуют первой линии тренда"},
        {"trend not its points", QByteArray(good).replace("\"20.5 24\"", "\"20.5 25\""),
         "линия тренда 1 не соответствует своим точкам"},
        {"a trend's R² not its own",
         QByteArray(good).replace("\"rSquared\": 1,", "\"rSquared\": 0.123,"),
         "линия тренда 1 указывает не свой R²"},
        {"an allowed pressure found by no method",
         edited([](QJsonObject& o) { o["autoSearch"] = false; }),
         "предельно-допустимое Pз указано без способа его определения"},
        {"absurd size", set("selection", QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}),
         "\"selection\" слишком длинное"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AnalysisFileRead read = readAnalysis(c.bytes);
        EXPECT_FALSE(read.state);
        EXPECT_TRUE(read.error.startsWith("Файл не открыт: ")) << read.error.toStdString();
        EXPECT_TRUE(read.error.contains(c.problem)) << read.error.toStdString();
        // The check made before a save refuses the same, though it keeps no table.
        EXPECT_EQ(readAnalysis(c.bytes, AnalysisReading::CheckOnly).error, read.error);
    }
    const AnalysisFileRead checked = readAnalysis(good, AnalysisReading::CheckOnly);
    ASSERT_TRUE(checked.state) << checked.error.toStdString();
    EXPECT_TRUE(checked.state->Table.isEmpty());
}

} // namespace
} // namespace id
