#include "analysis/InflowModels.h"

#include "state/NumberText.h"

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>
#include <unsupported/Eigen/LevenbergMarquardt>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace id {

namespace {

// Vogel's quadratic solved for x = Pз/Pпл (or y = Pз/Pнас) at the share s = q/qmax of the open
// flow; the root that is 1 at no flow.
std::optional<double> vogelRoot(double share) {
    const double d = 0.04 + 3.2 * (1 - share);
    if (!(d >= 0))
        return std::nullopt;
    return (-0.2 + std::sqrt(d)) / 1.6;
}

int parameterCount(InflowModel model) {
    return model == InflowModel::Fetkovich ? 3 : 2;
}

// The free parameters in the model's order, Pпл appended when it is given.
std::vector<double> allValues(const Eigen::VectorXd& free, std::optional<double> reservoir) {
    std::vector<double> values(free.data(), free.data() + free.size());
    if (reservoir)
        values.push_back(*reservoir);
    return values;
}

struct PressureResiduals : Eigen::DenseFunctor<double> {
    const InflowModelInputs& in;
    PressureResiduals(const InflowModelInputs& inputs, int free)
        : DenseFunctor<double>(free, static_cast<int>(inputs.rates.size())), in(inputs) {}

    // Measured minus modelled bottom-hole pressure; a rate the model cannot reach counts as far
    // away, so the solver turns back.
    int operator()(const Eigen::VectorXd& p, Eigen::VectorXd& r) const {
        const std::vector<double> values = allValues(p, in.reservoirPressure);
        for (std::size_t i = 0; i < in.rates.size(); ++i) {
            const std::optional<double> modelled =
                modelPressure(in.model, values, in.saturationPressure, in.rates[i]);
            r[static_cast<Eigen::Index>(i)] =
                modelled ? in.pressures[i] - *modelled : 1e6 * (1 + std::abs(in.rates[i]));
        }
        return 0;
    }
    // Central differences, steps relative to each parameter.
    int df(const Eigen::VectorXd& p, Eigen::MatrixXd& jacobian) const {
        Eigen::VectorXd up(values()), down(values());
        for (Eigen::Index j = 0; j < p.size(); ++j) {
            const double h = 1e-6 * std::max(std::abs(p[j]), 1e-12);
            Eigen::VectorXd a = p, b = p;
            a[j] += h;
            b[j] -= h;
            (*this)(a, up);
            (*this)(b, down);
            jacobian.col(j) = (up - down) / (2 * h);
        }
        return 0;
    }
};

// The straight line of log q against log(Pпл² − Pз²) over the flowing points: their means and
// its slope (NaN with fewer than two distinct abscissae).
struct LogLogLine {
    double meanX = 0;
    double meanY = 0;
    double slope = std::numeric_limits<double>::quiet_NaN();
};
LogLogLine logLogLine(const InflowModelInputs& in, double reservoir) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int m = 0;
    for (std::size_t i = 0; i < in.rates.size(); ++i) {
        if (!(in.rates[i] > 0))
            continue;
        const double x = std::log(reservoir * reservoir - in.pressures[i] * in.pressures[i]);
        const double y = std::log(in.rates[i]);
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

// The start: the straight line through the points gives Pпл and the productivity J.
std::optional<Eigen::VectorXd> startValues(const InflowModelInputs& in) {
    const std::size_t n = in.rates.size();
    const double mq = std::accumulate(in.rates.begin(), in.rates.end(), 0.0) / n;
    const double mp = std::accumulate(in.pressures.begin(), in.pressures.end(), 0.0) / n;
    double sqq = 0, sqp = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sqq += (in.rates[i] - mq) * (in.rates[i] - mq);
        sqp += (in.rates[i] - mq) * (in.pressures[i] - mp);
    }
    const double highest = *std::max_element(in.pressures.begin(), in.pressures.end());
    double slope = sqq > 0 ? sqp / sqq : 0;
    double reservoir = in.reservoirPressure ? *in.reservoirPressure : mp - slope * mq;
    if (!(reservoir > highest))
        reservoir = highest * 1.05 + 1e-9;
    // With the reservoir pressure known (or the line flat), J from the points' mean drawdown.
    if (!(slope < 0) || in.reservoirPressure)
        slope = -(reservoir - mp) / std::max(mq, 1e-300);
    const double j = -1 / slope;
    Eigen::VectorXd p(parameterCount(in.model) - (in.reservoirPressure ? 1 : 0));
    switch (in.model) {
    case InflowModel::Vogel:
        p[0] = j * reservoir / 1.8;
        break;
    case InflowModel::Composite:
        p[0] = j;
        break;
    case InflowModel::Fetkovich: {
        // The log-log line at the start's Pпл (n = 1 where it has no usable slope).
        const LogLogLine line = logLogLine(in, reservoir);
        const double n0 = line.slope > 0 && line.slope <= 2 ? line.slope : 1;
        p[0] = std::exp(line.meanY - n0 * line.meanX);
        p[1] = n0;
        break;
    }
    }
    if (!in.reservoirPressure)
        p[p.size() - 1] = reservoir;
    if (!p.allFinite())
        return std::nullopt;
    return p;
}

double openFlowOf(InflowModel model, const std::vector<double>& v, double saturation) {
    return modelRate(model, v, saturation, 0);
}

QString value(double v) {
    return formatGeneral(v);
}

} // namespace

