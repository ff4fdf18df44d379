#include "analysis/InflowModels.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace id {
namespace {

// Bottom-hole pressures the model gives at the rates: exact data.
InflowModelInputs exact(InflowModel model, const std::vector<double>& values, double pb,
                        const std::vector<double>& rates) {
    InflowModelInputs in{model, rates, {}, std::nullopt, pb};
    for (double q : rates)
        in.pressures.push_back(*modelPressure(model, values, pb, q));
    return in;
}

// The published one-point figures, through the model's own formulas.
TEST(InflowModels, PublishedFigures) {
    const double qmax = 350 / 0.328;
    EXPECT_NEAR(qmax, 1067.07, 0.005);
    EXPECT_NEAR(modelRate(InflowModel::Vogel, {qmax, 2500}, 0, 2000), 350, 1e-9);
    EXPECT_NEAR(modelRate(InflowModel::Composite, {0.5, 3000}, 2130, 2500), 250, 1e-9);
    EXPECT_NEAR(modelRate(InflowModel::Composite, {0.5, 3000}, 2130, 2130), 435, 1e-9);
    EXPECT_NEAR(modelRate(InflowModel::Composite, {0.5, 3000}, 2130, 0), 1026.67, 0.005);

    // Fetkovich with Pпл given: the log-log line of the textbook, to the digits of an
    // independent computation.
    InflowModelInputs in{
        InflowModel::Fetkovich, {800, 1400, 2000, 2800}, {3200, 2600, 1900, 1000}, 3800.0};
    const InflowFitResult result = fitInflowModel(in);
    ASSERT_TRUE(result.fit) << result.error.toStdString();
    ASSERT_TRUE(result.fit->logLogFit);
    EXPECT_NEAR(result.fit->logLogFit->second, 1.0496804649800908, 1e-12);
    EXPECT_NEAR(result.fit->logLogFit->first / 8.664769016892003e-05, 1, 1e-10);
    // The fit of the pressures weighs the points otherwise: n as an independent search of the
    // same least squares finds it.
    EXPECT_NEAR(result.fit->parameters[1].value, 1.2355, 0.002);
}

// Parameters chosen, pressures computed: the fit recovers them to ten digits and more, with
// Pпл free or given, and says the data are exact.
TEST(InflowModels, ExactDataRecovered) {
    struct Case {
        InflowModel model;
        std::vector<double> values;
        double pb;
        std::vector<double> rates;
    };
    const Case cases[] = {
        {InflowModel::Vogel, {120, 25}, 0, {10, 30, 50, 70, 90, 110}},
        {InflowModel::Composite, {4.5, 28}, 16, {5, 20, 40, 60, 70, 80, 90}},
        {InflowModel::Fetkovich, {0.2, 0.85, 30}, 0, {2, 5, 8, 11, 14, 30, 50}},
    };
    for (const Case& c : cases) {
        for (const bool given : {false, true}) {
            SCOPED_TRACE(inflowModelName(c.model).toStdString() + (given ? ", Pпл given" : ""));
            InflowModelInputs in = exact(c.model, c.values, c.pb, c.rates);
            if (given)
                in.reservoirPressure = c.values.back();
            const InflowFitResult result = fitInflowModel(in);
            ASSERT_TRUE(result.fit) << result.error.toStdString();
            for (std::size_t j = 0; j < c.values.size(); ++j)
                EXPECT_NEAR(result.fit->parameters[j].value / c.values[j], 1, 1e-10) << j;
            EXPECT_NEAR(result.fit->rSquared, 1, 1e-12);
            EXPECT_NEAR(result.fit->openFlow.value / modelRate(c.model, c.values, c.pb, 0), 1,
                        1e-10);
        }
    }
}

// Noisy data: intervals hold the values, and the open flow's interval its estimate.
TEST(InflowModels, NoisyDataGiveIntervals) {
    InflowModelInputs in = exact(InflowModel::Vogel, {120, 25}, 0, {10, 30, 50, 70, 90, 110});
    const double noise[] = {0.05, -0.08, 0.02, 0.07, -0.04, -0.03};
    for (std::size_t i = 0; i < in.pressures.size(); ++i)
        in.pressures[i] += noise[i];
    const InflowFitResult result = fitInflowModel(in);
    ASSERT_TRUE(result.fit);
    const InflowFit& f = *result.fit;
    for (const InflowParameter& p : f.parameters) {
        EXPECT_GT(p.standardError, 0);
        EXPECT_LT(p.low, p.value);
        EXPECT_GT(p.high, p.value);
    }
    EXPECT_NEAR(f.parameters[0].value, 120, 3);
    EXPECT_NEAR(f.parameters[1].value, 25, 0.2);
    EXPECT_LT(f.openFlow.low, f.openFlow.value);
    EXPECT_GT(f.rSquared, 0.99);
    EXPECT_LT(f.rSquared, 1);
}

TEST(InflowModels, DegenerateDataAreRefusedWithTheirReason) {
    struct Case {
        InflowModelInputs in;
        const char* reason;
    };
    const Case cases[] = {
        {{InflowModel::Fetkovich, {1, 2, 3}, {20, 19, 18}}, "нужно не меньше 4 точек, а их 3"},
        {{InflowModel::Vogel, {1, 2, 3}, {20, 19, 18}, 19.5}, "не ниже заданного Pпл"},
        {{InflowModel::Composite, {1, 2, 3}, {20, 19, 18}}, "нужно давление насыщения"},
        {{InflowModel::Composite, {1, 2, 3}, {20, 19, 18}, std::nullopt, 35},
         "требует пластового давления выше давления насыщения"},
        {{InflowModel::Vogel, {10, 10, 10}, {20, 20, 20}}, "различных дебитов"},
        {{InflowModel::Vogel, {10, 20, 30, 40}, {20, 20, 20, 20}}, "одинаковы"},
    };
    for (const Case& c : cases) {
        const InflowFitResult result = fitInflowModel(c.in);
        EXPECT_FALSE(result.fit) << c.reason;
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.reason)))
            << result.error.toStdString();
    }
}

