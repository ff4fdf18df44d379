#include "analysis/InflowModelSolver.h"

#include "analysis/InflowModelStarts.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The models' pressures in the open-flow form and the changes between the forms.
namespace id {

using inflowsolver::VogelShareOfPb;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

// Vogel's x = Pз/Pпл at the share s = q/qmax of the open flow, and dx/ds.
double vogelX(double s) {
    return (-0.2 + std::sqrt(0.04 + 3.2 * (1 - s))) / 1.6;
}
double vogelSlope(double s) {
    return -1 / std::sqrt(0.04 + 3.2 * (1 - s));
}

} // namespace

std::optional<OpenFlowPoint> openFlowPressure(InflowModel model, const std::vector<double>& f,
                                              double pb, double q) {
    const double qmax = f[0], reservoir = f.back();
    if (!(qmax > 0) || !(q <= qmax))
        return std::nullopt;
    const double s = std::max(0.0, q / qmax);
    OpenFlowPoint at;
    switch (model) {
    case InflowModel::Vogel: {
        const double x = vogelX(s);
        at.pressure = reservoir * x;
        at.gradient = {reservoir * vogelSlope(s) * (-s / qmax), x, 0};
        return at;
    }
    case InflowModel::Composite: {
        const double d = reservoir - pb * VogelShareOfPb;
        if (!(d > 0) || !(pb > 0))
            return std::nullopt;
        const double qb = qmax * (reservoir - pb) / d;
        if (q <= qb) {
            at.pressure = reservoir - q * d / qmax;
            at.gradient = {q * d / (qmax * qmax), 1 - s, 0};
            return at;
        }
        const double sigma = std::min(1.0, (q * d / qmax - (reservoir - pb)) * 1.8 / pb);
        const double dx = pb * vogelSlope(sigma);
        at.pressure = pb * vogelX(sigma);
        at.gradient = {dx * (-q * d / (qmax * qmax)) * 1.8 / pb, dx * (s - 1) * 1.8 / pb, 0};
        return at;
    }
    case InflowModel::Fetkovich: {
        const double n = f[1];
        if (!(n > 0))
            return std::nullopt;
        const double u = s > 0 ? std::pow(s, 1 / n) : 0;
        const double left = std::max(0.0, 1 - u);
        const double root = std::sqrt(left);
        at.pressure = reservoir * root;
        if (left == 0) {
            at.gradient = {Inf, 0, 0};
            return at;
        }
        const double dPdu = -reservoir / (2 * root);
        at.gradient = {dPdu * (-u / (n * qmax)), s > 0 ? dPdu * (-u * std::log(s) / (n * n)) : 0,
                       root};
        return at;
    }
    }
    return std::nullopt;
}

LogLogLine logLogLine(const InflowModelInputs& in, double reservoir,
                      const std::vector<double>& logRates) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int m = 0;
    const bool logsGiven = logRates.size() == in.rates.size();
    for (std::size_t i = 0; i < in.rates.size(); ++i) {
        const double x2 = reservoir * reservoir - in.pressures[i] * in.pressures[i];
        if (!(in.rates[i] > 0) || !(x2 > 0))
            continue;
        const double x = std::log(x2), y = logsGiven ? logRates[i] : std::log(in.rates[i]);
        sx += x, sy += y, sxx += x * x, sxy += x * y;
        ++m;
    }
    LogLogLine line;
    if (m == 0)
        return line;
    line.meanX = sx / m;
    line.meanY = sy / m;
    const double d = m * sxx - sx * sx;
    if (m >= 2 && d > 0)
        line.slope = (m * sxy - sx * sy) / d;
    return line;
}

std::vector<double> modelValuesOfForm(InflowModel model, const std::vector<double>& f, double pb) {
    switch (model) {
    case InflowModel::Vogel:
        return f;
    case InflowModel::Composite:
        return {f[0] / (f[1] - pb * VogelShareOfPb), f[1]};
    case InflowModel::Fetkovich:
        return {f[0] / std::pow(f[2], 2 * f[1]), f[1], f[2]};
    }
    return f;
}

std::vector<double> formOfModelValues(InflowModel model, const std::vector<double>& v, double pb) {
    switch (model) {
    case InflowModel::Vogel:
        return v;
    case InflowModel::Composite:
        return {v[0] * (v[1] - pb * VogelShareOfPb), v[1]};
    case InflowModel::Fetkovich:
        return {v[0] * std::pow(v[2], 2 * v[1]), v[1], v[2]};
    }
    return v;
}

} // namespace id
