#include "spreadsheet/LeastSquaresFitService.h"

#include "spreadsheet/ScaledPolynomial.h"
#include "state/AnalysisFault.h"

#include <Eigen/Dense>
#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>

namespace id {

namespace {

using scaled::binomial;
using scaled::Span;
using scaled::spanOf;

bool allFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// How many different values there are, counting no further than enough (at most 4): one pass
// that remembers the few seen so far, with no sorted copy of a large set.
int distinctCount(const std::vector<double>& values, int enough) {
    double seen[4];
    int count = 0;
    for (double v : values) {
        if (std::find(seen, seen + count, v) != seen + count)
            continue;
        seen[count++] = v;
        if (count >= enough)
            break;
    }
    return count;
}

double finiteOrNaN(double v) {
    return std::isfinite(v) ? v : std::numeric_limits<double>::quiet_NaN();
}

// Standard errors, covariance, residuals and leverage from the fit's own QR.
using Qr = Eigen::ColPivHouseholderQR<Eigen::Ref<Eigen::MatrixXd>>;

// Residuals of values scaled to [-1, 1] within this many units of rounding of them are the
// rounding of an exact fit.
constexpr double ExactFitNoise = 64;

// The residuals' variance, their deviation and R².
double residualFigures(FitStatistics& st, const std::vector<double>& y,
                       const std::vector<double>& fitted, double yHalf) {
    const std::size_t n = y.size();
    double meanY = 0;
    for (double v : y)
        meanY += v / yHalf;
    meanY /= static_cast<double>(n);
    double ssr = 0;
    double sst = 0;
    for (std::size_t i = 0; i < n; ++i) {
        // Next to the largest double the difference overflows where its scaled form does not.
        const double r = y[i] - fitted[i];
        const double scaled = std::isfinite(r) ? r / yHalf : y[i] / yHalf - fitted[i] / yHalf;
        ssr += scaled * scaled;
        const double d = y[i] / yHalf - meanY;
        sst += d * d;
    }
    const double variance = ssr / st.degreesOfFreedom;
    st.residualSd = finiteOrNaN(yHalf * std::sqrt(variance));
    st.rSquared = sst > 0 ? std::max(0.0, 1 - ssr / sst) : 0;
    st.adjustedRSquared =
        1 - (1 - st.rSquared) * (static_cast<double>(n) - 1) / st.degreesOfFreedom;
    return variance;
}

// The covariance of the raw coefficients (LINEST order: index degree - j holds the power j) and
// their standard errors, from the covariance in the centred units: raw coefficient j =
// yHalf * sum_m T(j, m) b(m), with T from t = u x + v.
void rawCovariance(FitStatistics& st, const Eigen::MatrixXd& scaledCovariance) {
    const int k = static_cast<int>(scaledCovariance.rows());
    const int degree = k - 1;
    const long double u = 1.0L / st.rateHalf;
    const long double v = -static_cast<long double>(st.rateCentre) / st.rateHalf;
    Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic> t(k, k);
    t.setZero();
    for (int j = 0; j < k; ++j)
        for (int m = j; m < k; ++m)
            t(j, m) = binomial(m, j) * std::pow(u, static_cast<long double>(j)) *
                      std::pow(v, static_cast<long double>(m - j));
    const Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic> raw =
        static_cast<long double>(st.valueHalf) * st.valueHalf * t *
        scaledCovariance.cast<long double>() * t.transpose();
    st.covariance.assign(static_cast<std::size_t>(k),
                         std::vector<double>(static_cast<std::size_t>(k)));
    st.standardErrors.resize(static_cast<std::size_t>(k));
    for (int j = 0; j < k; ++j) {
        for (int m = 0; m < k; ++m)
            st.covariance[static_cast<std::size_t>(degree - j)]
                         [static_cast<std::size_t>(degree - m)] =
                finiteOrNaN(static_cast<double>(raw(j, m)));
        st.standardErrors[static_cast<std::size_t>(degree - j)] =
            finiteOrNaN(static_cast<double>(std::sqrt(std::max(0.0L, raw(j, j)))));
    }
}

// A fitted value in the centred form: far from zero rate the raw powers would cancel.
double fittedValue(const double* b, int degree, Span xSpan, Span ySpan, double x) {
    const double t = (x - xSpan.centre) / xSpan.half;
    double scaled = 0;
    for (int k = degree; k >= 0; --k)
        scaled = scaled * t + b[k];
    return ySpan.centre + ySpan.half * scaled;
}

// Each point's residual and externally studentized residual, from the few numbers of the fit.
// Its leverage is the squared norm of its row of Q = D P R⁻¹, with P R⁻¹ formed once; at most
// four coefficients, so no allocation per point.
class PolynomialPointFigures final : public PointFigures {
public:
    int degree = 0;
    double b[4] = {};
    Span xSpan{0, 1};
    Span ySpan{0, 1};
    double m[4][4] = {};
    double variance = 0;
    // Points on the trend to the last digits: every studentized residual is 0/0.
    bool exact = false;
    // All values equal: the fit is the constant, no residual at all.
    bool flat = false;

