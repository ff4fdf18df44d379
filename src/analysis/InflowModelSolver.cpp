#include "analysis/InflowModelSolver.h"

#include "analysis/InflowModelStarts.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/LevenbergMarquardt>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace id {

using namespace inflowsolver;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

// More starts than the solver needs on clean data; past this many points they run on a spread
// subsample and only the best is carried on to all points.
constexpr std::size_t MostStartPoints = 2000;
constexpr int MostSteps = 400;
// Descents from the best-placed starts; the 200-set check of the tests finds every best fit so.
constexpr std::size_t MostDescents = 5;
// Bates and Watts' relative offset: what is left of the residuals along the fit's tangent plane,
// against the residuals' own scatter. Below 1e-3 a further step changes the fit far less than
// its own uncertainty.
constexpr double MostRelativeOffset = 1e-3;

// What the solver moves: a with qmax = qL·(1 + a²), so that the open flow never drops below the
// largest rate qL; ln n; Pпл over its scale.
struct FreeParameters : Eigen::DenseFunctor<double> {
    InflowModel model;
    double pb;
    const std::vector<double>& q;
    const std::vector<double>& p;
    double largest;
    std::optional<double> reservoir;
    double reservoirScale;

    FreeParameters(const InflowModelInputs& in, const std::vector<double>& rates,
                   const std::vector<double>& pressures, double largestRate, double scale)
        : DenseFunctor<double>(freeCount(in), static_cast<int>(rates.size())), model(in.model),
          pb(in.saturationPressure), q(rates), p(pressures), largest(largestRate),
          reservoir(in.reservoirPressure), reservoirScale(scale) {}

    static int freeCount(const InflowModelInputs& in) {
        return inflowParameterCount(in.model) - (in.reservoirPressure ? 1 : 0);
    }
    bool fetkovich() const { return model == InflowModel::Fetkovich; }

    std::vector<double> form(const Eigen::VectorXd& w) const {
        std::vector<double> f{largest * (1 + w[0] * w[0])};
        if (fetkovich())
            f.push_back(std::exp(w[1]));
        f.push_back(reservoir ? *reservoir : w[w.size() - 1] * reservoirScale);
        return f;
    }
    Eigen::VectorXd unknowns(const std::vector<double>& f) const {
        Eigen::VectorXd w(inputs());
        w[0] = std::sqrt(std::max(0.0, f[0] / largest - 1));
        if (fetkovich())
            w[1] = std::log(f[1]);
        if (!reservoir)
            w[w.size() - 1] = f.back() / reservoirScale;
        return w;
    }

    // Fetkovich: each point's u = (q/qmax)^(1/n) at the unknowns last evaluated (NaN where the
    // model has no pressure), so that the Jacobian at the same unknowns, asked for next, takes
    // the power from here; the residuals need no logarithm. The same arithmetic as
    // openFlowPressure, to the last bit.
    mutable Eigen::VectorXd evaluatedAt;
    mutable std::vector<double> powers;

