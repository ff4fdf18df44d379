#include "spreadsheet/LeastSquaresFitService.h"

#include "state/AnalysisFault.h"

#include <Eigen/Dense>
#include <QString>
#include <algorithm>
#include <cmath>

namespace id {

namespace {

bool allFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

int distinctCount(std::vector<double> values, int enough) {
    std::sort(values.begin(), values.end());
    const auto end = std::unique(values.begin(), values.end());
    return static_cast<int>(std::min<std::ptrdiff_t>(end - values.begin(), enough));
}

} // namespace

std::vector<double> LeastSquaresFitService::fitPolynomial(const std::vector<double>& x,
                                                          const std::vector<double>& y,
                                                          int degree) {
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

    const Eigen::Index n = static_cast<Eigen::Index>(x.size());
    double scale = 0;
    for (double v : x)
        scale = std::max(scale, std::abs(v));
    if (scale == 0)
        scale = 1;

    // Columns t^degree .. t^1, 1 with t = x / scale.
    Eigen::MatrixXd design(n, coefficients);
    Eigen::VectorXd rhs(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double t = x[static_cast<std::size_t>(i)] / scale;
        double power = 1;
        for (int k = coefficients - 1; k >= 0; --k) {
            design(i, k) = power;
            power *= t;
        }
        rhs(i) = y[static_cast<std::size_t>(i)];
    }
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(n, coefficients);
    // Pivots below this share of the largest count as zero: nearly coincident rates must not
    // turn into huge coefficients.
    qr.setThreshold(1e-12);
    qr.compute(design);
    if (qr.rank() < coefficients)
        throw AnalysisFault(QStringLiteral("Точки не позволяют однозначно построить линию тренда "
                                           "степени %1")
                                .arg(degree));
    const Eigen::VectorXd scaled = qr.solve(rhs);

    std::vector<double> result(static_cast<std::size_t>(coefficients));
    for (int k = 0; k < coefficients; ++k) {
        const int power = degree - k;
        result[static_cast<std::size_t>(k)] = scaled(k) / std::pow(scale, power);
    }
    if (!allFinite(result))
        throw AnalysisFault(QStringLiteral("Коэффициенты линии тренда не определены"));
    return result;
}

double LeastSquaresFitService::correlation(const std::vector<double>& a,
                                           const std::vector<double>& b) {
    if (a.size() != b.size() || a.size() < 2 || !allFinite(a) || !allFinite(b))
        throw AnalysisFault(QStringLiteral("Коэффициент корреляции не определён"));
    const double n = static_cast<double>(a.size());
    double meanA = 0;
    double meanB = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        meanA += a[i];
        meanB += b[i];
    }
    meanA /= n;
    meanB /= n;
    double sab = 0;
    double saa = 0;
    double sbb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double da = a[i] - meanA;
        const double db = b[i] - meanB;
        sab += da * db;
        saa += da * da;
        sbb += db * db;
    }
    if (saa == 0 || sbb == 0)
        throw AnalysisFault(QStringLiteral("Коэффициент корреляции не определён: все значения "
                                           "давления одинаковы"));
    const double r = sab / std::sqrt(saa * sbb);
    return std::clamp(r, -1.0, 1.0);
}

} // namespace id
