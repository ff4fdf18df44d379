#include "diagram/TrendLabel.h"

#include "diagram/CurveSampler.h"
#include "state/TrendMath.h"

#include "state/AnalysisFault.h"
#include "state/NumberText.h"

#include <cmath>

namespace id {

namespace {

QString F(double c) {
    if (!std::isfinite(c))
        throw AnalysisFault(QStringLiteral("Коэффициенты линии тренда не определены"));
    return coefficientText(c);
}

// A coefficient after the first carries its sign; a value that rounds to zero shows "+".
QString S(double c) {
    const QString text = F(c);
    return text.startsWith(u'-') ? text : QStringLiteral("+") + text;
}

} // namespace

TrendLabel trendLabel(int kind, const Coefficients& c) {
    TrendLabel label;
    switch (kind) {
    case LinearTrend:
        label.text = "y=" + F(c[1]) + "x" + S(c[2]);
        break;
    case QuadraticTrend:
        label.text = "y=" + F(c[1]) + "x  " + S(c[2]) + "x" + S(c[3]);
        label.beforeFirstPower = "y=" + F(c[1]) + "x";
        label.firstExponent = "2";
        break;
    case CubicTrend:
        label.text = "y=" + F(c[1]) + "x  " + S(c[2]) + "x  " + S(c[3]) + "x" + S(c[4]);
        label.beforeFirstPower = "y=" + F(c[1]) + "x";
        label.beforeSecondPower = "y=" + F(c[1]) + "x  " + S(c[2]) + "x";
        label.firstExponent = "3";
        break;
    default:
        break;
    }
    return label;
}

TrendLabel trendLabel(const TrendRecord& t) {
    if (!isInflowModelKind(t.Kind))
        return trendLabel(t.Kind, t.Coefficients);
    if (t.Coefficients.size() != coefficientCount(t.Kind))
        return {};
    const auto fixed = [](double v, int decimals) {
        if (!std::isfinite(v))
            throw AnalysisFault(QStringLiteral("Параметры модели не определены"));
        return formatFixed(v, decimals);
    };
    const Coefficients& c = t.Coefficients;
    const QString reservoir = QStringLiteral("Pпл=") + fixed(c[c.size()], 2);
    QString parameters;
    switch (t.Kind) {
    case VogelModel:
        parameters = QStringLiteral("qmax=") + fixed(c[1], 2);
        break;
    case CompositeModel:
        parameters = QStringLiteral("J=") + F(c[1]);
        break;
    default:
        parameters = QStringLiteral("C=") + F(c[1]) + QStringLiteral("; n=") + fixed(c[2], 3);
        break;
    }
    return {inflowModelName(inflowModelOfKind(t.Kind)) + QStringLiteral(": ") + parameters +
                QStringLiteral("; ") + reservoir,
            {},
            {},
            {}};
}

std::vector<Segment> trendCurve(const TrendRecord& t, double xs, double xe, int segments) {
    if (!isInflowModelKind(t.Kind))
        return trendCurve(t.Kind, t.Coefficients, xs, xe, segments);
    std::vector<Segment> curve;
    const std::vector<double> knots = curveKnots(xs, xe, (xe - xs) / segments, segments);
    for (std::size_t i = 0; i + 1 < knots.size(); ++i) {
        const double a = evaluateTrend(t, knots[i]);
        const double b = evaluateTrend(t, knots[i + 1]);
        if (std::isfinite(a) && std::isfinite(b))
            curve.push_back({knots[i], a, knots[i + 1], b});
    }
    return curve;
}

QString rSquaredText(double rSquared) {
    return "R  =" + formatFixed(rSquared, 3);
}

std::vector<Segment> trendCurve(int kind, const Coefficients& c, double xs, double xe,
                                int segments) {
    std::vector<Segment> curve;
    const auto f = [&](double x) { return evaluateTrend(kind, c, x); };
    if (kind == LinearTrend) {
        curve.push_back({xs, f(xs), xe, f(xe)});
        return curve;
    }
    if (kind != QuadraticTrend && kind != CubicTrend)
        return curve;
    // The step is a share of the end rate, not of the span: so the curves have always been drawn.
    const std::vector<double> knots = curveKnots(xs, xe, xe / segments, segments);
    for (std::size_t i = 0; i + 1 < knots.size(); ++i)
        curve.push_back({knots[i], f(knots[i]), knots[i + 1], f(knots[i + 1])});
    return curve;
}

} // namespace id