    int operator()(const Eigen::VectorXd& w, Eigen::VectorXd& r) const {
        const std::vector<double> f = form(w);
        if (fetkovich()) {
            const double qmax = f[0], n = f[1], pr = f.back();
            const bool defined = qmax > 0 && n > 0;
            powers.resize(q.size());
            for (std::size_t i = 0; i < q.size(); ++i) {
                if (!defined || !(q[i] <= qmax)) {
                    powers[i] = std::numeric_limits<double>::quiet_NaN();
                    r[static_cast<Eigen::Index>(i)] = 1e3 * (1 + std::abs(p[i]));
                    continue;
                }
                const double s = std::max(0.0, q[i] / qmax);
                const double u = s > 0 ? std::pow(s, 1 / n) : 0;
                powers[i] = u;
                r[static_cast<Eigen::Index>(i)] = p[i] - pr * std::sqrt(std::max(0.0, 1 - u));
            }
            evaluatedAt = w;
            return 0;
        }
        for (std::size_t i = 0; i < q.size(); ++i) {
            const auto at = openFlowPressure(model, f, pb, q[i]);
            // Only a composite Pпл far below Pнас has no pressures: far from any fit.
            r[static_cast<Eigen::Index>(i)] = at ? p[i] - at->pressure : 1e3 * (1 + std::abs(p[i]));
        }
        return 0;
    }
    int df(const Eigen::VectorXd& w, Eigen::MatrixXd& jacobian) const {
        const std::vector<double> f = form(w);
        const int last = static_cast<int>(f.size()) - 1;
        if (fetkovich() && evaluatedAt.size() == w.size() && evaluatedAt == w &&
            powers.size() == q.size()) {
            const double qmax = f[0], n = f[1], pr = f.back();
            for (std::size_t i = 0; i < q.size(); ++i) {
                const Eigen::Index row = static_cast<Eigen::Index>(i);
                jacobian.row(row).setZero();
                const double u = powers[i];
                if (std::isnan(u))
                    continue;
                const double s = std::max(0.0, q[i] / qmax);
                const double left = std::max(0.0, 1 - u);
                const double root = std::sqrt(left);
                double gradient[3];
                if (left == 0) {
                    gradient[0] = Inf;
                    gradient[1] = 0;
                    gradient[2] = 0;
                } else {
                    const double dPdu = -pr / (2 * root);
                    gradient[0] = dPdu * (-u / (n * qmax));
                    gradient[1] = s > 0 ? dPdu * (-u * std::log(s) / (n * n)) : 0;
                    gradient[2] = root;
                }
                const auto set = [&](Eigen::Index column, double v) {
                    jacobian(row, column) = std::isfinite(v) ? -v : 0;
                };
                set(0, gradient[0] * 2 * w[0] * largest);
                set(1, gradient[1] * f[1]);
                if (!reservoir)
                    set(w.size() - 1, gradient[last] * reservoirScale);
            }
            return 0;
        }
        for (std::size_t i = 0; i < q.size(); ++i) {
            const auto at = openFlowPressure(model, f, pb, q[i]);
            const Eigen::Index row = static_cast<Eigen::Index>(i);
            jacobian.row(row).setZero();
            if (!at)
                continue;
            const auto set = [&](Eigen::Index column, double v) {
                jacobian(row, column) = std::isfinite(v) ? -v : 0;
            };
            set(0, at->gradient[0] * 2 * w[0] * largest);
            if (fetkovich())
                set(1, at->gradient[1] * f[1]);
            if (!reservoir)
                set(w.size() - 1, at->gradient[static_cast<std::size_t>(last)] * reservoirScale);
        }
        return 0;
    }
    double rss(const Eigen::VectorXd& w) const {
        Eigen::VectorXd r(values());
        (*this)(w, r);
        return r.squaredNorm();
    }
};
// Levenberg-Marquardt from one start.
Eigen::VectorXd descend(const FreeParameters& f, Eigen::VectorXd w, int& iterations) {
    FreeParameters functor = f;
    Eigen::LevenbergMarquardt<FreeParameters> solver(functor);
    solver.setMaxfev(MostSteps);
    solver.setXtol(1e-15);
    solver.setFtol(1e-15);
    solver.setGtol(0);
    solver.minimize(w);
    iterations += static_cast<int>(solver.iterations());
    return w;
}

// Fetkovich's pressure and gradient at a rate whose logarithm is known, as openFlowPressure
// gives them but with one exponential in place of a power and a logarithm.
std::optional<OpenFlowPoint> fetkovichPressure(const std::vector<double>& f, double logOpenFlow,
                                               double q, double logRate) {
    const double qmax = f[0], n = f[1], reservoir = f.back();
    if (!(qmax > 0) || !(q <= qmax) || !(n > 0))
        return std::nullopt;
    const double s = std::max(0.0, q / qmax);
    const double logShare = logRate - logOpenFlow;
    const double u = s > 0 ? std::exp(logShare / n) : 0;
    const double left = std::max(0.0, 1 - u);
    const double root = std::sqrt(left);
    OpenFlowPoint at;
    at.pressure = reservoir * root;
    if (left == 0) {
        at.gradient = {Inf, 0, 0};
        return at;
    }
    const double dPdu = -reservoir / (2 * root);
    at.gradient = {dPdu * (-u / (n * qmax)), s > 0 ? dPdu * (-u * logShare / (n * n)) : 0, root};
    return at;
}

