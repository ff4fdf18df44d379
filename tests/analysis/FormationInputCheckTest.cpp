#include "analysis/FormationInputCheck.h"
#include "platform/RecordingMessagePort.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace id {
namespace {

class FormationInputCheckTest : public ::testing::Test {
protected:
    void SetUp() override { applyStartValues(s); }
    AnalysisState s;
    RecordingMessagePort messages;
};

TEST_F(FormationInputCheckTest, EmptySaturationPressureFallsBackToTwoEveryTime) {
    s.SaturationPressure = 7;
    CheckFormationInputs(s, {"", "", "", ""}, EstimationMode::None, messages);
    EXPECT_EQ(s.SaturationPressure, 2);
    CheckFormationInputs(s, {"", "", "", ""}, EstimationMode::None, messages);
    EXPECT_EQ(messages.messages(),
              QStringList(2, "Проверьте давление насыщения. По умолчанию берется 2 МПа"));
}

TEST_F(FormationInputCheckTest, SaturationPressureMustBePositive) {
    CheckFormationInputs(s, {"0", "", "", ""}, EstimationMode::None, messages);
    EXPECT_EQ(s.SaturationPressure, 2);
    EXPECT_EQ(messages.messages().size(), 1);
    messages.clear();
    CheckFormationInputs(s, {"8,5", "", "", ""}, EstimationMode::None, messages);
    EXPECT_EQ(s.SaturationPressure, 8.5);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(FormationInputCheckTest, InjectionWellDoesNotCheckSaturationPressure) {
    s.WellType = InjectionWell;
    s.SaturationPressure = 5;
    CheckFormationInputs(s, {"", "", "", ""}, EstimationMode::None, messages);
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(s.SaturationPressure, 5);
}

TEST_F(FormationInputCheckTest, SkinMayBeNegativeOrZero) {
    CheckFormationInputs(s, {"5", "-2", "300", "0,1"}, EstimationMode::TransmissibilityFromSkin,
                         messages);
    EXPECT_EQ(s.SkinFactor, -2);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(FormationInputCheckTest, ZeroTransmissibilityFallsBackToTen) {
    CheckFormationInputs(s, {"5", "0", "300", "0,1"}, EstimationMode::SkinFromTransmissibility,
                         messages);
    EXPECT_EQ(s.Transmissibility, 10);
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте гидропроводность. По умолчанию берется 10 Д*см/сПз"}));
}

TEST_F(FormationInputCheckTest, RadiiAreCheckedOnlyInAnEstimatingMode) {
    CheckFormationInputs(s, {"5", "", "abc", "x"}, EstimationMode::None, messages);
    EXPECT_TRUE(messages.messages().isEmpty());
    CheckFormationInputs(s, {"", "x", "abc", "0.1"}, EstimationMode::TransmissibilityFromSkin,
                         messages);
    // Several messages follow one another in the order of the boxes.
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте давление насыщения. По умолчанию берется 2 МПа",
                           "Проверьте скин-эффект. По умолчанию берется 0",
                           "Проверьте радиус контура питания. По умолчанию берется 300 м",
                           "Проверьте радиус скважины. По умолчанию берется 0.1 м"}));
    EXPECT_EQ(s.DrainageRadius, 300);
    EXPECT_EQ(s.WellRadius, 0.1);
}

TEST_F(FormationInputCheckTest, InputsThatWouldMakeTheEstimateInfiniteAreBadInput) {
    CheckFormationInputs(s, {"1E+200", "1E+300", "1E+308", "1E-320"},
                         EstimationMode::TransmissibilityFromSkin, messages);
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте давление насыщения. По умолчанию берется 2 МПа",
                           "Проверьте скин-эффект. По умолчанию берется 0",
                           "Проверьте радиус контура питания. По умолчанию берется 300 м",
                           "Проверьте радиус скважины. По умолчанию берется 0.1 м"}));
    s.ProductivityIndex = 2;
    const std::vector<ResultRow> rows =
        computeResultRows(s, EstimationMode::TransmissibilityFromSkin);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].value, "3,0");
}

} // namespace
} // namespace id
