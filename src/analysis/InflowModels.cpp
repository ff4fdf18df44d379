#include "analysis/InflowModels.h"

#include "analysis/InflowModelSolver.h"
#include "analysis/ReadingChecks.h"
#include "analysis/ResultIntervals.h"
#include "analysis/TrendStatistics.h"
#include "spreadsheet/LeastSquaresFitService.h"
#include "state/NumberText.h"
#include "state/TrendMath.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace id {

namespace {

QString value(double v) {
    return coefficientText(v);
}

// Why the inputs cannot give the model (empty when they can).
QString inputProblem(const InflowModelInputs& in, const QString& name, int free) {
    const int n = static_cast<int>(in.rates.size());
    if (n < free + 1)
        return QStringLiteral("Для модели %1 нужно не меньше %2 точек, а их %3.")
            .arg(name)
            .arg(free + 1)
            .arg(n);
    std::vector<double> distinct = in.rates;
    std::sort(distinct.begin(), distinct.end());
    const auto rates = std::unique(distinct.begin(), distinct.end()) - distinct.begin();
    if (rates < free)
        return QStringLiteral("Для модели %1 нужно не меньше %2 различных дебитов, а их %3.")
            .arg(name)
            .arg(free)
            .arg(rates);
    if (std::all_of(in.pressures.begin(), in.pressures.end(),
                    [&](double p) { return p == in.pressures.front(); }))
        return QStringLiteral("Все значения забойного давления одинаковы: модель %1 по ним "
                              "не определена.")
            .arg(name);
    if (const QString why = impossibleReadings(in.rates, in.pressures); !why.isEmpty())
        return QStringLiteral("Модель %1 не подбирается: %2").arg(name, why);
    if (in.model == InflowModel::Composite &&
        !(in.saturationPressure > 0 && in.saturationPressure <= LargestReading))
        return QStringLiteral("Для модели %1 нужно давление насыщения.").arg(name);
    if (in.reservoirPressure) {
        const double highest = *std::max_element(in.pressures.begin(), in.pressures.end());
        if (!(highest < *in.reservoirPressure) || !(*in.reservoirPressure <= LargestReading))
            return QStringLiteral("Точка с Pз = %1 МПа не ниже заданного Pпл = %2 МПа.")
                .arg(value(highest), value(*in.reservoirPressure));
    }
    return {};
}

// The Jacobian's entries are differences of square roots near the open flow, good to about eight
// digits: a direction whose singular value is below 1e-7 of the largest, columns scaled to unit
// length, is made of that rounding, not of the points.
constexpr double MostScaledCondition = 1e7;

// The free parameters' covariance in the open-flow form, from the SVD of the Jacobian with its
// columns scaled to unit length (qmax, n and Pпл differ by orders: the unscaled JᵀJ drops a
// direction), and each point's leverage from the same SVD. Nothing where the points do not
// separate the parameters.
struct FormCovariance {
    Eigen::MatrixXd covariance;
    Eigen::VectorXd leverage;
};
std::optional<FormCovariance> formCovariance(const InflowModelInputs& in,
                                             const std::vector<double>& form, int free,
                                             double variance) {
    const Eigen::Index n = static_cast<Eigen::Index>(in.rates.size());
    Eigen::MatrixXd jacobian(n, free);
    for (Eigen::Index i = 0; i < n; ++i) {
        const auto at = openFlowPressure(in.model, form, in.saturationPressure,
                                         in.rates[static_cast<std::size_t>(i)]);
        if (!at)
            return std::nullopt;
        for (int j = 0; j < free; ++j)
            jacobian(i, j) = at->gradient[static_cast<std::size_t>(j)];
    }
    if (!jacobian.allFinite())
        return std::nullopt;
    const Eigen::VectorXd norms = jacobian.colwise().norm();
    if (!(norms.minCoeff() > 0))
        return std::nullopt;
    const Eigen::VectorXd scale = norms.cwiseInverse();
    jacobian *= scale.asDiagonal();
    // The SVD of the small R of a QR has the Jacobian's singular values and V; U = J·V·Σ⁻¹ is
    // needed only for the leverages, row by row.
    const Eigen::HouseholderQR<Eigen::MatrixXd> qr(jacobian);
    const Eigen::MatrixXd r = qr.matrixQR().topRows(free).triangularView<Eigen::Upper>();
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(r, Eigen::ComputeFullV);
    const Eigen::VectorXd sigma = svd.singularValues();
    if (!(sigma[sigma.size() - 1] * MostScaledCondition > sigma[0]))
        return std::nullopt;
    const Eigen::MatrixXd v = svd.matrixV() * sigma.cwiseInverse().asDiagonal();
    FormCovariance c;
    c.covariance = scale.asDiagonal() * (v * v.transpose()) * scale.asDiagonal() * variance;
    c.leverage = (jacobian * v).rowwise().squaredNorm();
    return c;
}

// Each point's residual and studentized residual from the model's fit: the residuals from the
// fitted form, the leverage from the same SVD of the Jacobian as the fit's.
class InflowPointFigures final : public PointFigures {
public:
    InflowModel model = InflowModel::Vogel;
    double saturationPressure = 0;
    std::vector<double> form;
    int free = 0;
    double variance = 0;
    bool exact = false;
    bool covariance = false;

