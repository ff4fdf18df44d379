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

} // namespace id