    void compute(const std::vector<double>& x, const std::vector<double>& y,
                 FitStatistics& st) const override {
        const std::size_t n = x.size();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        if (flat) {
            st.residuals.assign(n, 0.0);
            st.studentized.assign(n, nan);
            return;
        }
        const int k = degree + 1;
        const double yHalf = ySpan.half;
        st.residuals.resize(n);
        st.studentized.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double fitted = fittedValue(b, degree, xSpan, ySpan, x[i]);
            // Next to the largest double the difference overflows where its scaled form does
            // not.
            const double r = y[i] - fitted;
            const double scaled = std::isfinite(r) ? r / yHalf : y[i] / yHalf - fitted / yHalf;
            st.residuals[i] = finiteOrNaN(r);
            if (exact) {
                st.studentized[i] = nan;
                continue;
            }
            const double ti = (x[i] - st.rateCentre) / st.rateHalf;
            double powers[4];
            double power = 1;
            for (int a = 0; a < k; ++a) {
                powers[a] = power;
                power *= ti;
            }
            double leverage = 0;
            for (int c = 0; c < k; ++c) {
                double q = 0;
                for (int a = 0; a < k; ++a)
                    q += powers[a] * m[a][c];
                leverage += q * q;
            }
            const double spread = std::sqrt(variance * std::max(0.0, 1 - leverage));
            st.studentized[i] = externallyStudentized(scaled, spread, st.degreesOfFreedom);
        }
    }
};

// Standard errors, covariance, residuals and leverage from the fit's own QR.
FitStatistics fitStatistics(const Qr& qr, const std::vector<double>& x,
                            const std::vector<double>& y, const std::vector<double>& fitted, int k,
                            const Eigen::VectorXd& b, Span xSpan, Span ySpan) {
    const double yHalf = ySpan.half;
    FitStatistics st;
    st.points = static_cast<int>(x.size());
    st.degreesOfFreedom = st.points - k;
    st.rateCentre = xSpan.centre;
    st.rateHalf = xSpan.half;
    st.valueHalf = yHalf;
    const double variance = residualFigures(st, y, fitted, yHalf);

    // (RᵀR)⁻¹ of the pivoted problem, back in the order of the powers of t.
    const Eigen::MatrixXd r = qr.matrixQR().topLeftCorner(k, k).triangularView<Eigen::Upper>();
    const Eigen::MatrixXd rInverse =
        r.triangularView<Eigen::Upper>().solve(Eigen::MatrixXd::Identity(k, k));
    const auto& pivots = qr.colsPermutation();
    const Eigen::MatrixXd scaledCovariance =
        variance * (pivots * (rInverse * rInverse.transpose()) * pivots.transpose());
    st.scaledCovariance.assign(static_cast<std::size_t>(k),
                               std::vector<double>(static_cast<std::size_t>(k)));
    for (int a = 0; a < k; ++a)
        for (int c = 0; c < k; ++c)
            st.scaledCovariance[static_cast<std::size_t>(a)][static_cast<std::size_t>(c)] =
                scaledCovariance(a, c);
    rawCovariance(st, scaledCovariance);
    auto figures = std::make_shared<PolynomialPointFigures>();
    figures->degree = k - 1;
    for (int a = 0; a < k; ++a)
        figures->b[a] = b(a);
    figures->xSpan = xSpan;
    figures->ySpan = ySpan;
    const Eigen::MatrixXd rows = pivots * rInverse;
    for (int a = 0; a < k; ++a)
        for (int c = 0; c < k; ++c)
            figures->m[a][c] = rows(a, c);
    figures->variance = variance;
    // Points that lie on the trend to the last digits leave residuals of rounding alone: no
    // point is off (or unboundedly so) in noise; each residual against the others is 0/0.
    figures->exact =
        variance * st.degreesOfFreedom <=
        st.points * std::pow(ExactFitNoise * std::numeric_limits<double>::epsilon(), 2);
    figures->compute(x, y, st);
    st.pointFigures = std::move(figures);
    return st;
}

// Equal values: the fit is exactly the constant, whatever rounding would make of it, with no
// residual and no uncertainty.
SpreadsheetFitService::PolynomialFit flatFit(const std::vector<double>& x,
                                             const std::vector<double>& y, int coefficients,
                                             bool withStatistics) {
    std::vector<double> result(static_cast<std::size_t>(coefficients), 0.0);
    result.back() = y.front();
    SpreadsheetFitService::PolynomialFit flat{result, y, std::nullopt};
    if (withStatistics && static_cast<int>(x.size()) > coefficients) {
        FitStatistics st;
        st.points = static_cast<int>(x.size());
        st.degreesOfFreedom = st.points - coefficients;
        st.standardErrors.assign(static_cast<std::size_t>(coefficients), 0.0);
        st.covariance.assign(static_cast<std::size_t>(coefficients),
                             std::vector<double>(static_cast<std::size_t>(coefficients)));
        st.scaledCovariance = st.covariance;
        // An exact fit: no residual, and each residual against the others is 0/0.
        auto figures = std::make_shared<PolynomialPointFigures>();
        figures->flat = true;
        figures->compute(x, y, st);
        st.pointFigures = std::move(figures);
        flat.statistics = st;
    }
    return flat;
}

// The fit's values at the points, from its coefficients in the scaled units.
std::vector<double> fittedValues(const std::vector<double>& x, const Eigen::VectorXd& b, Span xSpan,
                                 Span ySpan) {
    const int degree = static_cast<int>(b.size()) - 1;
    std::vector<double> fitted(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        fitted[i] = fittedValue(b.data(), degree, xSpan, ySpan, x[i]);
    return fitted;
}

} // namespace

double externallyStudentized(double residual, double spread, int degreesOfFreedom) {
    if (degreesOfFreedom < 2)
        return std::numeric_limits<double>::quiet_NaN();
    // A point the fit must pass through has no residual to speak of.
    if (!(spread > 0))
        return 0;
    const double internal = residual / spread;
    const double others = degreesOfFreedom - internal * internal;
    // Rounding leaves a trace of the exact fit of the others: treat it as none.
    if (others <= degreesOfFreedom * 1e-12)
        return std::copysign(std::numeric_limits<double>::infinity(), residual);
    return internal * std::sqrt((degreesOfFreedom - 1) / others);
}

SpreadsheetFitService::PolynomialFit LeastSquaresFitService::fit(const std::vector<double>& x,
                                                                 const std::vector<double>& y,
                                                                 int degree, bool withStatistics) {
    if (degree < 1 || degree > 3 || x.size() != y.size())
        throw AnalysisFault(QStringLiteral("Линия тренда этого вида не поддерживается"));
    if (!allFinite(x) || !allFinite(y))
        throw AnalysisFault(
            QStringLiteral("Среди точек есть нечисловые значения: линия тренда не построена"));
    const int coefficients = degree + 1;
    if (distinctCount(x, coefficients) < coefficients)
        throw AnalysisFault(QStringLiteral("Для линии тренда степени %1 нужно не меньше %2 точек "
                                           "с различными значениями по оси X")
                                .arg(degree)
                                .arg(coefficients));

    const Span ySpan = spanOf(y);
    if (ySpan.half == 0)
        return flatFit(x, y, coefficients, withStatistics);

    // Rates centred and scaled to [-1, 1], values to [-1, 1]: the problem is then as well
    // conditioned as its points allow, also for closely spaced rates in the thousands.
    const Span xSpan = spanOf(x);
    const Eigen::Index n = static_cast<Eigen::Index>(x.size());
    Eigen::MatrixXd design(n, coefficients);
    Eigen::VectorXd rhs(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double t = (x[static_cast<std::size_t>(i)] - xSpan.centre) / xSpan.half;
        double power = 1;
        for (int k = 0; k < coefficients; ++k) {
            design(i, k) = power; // column k holds t^k
            power *= t;
        }
        rhs(i) = (y[static_cast<std::size_t>(i)] - ySpan.centre) / ySpan.half;
    }
    // Decomposed in place: the design matrix is the only large allocation of the fit.
    Eigen::ColPivHouseholderQR<Eigen::Ref<Eigen::MatrixXd>> qr(design);
    qr.setThreshold(scaled::RankThreshold);
    if (qr.rank() < coefficients)
        throw AnalysisFault(QStringLiteral("Точки не позволяют однозначно построить линию тренда "
                                           "степени %1")
                                .arg(degree));
    Eigen::VectorXd b = qr.solve(rhs);
    scaled::dropNegligibleTerms(b);

    const std::vector<double> result = scaled::rawCoefficients(b, xSpan, ySpan);
    if (!allFinite(result))
        throw AnalysisFault(QStringLiteral("Коэффициенты линии тренда не определены"));
    const std::vector<double> fitted = fittedValues(x, b, xSpan, ySpan);
    // Values next to the largest double can overshoot it between the points.
    if (!allFinite(fitted))
        throw AnalysisFault(QStringLiteral("Коэффициенты линии тренда не определены"));
    PolynomialFit fit{result, fitted, std::nullopt};
    if (withStatistics && n > coefficients)
        fit.statistics = fitStatistics(qr, x, y, fitted, coefficients, b, xSpan, ySpan);
    return fit;
}

double LeastSquaresFitService::correlation(const std::vector<double>& a,
                                           const std::vector<double>& b) {
    if (a.size() != b.size() || a.size() < 2 || !allFinite(a) || !allFinite(b))
        throw AnalysisFault(QStringLiteral("Коэффициент корреляции не определён"));
    const Span aSpan = spanOf(a);
    const Span bSpan = spanOf(b);
    if (aSpan.half == 0)
        throw AnalysisFault(QStringLiteral("Коэффициент корреляции не определён: все значения "
                                           "давления одинаковы"));
    if (bSpan.half == 0)
        throw AnalysisFault(QStringLiteral("Коэффициент корреляции не определён: все значения "
                                           "линии тренда одинаковы"));
    // Each column mapped onto [-1, 1] first: neither huge nor tiny values can overflow or
    // underflow the sums. Two passes over the data, no copies of it.
    const std::size_t n = a.size();
    const auto ua = [&](std::size_t i) { return (a[i] - aSpan.centre) / aSpan.half; };
    const auto ub = [&](std::size_t i) { return (b[i] - bSpan.centre) / bSpan.half; };
    double meanA = 0;
    double meanB = 0;
    for (std::size_t i = 0; i < n; ++i) {
        meanA += ua(i);
        meanB += ub(i);
    }
    meanA /= static_cast<double>(n);
    meanB /= static_cast<double>(n);
    double sab = 0;
    double saa = 0;
    double sbb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double da = ua(i) - meanA;
        const double db = ub(i) - meanB;
        sab += da * db;
        saa += da * da;
        sbb += db * db;
    }
    const double r = sab / (std::sqrt(saa) * std::sqrt(sbb));
    return std::clamp(r, -1.0, 1.0);
}

} // namespace id