    void compute(const std::vector<double>& rates, const std::vector<double>& pressures,
                 FitStatistics& st) const override {
        const int n = static_cast<int>(rates.size());
        Eigen::VectorXd r(n);
        for (int i = 0; i < n; ++i)
            r[i] = pressures[static_cast<std::size_t>(i)] -
                   openFlowPressure(model, form, saturationPressure,
                                    rates[static_cast<std::size_t>(i)])
                       ->pressure;
        st.residuals.assign(r.data(), r.data() + n);
        std::optional<FormCovariance> c;
        if (covariance && !exact) {
            InflowModelInputs in;
            in.model = model;
            in.rates = rates;
            in.saturationPressure = saturationPressure;
            c = formCovariance(in, form, free, variance);
        }
        st.studentized.clear();
        st.studentized.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            st.studentized.push_back(
                c ? externallyStudentized(r[i],
                                          std::sqrt(variance * std::max(0.0, 1 - c->leverage[i])),
                                          st.degreesOfFreedom)
                  : std::numeric_limits<double>::quiet_NaN());
    }
};

// The model's parameters with their intervals: C and J on the logarithmic scale they live on,
// n within (0; 2], the rest and the open flow as they are.
void setParameters(InflowFit& fit, const InflowModelInputs& in, const std::vector<double>& form,
                   const Eigen::MatrixXd* covariance, int free, double t) {
    const std::vector<double> values = modelValuesOfForm(in.model, form, in.saturationPressure);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto sd = [&](const Eigen::VectorXd& g) {
        return covariance ? std::sqrt(std::max(0.0, g.dot(*covariance * g))) : nan;
    };
    const auto unit = [&](int j) {
        Eigen::VectorXd g = Eigen::VectorXd::Zero(free);
        if (j < free)
            g[j] = 1;
        return g;
    };
    const auto linear = [&](double v, double se) {
        return InflowParameter{v, se, v - t * se, v + t * se};
    };
    const double reservoir = form.back();
    for (int j = 0; j < free; ++j) {
        const double v = values[static_cast<std::size_t>(j)];
        const bool logScale = j == 0 && in.model != InflowModel::Vogel;
        if (!logScale) {
            fit.parameters.push_back(linear(v, sd(unit(j))));
            continue;
        }
        // ln J = ln qmax − ln(Pпл − Pнас·0,8/1,8); ln C = ln qmax − 2n·ln Pпл.
        Eigen::VectorXd g = unit(0) / form[0];
        if (in.model == InflowModel::Composite && free > 1)
            g[1] = -1 / (reservoir - in.saturationPressure * 0.8 / 1.8);
        if (in.model == InflowModel::Fetkovich) {
            g[1] = -2 * std::log(reservoir);
            if (free > 2)
                g[2] = -2 * form[1] / reservoir;
        }
        const double se = sd(g);
        fit.parameters.push_back({v, v * se, v * std::exp(-t * se), v * std::exp(t * se)});
    }
    if (in.model == InflowModel::Fetkovich) {
        InflowParameter& exponent = fit.parameters[1];
        exponent.low = std::max(exponent.low, 0.0);
        exponent.high = std::min(exponent.high, 2.0);
    }
    if (in.reservoirPressure)
        fit.parameters.push_back({reservoir, 0, reservoir, reservoir});
    fit.openFlow = linear(form[0], sd(unit(0)));
}

// Why the model's values solved are refused; empty when they are not.
QString valueProblem(const InflowModelInputs& in, const QString& name,
                     const std::vector<double>& values) {
    const double reservoir = values.back();
    if (in.model == InflowModel::Composite && !(reservoir > in.saturationPressure))
        return QStringLiteral("Модель %1 требует пластового давления выше давления "
                              "насыщения: Pпл = %2 МПа, Pнас = %3 МПа.")
            .arg(name, value(reservoir), value(in.saturationPressure));
    if (in.model == InflowModel::Fetkovich && !(values[1] > 0 && values[1] <= 2))
        return QStringLiteral("Показатель n модели %1 равен %2, вне (0; 2].")
            .arg(name, value(values[1]));
    if (!std::all_of(values.begin(), values.end(),
                     [](double v) { return std::isfinite(v) && v > 0 && v <= LargestReading; }))
        return QStringLiteral("Параметры модели %1 по этим точкам выходят за пределы "
                              "представимых чисел.")
            .arg(name);
    return {};
}

// The covariance of the form's free parameters: zero for exact points.
std::optional<FormCovariance> covarianceOf(const InflowModelInputs& in,
                                           const std::vector<double>& form, int free,
                                           double variance, bool exact) {
    std::optional<FormCovariance> covariance;
    if (exact)
        covariance = FormCovariance{Eigen::MatrixXd::Zero(free, free), Eigen::VectorXd()};
    else
        covariance = formCovariance(in, form, free, variance);
    return covariance;
}

// The points' residuals about the model of the form.
Eigen::VectorXd residualsOf(const InflowModelInputs& in, const std::vector<double>& form) {
    const int n = static_cast<int>(in.rates.size());
    Eigen::VectorXd r(n);
    for (int i = 0; i < n; ++i)
        r[i] = in.pressures[static_cast<std::size_t>(i)] -
               openFlowPressure(in.model, form, in.saturationPressure,
                                in.rates[static_cast<std::size_t>(i)])
                   ->pressure;
    return r;
}

// The fit's statistics: its residuals, the figures for its points and their studentized residuals.
void setStatistics(InflowFit& fit, const InflowModelInputs& in, const std::vector<double>& form,
                   const Eigen::VectorXd& r, const std::optional<FormCovariance>& covariance,
                   double variance, bool exact, int free, int dof) {
    const int n = static_cast<int>(in.rates.size());
    FitStatistics& st = fit.statistics;
    st.points = n;
    st.degreesOfFreedom = dof;
    st.residualSd = fit.residualDeviation;
    st.rSquared = fit.rSquared;
    st.adjustedRSquared = 1 - (1 - fit.rSquared) * (n - 1.0) / dof;
    for (int a = 0; a < free; ++a)
        st.standardErrors.push_back(fit.parameters[static_cast<std::size_t>(a)].standardError);
    if (covariance) {
        st.covariance.assign(free, std::vector<double>(free));
        for (int a = 0; a < free; ++a)
            for (int b = 0; b < free; ++b)
                st.covariance[a][b] = covariance->covariance(a, b);
    }
    auto figures = std::make_shared<InflowPointFigures>();
    figures->model = in.model;
    figures->saturationPressure = in.saturationPressure;
    figures->form = form;
    figures->free = free;
    figures->variance = variance;
    figures->exact = exact;
    figures->covariance = covariance.has_value();
    st.pointFigures = std::move(figures);
    // The same figures as the recipe gives, from the fit's own residuals and SVD.
    st.residuals.assign(r.data(), r.data() + n);
    for (int i = 0; i < n; ++i)
        st.studentized.push_back(
            covariance && !exact
                ? externallyStudentized(
                      r[i], std::sqrt(variance * std::max(0.0, 1 - covariance->leverage[i])), dof)
                : std::numeric_limits<double>::quiet_NaN());
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
    if (const QString why = inputProblem(in, name, free); !why.isEmpty())
        return refused(why);
    const std::optional<ModelSolution> solution = solveInflowModel(in);
    if (!solution)
        return refused(QStringLiteral("Подбор модели %1 не удался для этих точек.").arg(name));
    if (!solution->notMinimum.isEmpty())
        return refused(
            QStringLiteral("Подбор модели %1 отклонён: %2.").arg(name, solution->notMinimum));
    const std::vector<double>& form = solution->form;
    const std::vector<double> values = modelValuesOfForm(in.model, form, in.saturationPressure);
    const double reservoir = values.back();
    if (const QString why = valueProblem(in, name, values); !why.isEmpty())
        return refused(why);

    InflowFit fit;
    fit.model = in.model;
    fit.saturationPressure = in.saturationPressure;
    fit.reservoirGiven = in.reservoirPressure.has_value();
    fit.iterations = solution->iterations;
    const Eigen::VectorXd r = residualsOf(in, form);
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

    // Points on the model to the last digits leave residuals of rounding alone: exact, none off.
    const bool exact =
        rss <= n * std::pow(64 * std::numeric_limits<double>::epsilon() * highest, 2);
    const double variance = rss / dof;
    const std::optional<FormCovariance> covariance = covarianceOf(in, form, free, variance, exact);
    fit.intervalsDetermined = covariance.has_value();
    setParameters(fit, in, form, covariance ? &covariance->covariance : nullptr, free,
                  studentT95(dof));
    setStatistics(fit, in, form, r, covariance, variance, exact, free, dof);

    if (in.model == InflowModel::Fetkovich && in.reservoirPressure) {
        const LogLogLine line = logLogLine(in, reservoir);
        if (std::isfinite(line.slope))
            fit.logLogFit = std::pair{std::exp(line.meanY - line.slope * line.meanX), line.slope};
    }
    return {fit, {}};
}

std::vector<QString> modelWarnings(const InflowFit& fit) {
    std::vector<QString> warnings;
    if (!fit.intervalsDetermined)
        warnings.push_back(QStringLiteral("интервалы не определены: по этим точкам параметры "
                                          "модели не разделяются"));
    if (fit.model == InflowModel::Fetkovich) {
        const double n = fit.parameters[1].value;
        if (n < 0.5 || n > 1)
            warnings.push_back(QStringLiteral("показатель n = %1 вне обычных пределов 0,5–1")
                                   .arg(statisticText(n)));
    }
    const auto wide = [](const InflowParameter& p) { return p.high - p.low > std::abs(p.value); };
    if (fit.intervalsDetermined &&
        (wide(fit.openFlow) || (!fit.reservoirGiven && wide(fit.parameters.back()))))
        warnings.push_back(QStringLiteral("по этим точкам модель определена плохо: интервал "
                                          "максимального дебита или Pпл шире самого значения"));
    return warnings;
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
    const auto at = openFlowPressure(
        fit.model, formOfModelValues(fit.model, fit.values(), fit.saturationPressure),
        fit.saturationPressure, rate);
    if (!at || c.empty())
        return std::numeric_limits<double>::quiet_NaN();
    // The covariance is the open-flow form's, free parameters first; a given Pпл has none.
    double variance = 0;
    for (std::size_t a = 0; a < c.size(); ++a)
        for (std::size_t b = 0; b < c.size(); ++b)
            variance += at->gradient[a] * c[a][b] * at->gradient[b];
    const double half =
        studentT95(fit.statistics.degreesOfFreedom) * std::sqrt(std::max(0.0, variance));
    return std::isfinite(half) ? half : std::numeric_limits<double>::quiet_NaN();
}

} // namespace id
