#include "analysis/ResultRows.h"
#include "support/Approx.h"

#include <QStringList>
#include <cmath>

namespace id {
namespace {

AnalysisState startState() {
    return AnalysisState{};
}

// The rows shown after the table is brought up to date (which keeps the estimate).
std::vector<ResultRow> rowsIn(AnalysisState& s, EstimationMode mode) {
    s.Estimation = mode;
    UpdateResultsTable(s);
    return resultRows(s);
}

QStringList captions(const std::vector<ResultRow>& rows) {
    QStringList list;
    for (const ResultRow& r : rows)
        list << r.caption;
    return list;
}

TEST(ResultRows, NothingDeterminedGivesNoRow) {
    AnalysisState s = startState();
    EXPECT_TRUE(rowsIn(s, EstimationMode::TransmissibilityFromSkin).empty());
}

TEST(ResultRows, AllowedPressureAloneIsTheOnlyRow) {
    AnalysisState s = startState();
    s.AllowedBottomholePressure = 12.3;
    const auto rows = rowsIn(s, EstimationMode::None);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].caption, "Предельно-допустимое Pз, МПа");
    EXPECT_EQ(rows[0].value, "12,30");
}

TEST(ResultRows, OneLinearTrendOfAProducingWell) {
    AnalysisState s = startState();
    s.TrendCount = 1;
    s.ProductivityIndex = 2;
    s.ReservoirPressure = 20;
    const auto rows = rowsIn(s, EstimationMode::None);
    EXPECT_EQ(captions(rows),
              QStringList({"Коэф.продуктивности, м3/(сут*МПа)", "Пластовое давление, МПа"}));
    EXPECT_EQ(rows[0].value, "2,00");
    EXPECT_EQ(rows[1].value, "20,00");
}

TEST(ResultRows, TransmissibilityFromSkinIsComputedAndStored) {
    AnalysisState s = startState();
    s.TrendCount = 1;
    s.ProductivityIndex = 2;
    s.ReservoirPressure = 20;
    s.Inputs.SkinFactor = 0;
    s.Inputs.DrainageRadius = 300;
    s.Inputs.WellRadius = 0.1;
    const auto rows = rowsIn(s, EstimationMode::TransmissibilityFromSkin);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].caption, "Гидропроводность, Д*см/сПз");
    EXPECT_EQ(rows[2].value, "3,0");
    EXPECT_REL(std::log(3000.0) * 2 / 2 / 3.14 * 1.1574, s.Inputs.Transmissibility, 1e-15);
}

TEST(ResultRows, SkinFromTransmissibilityIsComputedAndStored) {
    AnalysisState s = startState();
    s.TrendCount = 1;
    s.ProductivityIndex = 2;
    s.Inputs.Transmissibility = 10;
    s.Inputs.DrainageRadius = 300;
    s.Inputs.WellRadius = 0.1;
    const auto rows = rowsIn(s, EstimationMode::SkinFromTransmissibility);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].caption, "Скин-эффект");
    EXPECT_EQ(rows[1].value, "19,1");
    EXPECT_REL(10 * 6.28 * 0.864 / 2 - std::log(3000.0), s.Inputs.SkinFactor, 1e-15);
}

TEST(ResultRows, NoEstimateWithoutAProductivityCoefficient) {
    AnalysisState s = startState();
    s.TrendCount = 1;
    s.ReservoirPressure = 20; // a polynomial trend gives no coefficient
    s.Inputs.Transmissibility = 77;
    const auto rows = rowsIn(s, EstimationMode::TransmissibilityFromSkin);
    EXPECT_EQ(captions(rows), QStringList({"Пластовое давление, МПа"}));
    EXPECT_EQ(s.Inputs.Transmissibility, 77);
}

TEST(ResultRows, NegativeEstimateIsShownWithItsSign) {
    AnalysisState s = startState();
    s.TrendCount = 1;
    s.ProductivityIndex = 2;
    s.Inputs.SkinFactor = -20;
    s.Inputs.DrainageRadius = 300;
    s.Inputs.WellRadius = 0.1;
    const auto rows = rowsIn(s, EstimationMode::TransmissibilityFromSkin);
    EXPECT_TRUE(rows.back().value.startsWith('-'));
}

TEST(ResultRows, InjectionWellWithTwoTrendsNumbersTheCoefficients) {
    AnalysisState s = startState();
    s.WellType = InjectionWell;
    s.TrendCount = 2;
    s.ProductivityIndex = 4;
    s.ReservoirPressure = 8;
    s.SecondProductivityIndex = 1.5;
    s.AllowedBottomholePressure = 12.64;
    const auto rows = rowsIn(s, EstimationMode::None);
    EXPECT_EQ(captions(rows),
              QStringList({"Коэф.приемистости 1, м3/(сут*МПа)", "Пластовое давление, МПа",
                           "Коэф.приемистости 2, м3/(сут*МПа)", "Предельно-допустимое Pз, МПа"}));
    EXPECT_EQ(rows[3].value, "12,64");
}

TEST(ResultRows, ValuesBeyondWhatADoubleHoldsAreWrittenInExponentForm) {
    AnalysisState s = startState();
    s.TrendCount = 1;
    s.ProductivityIndex = 999999997195687034880.0;
    s.ReservoirPressure = 12345.67;
    const auto rows = rowsIn(s, EstimationMode::None);
    EXPECT_EQ(rows[0].value, "1,0000E+21");
    EXPECT_EQ(rows[1].value, "12345,67");
}

} // namespace
} // namespace id