// The residuals' sum of squares with the normal equations of the least squares at w: JᵀJ and
// Jᵀr for r = p − P(w), summed point by point in one pass (no n × k matrix). Each point's
// pressure and gradient as openFlowPressure gives them, mapped to the unknowns as df maps them.
struct NormalEquations {
    Eigen::MatrixXd jtj;
    Eigen::VectorXd jtr;
    double rss = 0;
};
// logRates: log q of each point, for Fetkovich (empty otherwise).
NormalEquations normalEquations(const FreeParameters& all, const Eigen::VectorXd& w,
                                const std::vector<double>& logRates) {
    const std::vector<double> f = all.form(w);
    const int k = all.inputs();
    const std::size_t last = f.size() - 1;
    NormalEquations e{Eigen::MatrixXd::Zero(k, k), Eigen::VectorXd::Zero(k), 0};
    const double toOpenFlow = 2 * w[0] * all.largest;
    const double logOpenFlow = all.fetkovich() ? std::log(f[0]) : 0;
    for (std::size_t i = 0; i < all.q.size(); ++i) {
        const auto at = all.fetkovich() ? fetkovichPressure(f, logOpenFlow, all.q[i], logRates[i])
                                        : openFlowPressure(all.model, f, all.pb, all.q[i]);
        if (!at) {
            e.rss += std::pow(1e3 * (1 + std::abs(all.p[i])), 2);
            continue;
        }
        const double r = all.p[i] - at->pressure;
        e.rss += r * r;
        double row[3] = {};
        const auto set = [&](int column, double v) { row[column] = std::isfinite(v) ? -v : 0; };
        set(0, at->gradient[0] * toOpenFlow);
        if (all.fetkovich())
            set(1, at->gradient[1] * f[1]);
        if (!all.reservoir)
            set(k - 1, at->gradient[last] * all.reservoirScale);
        for (int a = 0; a < k; ++a) {
            e.jtr[a] += row[a] * r;
            for (int b = 0; b <= a; ++b)
                e.jtj(a, b) += row[a] * row[b];
        }
    }
    e.jtj.triangularView<Eigen::StrictlyUpper>() = e.jtj.transpose();
    return e;
}

// What a Gauss-Newton step from the normal equations would take off the RSS, rᵀJ(JᵀJ)⁻¹Jᵀr, and
// Bates and Watts' relative offset made of it: that against the residuals' own scatter.
double alongTangent(const NormalEquations& e) {
    return std::max(0.0, e.jtr.dot(e.jtj.ldlt().solve(e.jtr)));
}
double relativeOffset(const NormalEquations& e, std::size_t n) {
    const int free = static_cast<int>(e.jtr.size());
    return std::sqrt(alongTangent(e) / e.rss * static_cast<double>(static_cast<int>(n) - free) /
                     free);
}

// The descent on all points of a large set from the subsample's best: Gauss-Newton steps, each
// halved until it lowers the RSS, one pass over the points a step. It ends when a further step
// would move the fit by far less than its own uncertainty or take off the RSS less than its
// rounding, or when no step lowers the RSS; the relative offset and the RSS where it ended are
// left in `offset` and `rss`.
Eigen::VectorXd polish(const FreeParameters& all, Eigen::VectorXd w, int& iterations,
                       double& offset, double& rss) {
    constexpr double Converged = 1e-6;
    constexpr double Rounding = 1e-12;
    std::vector<double> logRates;
    if (all.fetkovich())
        for (double q : all.q)
            logRates.push_back(q > 0 ? std::log(q) : 0.0);
    NormalEquations e = normalEquations(all, w, logRates);
    for (int step = 0; step < MostSteps; ++step) {
        if (!(relativeOffset(e, all.q.size()) > Converged) || !(alongTangent(e) > Rounding * e.rss))
            break;
        const Eigen::VectorXd delta = e.jtj.ldlt().solve(-e.jtr);
        bool lowered = false;
        for (double share = 1; share > 1e-6 && !lowered; share /= 2) {
            const Eigen::VectorXd next = w + share * delta;
            NormalEquations there = normalEquations(all, next, logRates);
            if (there.rss < e.rss) {
                w = next;
                e = std::move(there);
                lowered = true;
            }
        }
        ++iterations;
        if (!lowered)
            break;
    }
    offset = relativeOffset(e, all.q.size());
    rss = e.rss;
    return w;
}

// The starts race on a spread subsample of a large set, sorted by rate so that both ends stay.
void subsample(const InflowModelInputs& in, std::vector<double>& q, std::vector<double>& p) {
    const std::size_t n = in.rates.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return in.rates[a] < in.rates[b]; });
    q.clear();
    p.clear();
    for (std::size_t k = 0; k < MostStartPoints; ++k) {
        const std::size_t i = order[k * (n - 1) / (MostStartPoints - 1)];
        q.push_back(in.rates[i]);
        p.push_back(in.pressures[i]);
    }
}

