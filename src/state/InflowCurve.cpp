#include "state/InflowCurve.h"

#include <cmath>

namespace id {

namespace {

// Vogel's quadratic solved for x = Pз/Pпл (or y = Pз/Pнас) at the share s = q/qmax of the open
// flow; the root that is 1 at no flow.
std::optional<double> vogelRoot(double share) {
    // Beyond the open flow the other root gives a negative pressure: no pressure there.
    if (!(share <= 1))
        return std::nullopt;
    const double d = 0.04 + 3.2 * (1 - share);
    return (-0.2 + std::sqrt(d)) / 1.6;
}

} // namespace

int inflowParameterCount(InflowModel model) {
    return model == InflowModel::Fetkovich ? 3 : 2;
}

QString inflowModelName(InflowModel model) {
    switch (model) {
    case InflowModel::Vogel:
        return QStringLiteral("Фогель");
    case InflowModel::Composite:
        return QStringLiteral("Дарси + Фогель (с Pнас)");
    case InflowModel::Fetkovich:
        return QStringLiteral("Феткович");
    }
    return {};
}

double modelRate(InflowModel model, const std::vector<double>& v, double pb, double pwf) {
    const double reservoir = v.back();
    switch (model) {
    case InflowModel::Vogel: {
        const double x = pwf / reservoir;
        return v[0] * (1 - 0.2 * x - 0.8 * x * x);
    }
    case InflowModel::Composite: {
        const double j = v[0];
        if (pwf >= pb)
            return j * (reservoir - pwf);
        const double y = pwf / pb;
        return j * (reservoir - pb) + j * pb / 1.8 * (1 - 0.2 * y - 0.8 * y * y);
    }
    case InflowModel::Fetkovich:
        return v[0] * std::pow(reservoir * reservoir - pwf * pwf, v[1]);
    }
    return 0;
}

std::optional<double> modelPressure(InflowModel model, const std::vector<double>& v, double pb,
                                    double q) {
    const double reservoir = v.back();
    switch (model) {
    case InflowModel::Vogel: {
        const std::optional<double> x = vogelRoot(q / v[0]);
        if (!x || !(v[0] > 0))
            return std::nullopt;
        return reservoir * *x;
    }
    case InflowModel::Composite: {
        const double j = v[0];
        if (!(j > 0))
            return std::nullopt;
        const double qb = j * (reservoir - pb);
        if (q <= qb)
            return reservoir - q / j;
        const std::optional<double> y = vogelRoot((q - qb) / (j * pb / 1.8));
        if (!y)
            return std::nullopt;
        return pb * *y;
    }
    case InflowModel::Fetkovich: {
        if (!(v[0] > 0) || !(v[1] > 0))
            return std::nullopt;
        const double squared = reservoir * reservoir - std::pow(q / v[0], 1 / v[1]);
        if (!(squared >= 0))
            return std::nullopt;
        return std::sqrt(squared);
    }
    }
    return std::nullopt;
}

std::optional<std::array<double, 3>>
modelPressureGradient(InflowModel model, const std::vector<double>& v, double pb, double q) {
    const std::optional<double> p = modelPressure(model, v, pb, q);
    if (!p)
        return std::nullopt;
    const double reservoir = v.back();
    // x(s) = (−0,2 + √d)/1,6 with d = 0,04 + 3,2·(1 − s): dx/ds = −1/√d.
    const auto slope = [](double share) { return -1 / std::sqrt(0.04 + 3.2 * (1 - share)); };
    switch (model) {
    case InflowModel::Vogel: {
        const double qmax = v[0];
        return std::array<double, 3>{reservoir * slope(q / qmax) * (-q / (qmax * qmax)),
                                     *p / reservoir};
    }
    case InflowModel::Composite: {
        const double j = v[0];
        if (q <= j * (reservoir - pb))
            return std::array<double, 3>{q / (j * j), 1};
        const double vogelPart = j * pb / 1.8;
        const double share = (q - j * (reservoir - pb)) / vogelPart;
        const double dx = pb * slope(share);
        return std::array<double, 3>{dx * (-q / (j * vogelPart)), dx * (-1.8 / pb)};
    }
    case InflowModel::Fetkovich: {
        const double c = v[0];
        const double n = v[1];
        const double u = std::pow(q / c, 1 / n);
        // P = √(Pпл² − u): dP/du = −1/(2P).
        const double du = -1 / (2 * *p);
        if (u == 0)
            return std::array<double, 3>{0, 0, reservoir / *p};
        return std::array<double, 3>{du * (-u / (n * c)), du * (-u * std::log(q / c) / (n * n)),
                                     reservoir / *p};
    }
    }
    return std::nullopt;
}

} // namespace id
