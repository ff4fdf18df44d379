#include "analysis/InflowModels.h"
#include "analysis/ResultRows.h"
#include "analysis/TrendStatistics.h"
#include "app/CommandTable.h"
#include "app/DataCommands.h"
#include "app/MenuRules.h"
#include "batch/BatchInterpretation.h"
#include "document/AnalysisDocument.h"
#include "document/AnalysisFile.h"
#include "exports/ReportText.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/NumberText.h"
#include "support/Approx.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace id {
namespace {

// The models as the menu runs them, on a well whose regimes follow Vogel's curve exactly
// (qmax 120, Pпл 25) but for the last point, which lies 0,4 МПа off.
class InflowModelCommands : public ::testing::Test {
protected:
    void SetUp() override {
        AnalysisState& s = start;
        for (double q : {10.0, 30.0, 50.0, 70.0, 90.0, 100.0}) {
            const double p =
                *modelPressure(InflowModel::Vogel, {120, 25}, 0, q) + (q == 100 ? 0.4 : 0.0);
            s.Table.append({QString::number(q), QString::number(p, 'g', 17).replace('.', ','), {}});
        }
        s.Inputs.Pnas = "12";
        document.run([&](AnalysisState& a, CommandContext&) { a = s; }, "ввод");
        choose("mIdAdd");
    }
    AnalysisDocument::Outcome choose(const char* item) {
        for (const CommandEntry& c : commandTable())
            if (QLatin1String(c.menuItem) == QLatin1String(item))
                return document.run(c.run, c.undoLabel);
        ADD_FAILURE() << item;
        return {};
    }
    QStringList rows() const {
        QStringList list;
        for (const ResultRow& r : resultRows(document.state()))
            list << r.caption + " = " + r.value;
        return list;
    }
    const AnalysisState& state() const { return document.state(); }
    AnalysisState start;
    LeastSquaresFitService fits;
    AnalysisDocument document{fits, StartOptions{}};
};

// Models take the slots in turn and give their rows; the fit set follows a point left out; the
// file keeps them and opens to the same analysis; undo takes a model off.
TEST_F(InflowModelCommands, ModelsTakeSlotsGiveRowsAndSurviveTheFile) {
    ASSERT_TRUE(choose("mTrendLine").done);
    ASSERT_TRUE(choose("mModelVogel").done);
    EXPECT_EQ(state().TrendCount, 2) << "a model stands beside the trend";
    const TrendRecord& vogel = state().SecondTrend;
    ASSERT_EQ(vogel.Kind, VogelModel);
    ASSERT_TRUE(vogel.Model.get());
    EXPECT_EQ(vogel.RSquared, vogel.Model.get()->rSquared);

    ASSERT_TRUE(choose("mModelFetkovich").done);
    EXPECT_EQ(state().SecondTrend.Kind, FetkovichModel) << "with both slots taken, the second";
    ASSERT_TRUE(choose("mModelComposite").done);
    ASSERT_TRUE(choose("mModelFetkovich").done);
    ASSERT_TRUE(document.undo({"12", "", "", "", ""}));
    EXPECT_EQ(state().SecondTrend.Kind, CompositeModel);

    // All points: the composite model above 12 МПа is the line, J its coefficient; its open flow
    // is the Vogel part's below Pнас.
    const TrendRecord& composite = state().SecondTrend;
    EXPECT_EQ(composite.SaturationPressure, 12);
    EXPECT_REL(state().SecondProductivityIndex, composite.Coefficients[1], 0);
    const double openFlow = composite.Coefficients[1] * (composite.Coefficients[2] - 12 + 12 / 1.8);
    EXPECT_EQ(rows().last(), "Максимальный дебит (Pз = 0), м3/сут = " +
                                 QString::number(openFlow, 'f', 2).replace('.', ','));

    // A point left out refits the model too; the file keeps the model and its inputs.
    const int before = composite.Rates.size();
    ASSERT_TRUE(document
                    .run(
                        [](AnalysisState& s, CommandContext& c) {
                            togglePointExclusion(s, c, 100, s.Measurements.pressure(6), 1, 0.01);
                        },
                        "исключение")
                    .done);
    EXPECT_EQ(state().SecondTrend.Rates.size(), before - 1);
    EXPECT_EQ(state().FirstTrend.Rates.size(), before - 1);

    AnalysisFileRead read = readAnalysis(writeAnalysis(state()));
    ASSERT_TRUE(read.state) << read.error.toStdString();
    EXPECT_TRUE(*read.state == state());
    ASSERT_TRUE(read.state->SecondTrend.Model.get()) << "the fit is made again on opening";
    EXPECT_EQ(read.state->SecondTrend.Model.get()->values(),
              state().SecondTrend.Model.get()->values());

    const QString csv = QString::fromUtf8(csvText(state(), false));
    EXPECT_TRUE(csv.contains("Линия тренда 2;\"Дарси + Фогель (с Pнас): J=")) << csv.toStdString();
    EXPECT_TRUE(csv.contains("Линия тренда 2 (Дарси + Фогель (с Pнас)): максимальный дебит"));

    // A model whose numbers were edited by hand is no model of its points.
    AnalysisState edited = state();
    edited.SecondTrend.Coefficients[1] *= 1.001;
    EXPECT_FALSE(readAnalysis(writeAnalysis(edited)).state);
}

// Two models: each gives its open flow, the second's rows numbered; Pпл given in the box holds.
TEST_F(InflowModelCommands, TwoModelsAndAGivenReservoirPressure) {
    document.run([](AnalysisState&, CommandContext&) {}, "ввод",
                 TypedInputs{"12", "", "", "", "25"});
    ASSERT_TRUE(choose("mModelVogel").done);
    ASSERT_TRUE(choose("mModelFetkovich").done);
    const TrendRecord& vogel = state().FirstTrend;
    EXPECT_TRUE(vogel.ReservoirGiven);
    EXPECT_EQ(vogel.Coefficients[2], 25);
    EXPECT_EQ(state().ReservoirPressure, 25);
    const QStringList list = rows();
    ASSERT_EQ(list.size(), 4) << list.join('\n').toStdString();
    EXPECT_EQ(list[0], "Пластовое давление, МПа = 25,00");
    EXPECT_TRUE(list[1].startsWith("Максимальный дебит (Pз = 0), м3/сут = "));
    EXPECT_TRUE(list[2].startsWith("Максимальный дебит 2 (Pз = 0), м3/сут = "));
    EXPECT_TRUE(list[3].startsWith("Показатель n 2 (Феткович) = "));
}

// What the models cannot be fitted to changes nothing and says why.
TEST_F(InflowModelCommands, DegenerateCasesChangeNothing) {
    struct Case {
        const char* name;
        TypedInputs typed;
        const char* item;
        const char* says;
    };
    const Case cases[] = {
        {"Pпл below a point", {"12", "", "", "", "20"}, "mModelVogel", "не ниже заданного Pпл"},
        {"Pнас above Pпл", {"40", "", "", "", ""}, "mModelComposite", "выше давления насыщения"},
        {"no Pнас", {"", "", "", "", ""}, "mModelComposite", "введите давление насыщения"},
        {"box not a number", {"12", "", "", "", "abc"}, "mModelVogel", "Проверьте пластовое"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        document.run([](AnalysisState&, CommandContext&) {}, "ввод", c.typed);
        const AnalysisState before = state();
        const AnalysisDocument::Outcome outcome = choose(c.item);
        EXPECT_TRUE(outcome.messages.join(' ').contains(QString::fromUtf8(c.says)))
            << outcome.messages.join('\n').toStdString();
        if (QByteArray(c.name) != "box not a number") {
            EXPECT_FALSE(outcome.done);
            EXPECT_TRUE(state() == before);
        }
    }
    AnalysisState injection = state();
    injection.WellType = InjectionWell;
    EXPECT_FALSE(trendMenuState(injection).models);
    EXPECT_TRUE(trendMenuState(state()).models);
}

// A point left out refits a model with the Pпл it was given, not with a box not yet applied; the
// inputs' messages of a command that fits both slots come once; a box too long for the file is
// refused before saving.
TEST_F(InflowModelCommands, RefitsKeepTheirOwnInputs) {
    document.run([](AnalysisState&, CommandContext&) {}, "ввод",
                 TypedInputs{"12", "", "", "", "26"});
    ASSERT_TRUE(choose("mModelVogel").done);
    ASSERT_TRUE(choose("mModelFetkovich").done);
    const AnalysisDocument::Outcome outcome = document.run(
        [](AnalysisState& s, CommandContext& c) {
            togglePointExclusion(s, c, 10, s.Measurements.pressure(1), 1, 0.01);
        },
        "исключение", TypedInputs{"", "", "", "", "abc"});
    ASSERT_TRUE(outcome.done);
    EXPECT_EQ(state().FirstTrend.Coefficients[2], 26);
    EXPECT_EQ(state().SecondTrend.Coefficients[3], 26);
    EXPECT_EQ(outcome.messages.size(), 1) << outcome.messages.join('\n').toStdString();

    AnalysisState longBox = state();
    longBox.Inputs.ModelPres = QString(5000, '1');
    EXPECT_TRUE(unopenableProblem(longBox));
}

// Each interval is the fit's own wherever it is read: C of Fetkovich positive on its logarithm in
// the statistics, the CSV and PDF rows and the batch summary alike; the pressure axis takes in the
// model's Pпл.
TEST_F(InflowModelCommands, IntervalsReadTheSameEverywhere) {
    ASSERT_TRUE(choose("mModelFetkovich").done);
    const InflowFit* fit = state().FirstTrend.Model.get();
    ASSERT_TRUE(fit);
    ASSERT_TRUE(fit->intervalsDetermined);
    const InflowParameter& c = fit->parameters[0];
    ASSERT_GT(c.low, 0);
    EXPECT_NEAR(std::log(c.high / c.value), std::log(c.value / c.low), 1e-9)
        << "symmetric on the logarithm";
    bool found = false;
    for (const QStringList& row : parameterRows(state()))
        if (row[0].endsWith(QStringLiteral(": C"))) {
            found = true;
            EXPECT_EQ(row[3], coefficientText(c.low));
            EXPECT_EQ(row[4], coefficientText(c.high));
        }
    EXPECT_TRUE(found);
    EXPECT_TRUE(statisticsReport(state()).contains(statisticText(c.low)));
    EXPECT_GE(state().IdAxisYTop, fit->reservoirPressure());

    BatchSettings settings;
    settings.rule = BatchRule::Fetkovich;
    WellRegimes well{1, ProducingWell, {}, {}};
    for (int i = 1; i <= state().measurementCount(); ++i) {
        well.rates.push_back(state().Measurements.rate(i));
        well.pressures.push_back(state().Measurements.pressure(i));
    }
    const WellOutcome o = interpretWell(well, settings, fits);
    ASSERT_TRUE(o.ok) << o.message.toStdString();
    const QStringList header = summaryHeader().split(u';');
    const QStringList line = summaryLine(o, settings.rule).split(u';');
    ASSERT_EQ(header.size(), line.size());
    EXPECT_EQ(skippedLine("итог.csv", settings.rule, "не номер").split(u';').size(), header.size());
    QStringList names = header;
    EXPECT_EQ(names.removeDuplicates(), 0) << "every column named once";
    const auto column = [&](const char* name) { return line[header.indexOf(name)]; };
    // The batch reads the regimes as typed, to 15 digits.
    EXPECT_REL(c.low, readNumber(column("Коэффициент C от")).value_or(0), 1e-6);
    EXPECT_REL(c.high, readNumber(column("Коэффициент C до")).value_or(0), 1e-6);
}

} // namespace
} // namespace id
