#include "analysis/InflowModels.h"

#include "analysis/ResultIntervals.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/NumberText.h"
#include "state/TrendMath.h"

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>
#include <unsupported/Eigen/LevenbergMarquardt>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace id {

namespace {

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
    // The residuals' derivatives are the modelled pressure's, negated; none where the rate is
    // out of the model's reach.
    int df(const Eigen::VectorXd& p, Eigen::MatrixXd& jacobian) const {
        const std::vector<double> values = allValues(p, in.reservoirPressure);
        for (std::size_t i = 0; i < in.rates.size(); ++i) {
            const auto gradient =
                modelPressureGradient(in.model, values, in.saturationPressure, in.rates[i]);
            for (Eigen::Index j = 0; j < p.size(); ++j)
                jacobian(static_cast<Eigen::Index>(i), j) =
                    gradient ? -(*gradient)[static_cast<std::size_t>(j)] : 0;
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

// What the solver moves: each parameter over its start value, as their scales differ by many
// orders (C of Fetkovich against Pпл). Fetkovich's C and n are nearly interchangeable along the
// points (q = C·X^n): the solver takes ln C + n·m (m the mean ln X at the start) instead of C,
// the level of the log-log line at its centre, which leaves C and n apart and the valley wide.
struct SolverParameters : Eigen::DenseFunctor<double> {
    const PressureResiduals* f = nullptr;
    Eigen::VectorXd scale;
    bool centred = false;
    double centre = 0;

    SolverParameters(const InflowModelInputs& in, const Eigen::VectorXd& start)
        : DenseFunctor<double>(static_cast<int>(start.size()), static_cast<int>(in.rates.size())),
          scale(start.cwiseAbs().cwiseMax(1e-300)), centred(in.model == InflowModel::Fetkovich) {
        if (centred) {
            const double reservoir =
                in.reservoirPressure ? *in.reservoirPressure : start[start.size() - 1];
            centre = logLogLine(in, reservoir).meanX;
            scale[0] = 1;
        }
    }
    Eigen::VectorXd start(const Eigen::VectorXd& p) const {
        Eigen::VectorXd w = p;
        if (centred)
            w[0] = std::log(p[0]) + p[1] * centre;
        return w.cwiseQuotient(scale);
    }
    Eigen::VectorXd external(const Eigen::VectorXd& u) const {
        Eigen::VectorXd p = u.cwiseProduct(scale);
        if (centred)
            p[0] = std::exp(p[0] - p[1] * centre);
        return p;
    }
    int operator()(const Eigen::VectorXd& u, Eigen::VectorXd& r) const {
        return (*f)(external(u), r);
    }
    int df(const Eigen::VectorXd& u, Eigen::MatrixXd& jacobian) const {
        const Eigen::VectorXd p = external(u);
        f->df(p, jacobian);
        if (centred) {
            // dC/dw0 = C, dC/dn = −m·C.
            jacobian.col(1) -= centre * p[0] * jacobian.col(0);
            jacobian.col(0) *= p[0];
        }
        jacobian = jacobian * scale.asDiagonal();
        return 0;
    }
};

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
    // A start that cannot reach the largest rate leaves the solver no slope to follow.
    const double reach = 1.05 * *std::max_element(in.rates.begin(), in.rates.end());
    Eigen::VectorXd p(inflowParameterCount(in.model) - (in.reservoirPressure ? 1 : 0));
    switch (in.model) {
    case InflowModel::Vogel:
        p[0] = std::max(j * reservoir / 1.8, reach);
        break;
    case InflowModel::Composite: {
        const double pb = std::min(in.saturationPressure, reservoir);
        p[0] = std::max(j, reach / (reservoir - pb + pb / 1.8));
        break;
    }
    case InflowModel::Fetkovich: {
        // The log-log line at the start's Pпл (n = 1 where it has no usable slope).
        const LogLogLine line = logLogLine(in, reservoir);
        const double n0 = line.slope > 0 && line.slope <= 2 ? line.slope : 1;
        p[0] = std::max(std::exp(line.meanY - n0 * line.meanX),
                        reach / std::pow(reservoir * reservoir, n0));
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
    return coefficientText(v);
}

} // namespace

std::vector<double> InflowFit::values() const {
    std::vector<double> v;
    for (const InflowParameter& p : parameters)
        v.push_back(p.value);
    return v;
}

InflowFitResult fitInflowModel(const InflowModelInputs& in) {
    const auto refused = [](const QString& why) { return InflowFitResult{std::nullopt, why}; };
    const QString name = QStringLiteral("«") + inflowModelName(in.model) + QStringLiteral("»");
    const int free = inflowParameterCount(in.model) - (in.reservoirPressure ? 1 : 0);
    const int n = static_cast<int>(in.rates.size());
    if (n < free + 1)
        return refused(QStringLiteral("Для модели %1 нужно не меньше %2 точек, а их %3.")
                           .arg(name)
                           .arg(free + 1)
                           .arg(n));
    std::vector<double> distinct = in.rates;
    std::sort(distinct.begin(), distinct.end());
    const auto rates = std::unique(distinct.begin(), distinct.end()) - distinct.begin();
    if (rates < free)
        return refused(
            QStringLiteral("Для модели %1 нужно не меньше %2 различных дебитов, а их %3.")
                .arg(name)
                .arg(free)
                .arg(rates));
    if (std::all_of(in.pressures.begin(), in.pressures.end(),
                    [&](double p) { return p == in.pressures.front(); }))
        return refused(QStringLiteral("Все значения забойного давления одинаковы: модель %1 по ним "
                                      "не определена.")
                           .arg(name));
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

    const PressureResiduals residuals(in, free);
    SolverParameters solved(in, *start);
    Eigen::LevenbergMarquardt<SolverParameters> solver(solved);
    solved.f = &residuals;
    constexpr int MostSteps = 400;
    solver.setMaxfev(MostSteps);
    solver.setXtol(1e-15);
    solver.setFtol(1e-15);
    solver.setGtol(0);
    Eigen::VectorXd u = solved.start(*start);
    const Eigen::LevenbergMarquardtSpace::Status status = solver.minimize(u);
    const Eigen::VectorXd p = solved.external(u);
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
    // Every rate must be one the model gives: the solver's wall is no fit.
    for (std::size_t i = 0; i < in.rates.size(); ++i)
        if (!modelPressure(in.model, values, in.saturationPressure, in.rates[i]))
            return refused(QStringLiteral("Модель %1 не описывает точки: дебит %2 м3/сут больше "
                                          "того, что она даёт при Pз = 0 (%3 м3/сут).")
                               .arg(name, value(in.rates[i]),
                                    value(modelRate(in.model, values, in.saturationPressure, 0))));
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
    // A point above the fitted Pпл by more than the scatter says the model does not hold; one
    // within it (a shut-in point) is just a residual.
    const double highest = *std::max_element(in.pressures.begin(), in.pressures.end());
    if (highest - reservoir > 2 * fit.residualDeviation)
        return refused(QStringLiteral("Точка с Pз = %1 МПа выше пластового давления модели (%2 "
                                      "МПа) больше, чем на разброс точек.")
                           .arg(value(highest), value(reservoir)));
    fit.aicc = aicc(n, free, rss);

    Eigen::MatrixXd jacobian(n, free);
    residuals.df(p, jacobian);
    const Eigen::MatrixXd information = jacobian.transpose() * jacobian;
    const Eigen::MatrixXd covariance =
        information.completeOrthogonalDecomposition().pseudoInverse() * (rss / dof);
    const double t = studentT95(dof);
    const auto interval = [&](double v, double se) {
        return InflowParameter{v, se, v - t * se, v + t * se};
    };
    for (int j = 0; j < free; ++j)
        fit.parameters.push_back(interval(p[j], std::sqrt(std::max(0.0, covariance(j, j)))));
    // C is positive by its form: its interval is made on ln C, as the solver moves it.
    if (in.model == InflowModel::Fetkovich) {
        InflowParameter& c = fit.parameters.front();
        const double relative = c.standardError / c.value;
        c.low = c.value * std::exp(-t * relative);
        c.high = c.value * std::exp(t * relative);
    }
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

    FitStatistics& st = fit.statistics;
    st.points = n;
    st.degreesOfFreedom = dof;
    st.residualSd = fit.residualDeviation;
    st.rSquared = fit.rSquared;
    st.adjustedRSquared = 1 - (1 - fit.rSquared) * (n - 1.0) / dof;
    st.residuals.assign(r.data(), r.data() + n);
    st.covariance.assign(free, std::vector<double>(free));
    for (int a = 0; a < free; ++a) {
        st.standardErrors.push_back(fit.parameters[a].standardError);
        for (int b = 0; b < free; ++b)
            st.covariance[a][b] = covariance(a, b);
    }
    // Each point's leverage from its own row of the Jacobian: the hat matrix itself is n by n.
    const Eigen::VectorXd leverage =
        (jacobian * information.completeOrthogonalDecomposition().pseudoInverse())
            .cwiseProduct(jacobian)
            .rowwise()
            .sum();
    const double variance = rss / dof;
    for (int i = 0; i < n; ++i)
        st.studentized.push_back(
            externallyStudentized(r[i], std::sqrt(variance * std::max(0.0, 1 - leverage[i])), dof));
    // Points on the model to the last digits leave residuals of rounding alone: none is off.
    if (rss <= n * std::pow(64 * std::numeric_limits<double>::epsilon() * highest, 2))
        st.studentized.assign(st.studentized.size(), std::numeric_limits<double>::quiet_NaN());

    if (in.model == InflowModel::Fetkovich && in.reservoirPressure) {
        const LogLogLine line = logLogLine(in, reservoir);
        if (std::isfinite(line.slope))
            fit.logLogFit = std::pair{std::exp(line.meanY - line.slope * line.meanX), line.slope};
    }
    return {fit, {}};
}

double aicc(int n, int parameters, double rss) {
    // Counting the residuals' variance among the estimated quantities.
    const int k = parameters + 1;
    return n - k - 1 > 0
               ? n * std::log(std::max(rss, 1e-300) / n) + 2 * k + 2.0 * k * (k + 1) / (n - k - 1)
               : std::numeric_limits<double>::infinity();
}

QString aiccText(double value) {
    return std::isfinite(value) ? formatFixed(value, 2) : QStringLiteral("—");
}

std::vector<QString> inflowParameterNames(InflowModel model) {
    const QString reservoir = QStringLiteral("Pпл, МПа");
    switch (model) {
    case InflowModel::Vogel:
        return {QStringLiteral("qmax, м3/сут"), reservoir};
    case InflowModel::Composite:
        return {QStringLiteral("J, м3/(сут*МПа)"), reservoir};
    case InflowModel::Fetkovich:
        return {QStringLiteral("C"), QStringLiteral("n"), reservoir};
    }
    return {};
}

QString trendKindName(int kind) {
    switch (kind) {
    case LinearTrend:
        return QStringLiteral("Линейная");
    case QuadraticTrend:
        return QStringLiteral("Полиномиальная 2-й степени");
    case CubicTrend:
        return QStringLiteral("Полиномиальная 3-й степени");
    default:
        return isInflowModelKind(kind) ? inflowModelName(inflowModelOfKind(kind)) : QString();
    }
}

double modelMeanHalfWidth(const InflowFit& fit, double rate) {
    const std::vector<std::vector<double>>& c = fit.statistics.covariance;
    const auto g = modelPressureGradient(fit.model, fit.values(), fit.saturationPressure, rate);
    if (!g || c.empty())
        return std::numeric_limits<double>::quiet_NaN();
    // The free parameters come first; a given Pпл has no variance.
    double variance = 0;
    for (std::size_t a = 0; a < c.size(); ++a)
        for (std::size_t b = 0; b < c.size(); ++b)
            variance += (*g)[a] * c[a][b] * (*g)[b];
    return studentT95(fit.statistics.degreesOfFreedom) * std::sqrt(std::max(0.0, variance));
}

} // namespace id