// The solver run from the starts that begin nearest the points: the best descent's unknowns in
// bestW and its RSS (infinite when no descent ends finite).
double bestDescent(const InflowModelInputs& in, const FreeParameters& sample, double largest,
                   int& iterations, Eigen::VectorXd& bestW) {
    double bestRss = Inf;
    std::vector<std::pair<double, Eigen::VectorXd>> ranked;
    for (const std::vector<double>& start : starts(in, largest)) {
        if (!std::all_of(start.begin(), start.end(), [](double v) { return std::isfinite(v); }))
            continue;
        const Eigen::VectorXd w = sample.unknowns(start);
        ranked.push_back({sample.rss(w), w});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ranked.resize(std::min(ranked.size(), MostDescents));
    for (const auto& [startRss, start] : ranked) {
        const Eigen::VectorXd w = descend(sample, start, iterations);
        const double rss = sample.rss(w);
        if (w.allFinite() && rss < bestRss) {
            bestRss = rss;
            bestW = w;
        }
    }
    return bestRss;
}

void markNotMinimum(ModelSolution& best, double offset) {
    if (!(offset <= MostRelativeOffset))
        best.notMinimum =
            QStringLiteral("подбор остановился не в минимуме (относительное смещение %1)")
                .arg(offset, 0, 'g', 2);
}

// Bates and Watts' relative offset of the fit with residuals r: notMinimum set when the fit is
// not a minimum.
void checkMinimum(ModelSolution& best, const FreeParameters& all, const Eigen::VectorXd& bestW,
                  const Eigen::VectorXd& r) {
    const std::size_t n = static_cast<std::size_t>(r.size());
    Eigen::MatrixXd jacobian(static_cast<Eigen::Index>(n), all.inputs());
    all.df(bestW, jacobian);
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(jacobian);
    const Eigen::VectorXd along = jacobian * qr.solve(r);
    const int free = all.inputs();
    markNotMinimum(best, along.norm() / r.norm() *
                             std::sqrt(static_cast<double>(static_cast<int>(n) - free) / free));
}

} // namespace

std::optional<ModelSolution> solveInflowModel(const InflowModelInputs& in) {
    const std::size_t n = in.rates.size();
    const double largest = *std::max_element(in.rates.begin(), in.rates.end());
    const double highest = *std::max_element(in.pressures.begin(), in.pressures.end());
    if (!(largest > 0) || !(highest > 0))
        return std::nullopt;
    const double scale = in.reservoirPressure ? *in.reservoirPressure : highest;

    // The starts race on a spread subsample of a large set, sorted by rate so that both ends stay.
    const bool large = n > MostStartPoints;
    InflowModelInputs sampled{in.model, {}, {}, in.reservoirPressure, in.saturationPressure};
    if (large)
        subsample(in, sampled.rates, sampled.pressures);
    const InflowModelInputs& raced = large ? sampled : in;
    const FreeParameters sample(in, raced.rates, raced.pressures, largest, scale);
    ModelSolution best;
    Eigen::VectorXd bestW;
    const double bestRss = bestDescent(raced, sample, largest, best.iterations, bestW);
    if (!std::isfinite(bestRss))
        return std::nullopt;
    const FreeParameters all(in, in.rates, in.pressures, largest, scale);
    Eigen::VectorXd r;
    double offset = 0;
    if (large) {
        bestW = polish(all, bestW, best.iterations, offset, best.rss);
    } else {
        r.resize(static_cast<Eigen::Index>(n));
        all(bestW, r);
        best.rss = r.squaredNorm();
    }
    best.form = all.form(bestW);
    if (!std::isfinite(best.rss))
        return std::nullopt;
    best.onBound = bestW[0] * bestW[0] <= 1e-14;

    // Data on the model to its last digits need no further check.
    if (best.rss <=
        static_cast<double>(n) * std::pow(64 * std::numeric_limits<double>::epsilon() * highest, 2))
        return best;
    if (best.onBound) {
        best.notMinimum = QStringLiteral("лучший подбор упирается в границу модели: наибольший "
                                         "дебит равен её максимальному дебиту (Pз = 0)");
        return best;
    }
    if (large)
        markNotMinimum(best, offset);
    else
        checkMinimum(best, all, bestW, r);
    return best;
}

} // namespace id
