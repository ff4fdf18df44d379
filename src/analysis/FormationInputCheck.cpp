#include "analysis/FormationInputCheck.h"

#include "state/NumberText.h"

#include <cmath>

namespace id {

namespace {

struct InputRule {
    bool mustBePositive;
    double defaultValue;
    const char* message;
};

const InputRule SaturationRule{true, FormationDefaults::SaturationPressure,
                               "Проверьте давление насыщения. По умолчанию берется 2 МПа"};
const InputRule SkinRule{false, FormationDefaults::SkinFactor,
                         "Проверьте скин-эффект. По умолчанию берется 0"};
const InputRule TransmissibilityRule{
    true, FormationDefaults::Transmissibility,
    "Проверьте гидропроводность. По умолчанию берется 10 Д*см/сПз"};
const InputRule DrainageRule{true, FormationDefaults::DrainageRadius,
                             "Проверьте радиус контура питания. По умолчанию берется 300 м"};
const InputRule WellRadiusRule{true, FormationDefaults::WellRadius,
                               "Проверьте радиус скважины. По умолчанию берется 0.1 м"};

// Inputs beyond these magnitudes are no formation data, and they would make the radial-inflow
// estimate overflow (a well radius of 1E-320 gives an infinite transmissibility).
constexpr double LargestInput = 1e100;
constexpr double SmallestNonZeroInput = 1e-100;

bool sane(double value) {
    const double magnitude = std::abs(value);
    return magnitude <= LargestInput && (value == 0 || magnitude >= SmallestNonZeroInput);
}

std::optional<double> checkedInput(const QString& text, const InputRule& rule,
                                   QStringList& messages) {
    const std::optional<double> value = readNumber(text);
    if (!value || (rule.mustBePositive && !(*value > 0)) || !sane(*value)) {
        messages << QString::fromUtf8(rule.message);
        return std::nullopt;
    }
    return value;
}

double checkInput(const QString& text, const InputRule& rule, QStringList& messages) {
    return checkedInput(text, rule, messages).value_or(rule.defaultValue);
}

const InputRule ModelReservoirRule{
    true, 0, "Проверьте пластовое давление для моделей. По умолчанию оно подбирается по точкам"};

} // namespace

std::optional<QString> formationInputRefusal(FormationInput input, const QString& text) {
    static const struct {
        FormationInput input;
        const InputRule* rule;
        const char* name;
    } boxes[] = {
        {FormationInput::SaturationPressure, &SaturationRule, "давление насыщения"},
        {FormationInput::SkinFactor, &SkinRule, "скин-эффект"},
        {FormationInput::Transmissibility, &TransmissibilityRule, "гидропроводность"},
        {FormationInput::DrainageRadius, &DrainageRule, "радиус контура питания"},
        {FormationInput::WellRadius, &WellRadiusRule, "радиус скважины"},
        {FormationInput::ModelReservoirPressure, &ModelReservoirRule,
         "пластовое давление для моделей"},
    };
    for (const auto& box : boxes) {
        if (box.input != input)
            continue;
        QStringList ignored;
        if (checkedInput(text, *box.rule, ignored))
            return std::nullopt;
        return QStringLiteral("%1: «%2» не подходит — нужно %3")
            .arg(QString::fromUtf8(box.name), text,
                 box.rule->mustBePositive
                     ? QStringLiteral("положительное число от 1E-100 до 1E+100")
                     : QStringLiteral("0 или число по модулю от 1E-100 до 1E+100"));
    }
    return std::nullopt;
}

std::optional<double> modelReservoirPressure(const FormationInputs& f, QStringList& messages) {
    if (f.ModelPres.trimmed().isEmpty())
        return std::nullopt;
    return checkedInput(f.ModelPres, ModelReservoirRule, messages);
}

void CheckFormationInputs(AnalysisState& s, QStringList& messages) {
    if (s.WellType != InjectionWell)
        s.Inputs.SaturationPressure = checkInput(s.Inputs.Pnas, SaturationRule, messages);
    CheckEstimationInputs(s, messages);
}

void CheckEstimationInputs(AnalysisState& s, QStringList& messages) {
    FormationInputs& f = s.Inputs;
    const EstimationMode mode = s.Estimation;
    if (mode == EstimationMode::TransmissibilityFromSkin)
        f.SkinFactor = checkInput(f.Skin, SkinRule, messages);
    else if (mode == EstimationMode::SkinFromTransmissibility)
        f.Transmissibility = checkInput(f.Skin, TransmissibilityRule, messages);
    if (mode == EstimationMode::None)
        return;
    f.DrainageRadius = checkInput(f.Rkontur, DrainageRule, messages);
    f.WellRadius = checkInput(f.Rwell, WellRadiusRule, messages);
}

} // namespace id