// Data far from a model's shape: a fit that gives every point a pressure and explains them, or
// a refusal, never the solver's wall taken for a fit.
TEST(InflowModels, AFitReachesEveryPointOrIsRefused) {
    const std::vector<InflowModelInputs> cases = {
        {InflowModel::Vogel, {70, 80, 90, 100}, {8, 6, 4, 2}},
        {InflowModel::Composite, {70, 80, 90, 100}, {8, 6, 4, 2}, std::nullopt, 5},
        {InflowModel::Vogel, {100, 200, 300, 400}, {25, 20, 15, 10}},
        {InflowModel::Vogel, {10, 20, 30, 40, 50}, {25, 20, 15, 10, 5}},
        {InflowModel::Composite, {10, 20, 30, 40, 50}, {25, 20, 15, 10, 5}, std::nullopt, 12},
        {InflowModel::Vogel, {10, 30, 50, 70, 90, 100}, {24, 21, 18, 15, 11, 9}, 35.0},
        {InflowModel::Fetkovich, {10, 30, 50, 70, 90, 100}, {24, 21, 18, 15, 11, 9}, 35.0},
        // A shut-in point a little above the curve is a residual, not a contradiction.
        {InflowModel::Vogel, {0, 20, 40, 60, 80}, {25.05, 22.9, 20.2, 16.8, 12.4}},
    };
    for (const InflowModelInputs& in : cases) {
        const InflowFitResult result = fitInflowModel(in);
        SCOPED_TRACE(inflowModelName(in.model).toStdString() + " " + result.error.toStdString());
        if (!result.fit) {
            EXPECT_FALSE(result.error.isEmpty());
            continue;
        }
        for (double q : in.rates)
            EXPECT_TRUE(modelPressure(in.model, result.fit->values(), in.saturationPressure, q));
        // Pпл given far above the points can leave the best curve worse than their mean.
        EXPECT_GT(result.fit->rSquared, in.reservoirPressure ? -1 : 0.5);
    }
}

} // namespace
} // namespace id
