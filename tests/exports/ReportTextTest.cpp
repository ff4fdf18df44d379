#include "exports/ReportText.h"

#include <gtest/gtest.h>

namespace id {
namespace {

TEST(ReportText, InputsInForceWithTheirBoxesCaptions) {
    struct Case {
        int well;
        EstimationMode mode;
        QStringList expected;
    };
    const Case cases[] = {
        {ProducingWell, EstimationMode::None, {"Давление насыщения, МПа: 5,5"}},
        {InjectionWell, EstimationMode::None, {}},
        {ProducingWell,
         EstimationMode::SkinFromTransmissibility,
         {"Давление насыщения, МПа: 5,5", "Гидропроводность, Д*см/сПз: 12",
          "Радиус контура питания, м: 250"}},
        {InjectionWell,
         EstimationMode::TransmissibilityFromSkin,
         {"Скин-эффект: 12", "Радиус контура питания, м: 250"}},
    };
    for (const Case& c : cases) {
        AnalysisState s;
        s.WellType = static_cast<std::int16_t>(c.well);
        s.Estimation = c.mode;
        s.Inputs.Pnas = " 5,5";
        s.Inputs.Skin = "12";
        s.Inputs.Rkontur = "250";
        s.Inputs.Rwell = " ";
        EXPECT_EQ(reportInputs(s), c.expected) << c.well << static_cast<int>(c.mode);
    }
}

} // namespace
} // namespace id
