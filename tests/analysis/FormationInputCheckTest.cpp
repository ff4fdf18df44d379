#include "analysis/FormationInputCheck.h"
#include "analysis/ResultRows.h"
#include "platform/RecordingMessagePort.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace id {
namespace {

class FormationInputCheckTest : public ::testing::Test {
protected:
    // Checks the four box texts (saturation pressure, skin, contour and well radius) in a mode.
    void check(const QStringList& texts, EstimationMode mode) {
        s.Inputs.Pnas = texts[0];
        s.Inputs.Skin = texts[1];
        s.Inputs.Rkontur = texts[2];
        s.Inputs.Rwell = texts[3];
        s.Estimation = mode;
        QStringList list;
        CheckFormationInputs(s, list);
        for (const QString& m : list)
            messages.showMessage(m);
    }
    AnalysisState s;
    RecordingMessagePort messages;
};

TEST_F(FormationInputCheckTest, EmptySaturationPressureFallsBackToTwoEveryTime) {
    s.Inputs.SaturationPressure = 7;
    check({"", "", "", ""}, EstimationMode::None);
    EXPECT_EQ(s.Inputs.SaturationPressure, 2);
    check({"", "", "", ""}, EstimationMode::None);
    EXPECT_EQ(messages.messages(),
              QStringList(2, "Проверьте давление насыщения. По умолчанию берется 2 МПа"));
}

TEST_F(FormationInputCheckTest, SaturationPressureMustBePositive) {
    check({"0", "", "", ""}, EstimationMode::None);
    EXPECT_EQ(s.Inputs.SaturationPressure, 2);
    EXPECT_EQ(messages.messages().size(), 1);
    messages.clear();
    check({"8,5", "", "", ""}, EstimationMode::None);
    EXPECT_EQ(s.Inputs.SaturationPressure, 8.5);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(FormationInputCheckTest, InjectionWellDoesNotCheckSaturationPressure) {
    s.WellType = InjectionWell;
    s.Inputs.SaturationPressure = 5;
    check({"", "", "", ""}, EstimationMode::None);
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(s.Inputs.SaturationPressure, 5);
}

TEST_F(FormationInputCheckTest, SkinMayBeNegativeOrZero) {
    check({"5", "-2", "300", "0,1"}, EstimationMode::TransmissibilityFromSkin);
    EXPECT_EQ(s.Inputs.SkinFactor, -2);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(FormationInputCheckTest, ZeroTransmissibilityFallsBackToTen) {
    check({"5", "0", "300", "0,1"}, EstimationMode::SkinFromTransmissibility);
    EXPECT_EQ(s.Inputs.Transmissibility, 10);
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте гидропроводность. По умолчанию берется 10 Д*см/сПз"}));
}

TEST_F(FormationInputCheckTest, RadiiAreCheckedOnlyInAnEstimatingMode) {
    check({"5", "", "abc", "x"}, EstimationMode::None);
    EXPECT_TRUE(messages.messages().isEmpty());
    check({"", "x", "abc", "0.1"}, EstimationMode::TransmissibilityFromSkin);
    // Several messages follow one another in the order of the boxes.
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте давление насыщения. По умолчанию берется 2 МПа",
                           "Проверьте скин-эффект. По умолчанию берется 0",
                           "Проверьте радиус контура питания. По умолчанию берется 300 м",
                           "Проверьте радиус скважины. По умолчанию берется 0.1 м"}));
    EXPECT_EQ(s.Inputs.DrainageRadius, 300);
    EXPECT_EQ(s.Inputs.WellRadius, 0.1);
}

TEST_F(FormationInputCheckTest, InputsThatWouldMakeTheEstimateInfiniteAreBadInput) {
    check({"1E+200", "1E+300", "1E+308", "1E-320"}, EstimationMode::TransmissibilityFromSkin);
    EXPECT_EQ(messages.messages(),
              QStringList({"Проверьте давление насыщения. По умолчанию берется 2 МПа",
                           "Проверьте скин-эффект. По умолчанию берется 0",
                           "Проверьте радиус контура питания. По умолчанию берется 300 м",
                           "Проверьте радиус скважины. По умолчанию берется 0.1 м"}));
    s.ProductivityIndex = 2;
    const std::vector<ResultRow> rows = resultRows(s);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].value, "3,0");
}

} // namespace
} // namespace id