std::vector<double> InflowFit::values() const {
    std::vector<double> v;
    for (const InflowParameter& p : parameters)
        v.push_back(p.value);
    return v;
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

InflowFitResult fitInflowModel(const InflowModelInputs& in) {
    const auto refused = [](const QString& why) { return InflowFitResult{std::nullopt, why}; };
    const QString name = QStringLiteral("«") + inflowModelName(in.model) + QStringLiteral("»");
    const int free = parameterCount(in.model) - (in.reservoirPressure ? 1 : 0);
    const int n = static_cast<int>(in.rates.size());
    if (n < free + 1)
        return refused(QStringLiteral("Для модели %1 нужно не меньше %2 точек, а их %3.")
                           .arg(name)
                           .arg(free + 1)
                           .arg(n));
    if (in.model == InflowModel::Composite && !(in.saturationPressure > 0))
        return refused(QStringLiteral("Для модели %1 нужно давление насыщения.").arg(name));
    if (in.reservoirPressure) {
        const double highest = *std::max_element(in.pressures.begin(), in.pressures.end());
        if (!(highest < *in.reservoirPressure))
            return refused(QStringLiteral("Точка с Pз = %1 МПа не ниже заданного Pпл = %2 МПа.")
                               .arg(value(highest), value(*in.reservoirPressure)));
    }
    std::optional<Eigen::VectorXd> start = startValues(in);
    if (!start)
        return refused(
            QStringLiteral("Для модели %1 не удалось найти начальные значения.").arg(name));

    // The parameters' scales differ by many orders (C of Fetkovich against Pпл): the solver
    // works on the parameters divided by their starting values.
    const Eigen::VectorXd scale = start->cwiseAbs().cwiseMax(1e-300);
    struct Scaled : Eigen::DenseFunctor<double> {
        const PressureResiduals& f;
        const Eigen::VectorXd& s;
        Scaled(const PressureResiduals& inner, const Eigen::VectorXd& sc)
            : DenseFunctor<double>(inner.inputs(), inner.values()), f(inner), s(sc) {}
        int operator()(const Eigen::VectorXd& u, Eigen::VectorXd& r) const {
            return f(u.cwiseProduct(s), r);
        }
        int df(const Eigen::VectorXd& u, Eigen::MatrixXd& jacobian) const {
            f.df(u.cwiseProduct(s), jacobian);
            jacobian = jacobian * s.asDiagonal();
            return 0;
        }
    };
    const PressureResiduals residuals(in, free);
    Scaled scaled(residuals, scale);
    Eigen::LevenbergMarquardt<Scaled> solver(scaled);
    constexpr int MostSteps = 400;
    solver.setMaxfev(MostSteps);
    solver.setXtol(1e-15);
    solver.setFtol(1e-15);
    solver.setGtol(0);
    Eigen::VectorXd u = Eigen::VectorXd::Ones(free);
    const Eigen::LevenbergMarquardtSpace::Status status = solver.minimize(u);
    const Eigen::VectorXd p = u.cwiseProduct(scale);
    if (status == Eigen::LevenbergMarquardtSpace::TooManyFunctionEvaluation || !p.allFinite())
        return refused(
            QStringLiteral("Подбор модели %1 не сошёлся за %2 шагов.").arg(name).arg(MostSteps));

    InflowFit fit;
    fit.model = in.model;
    fit.saturationPressure = in.saturationPressure;
    fit.reservoirGiven = in.reservoirPressure.has_value();
    fit.iterations = static_cast<int>(solver.iterations());
    const std::vector<double> values = allValues(p, in.reservoirPressure);
    const double reservoir = values.back();
    const double highest = *std::max_element(in.pressures.begin(), in.pressures.end());
    if (!(highest < reservoir))
        return refused(QStringLiteral("Точка с Pз = %1 МПа выше пластового давления модели (%2 "
                                      "МПа).")
                           .arg(value(highest), value(reservoir)));
    if (in.model == InflowModel::Composite && !(reservoir > in.saturationPressure))
        return refused(QStringLiteral("Модель %1 требует пластового давления выше давления "
                                      "насыщения: Pпл = %2 МПа, Pнас = %3 МПа.")
                           .arg(name, value(reservoir), value(in.saturationPressure)));
    if (in.model == InflowModel::Fetkovich && !(values[1] > 0 && values[1] <= 2))
        return refused(QStringLiteral("Показатель n модели %1 равен %2, вне (0; 2].")
                           .arg(name, value(values[1])));

    Eigen::VectorXd r(n);
    residuals(p, r);
    const double rss = r.squaredNorm();
    const double mean = std::accumulate(in.pressures.begin(), in.pressures.end(), 0.0) / n;
    double tss = 0;
    for (double pw : in.pressures)
        tss += (pw - mean) * (pw - mean);
    const int dof = n - free;
    fit.rSquared = tss > 0 ? 1 - rss / tss : 1;
    fit.residualDeviation = std::sqrt(rss / dof);
    // Counting the residuals' variance among the estimated quantities.
    const int k = free + 1;
    fit.aicc = n - k - 1 > 0 ? n * std::log(std::max(rss, 1e-300) / n) + 2 * k +
                                   2.0 * k * (k + 1) / (n - k - 1)
                             : std::numeric_limits<double>::infinity();

    Eigen::MatrixXd jacobian(n, free);
    residuals.df(p, jacobian);
    const Eigen::MatrixXd information = jacobian.transpose() * jacobian;
    const Eigen::MatrixXd covariance =
        information.completeOrthogonalDecomposition().pseudoInverse() * (rss / dof);
    const double t =
        boost::math::quantile(boost::math::complement(boost::math::students_t(dof), 0.025));
    const auto interval = [&](double v, double se) {
        return InflowParameter{v, se, v - t * se, v + t * se};
    };
    for (int j = 0; j < free; ++j)
        fit.parameters.push_back(interval(p[j], std::sqrt(std::max(0.0, covariance(j, j)))));
    if (in.reservoirPressure)
        fit.parameters.push_back(
            {*in.reservoirPressure, 0, *in.reservoirPressure, *in.reservoirPressure});

    // The open flow's gradient by central differences; its variance by the delta method.
    const double open = openFlowOf(in.model, values, in.saturationPressure);
    Eigen::VectorXd gradient(free);
    for (int j = 0; j < free; ++j) {
        const double h = 1e-6 * std::max(std::abs(p[j]), 1e-12);
        Eigen::VectorXd a = p, b = p;
        a[j] += h;
        b[j] -= h;
        gradient[j] =
            (openFlowOf(in.model, allValues(a, in.reservoirPressure), in.saturationPressure) -
             openFlowOf(in.model, allValues(b, in.reservoirPressure), in.saturationPressure)) /
            (2 * h);
    }
    fit.openFlow = interval(open, std::sqrt(std::max(0.0, gradient.dot(covariance * gradient))));

    if (in.model == InflowModel::Fetkovich && in.reservoirPressure) {
        const LogLogLine line = logLogLine(in, reservoir);
        if (std::isfinite(line.slope))
            fit.logLogFit = std::pair{std::exp(line.meanY - line.slope * line.meanX), line.slope};
    }
    return {fit, {}};
}

} // namespace id
