#include "app/ResultSaving.h"

#include "state/NumberText.h"

#include <cmath>

namespace id {

namespace {

// Six significant digits: a column of two decimals rounds them itself, a wider one keeps what
// the analysis has (two decimals of a value divided by 9,86923 would lose a third of it).
std::optional<QString> valueText(double value, double converted) {
    // A value beyond what the database's units can hold is no result to write.
    if (value > 0 && std::isfinite(converted))
        return plainSignificant(converted, 6);
    return std::nullopt;
}

QString valueOrNull(const std::optional<QString>& text) {
    return text ? *text : QStringLiteral(" Null");
}

} // namespace

QString serverPart(const QString& connectionText, const QString& serverName) {
    const qsizetype blank = connectionText.lastIndexOf(u' ');
    if (blank >= 0)
        return connectionText.mid(blank + 1);
    const qsizetype first = connectionText.indexOf(u';');
    const qsizetype second = first < 0 ? -1 : connectionText.indexOf(u';', first + 1);
    if (second < 0)
        return QString();
    return serverName + connectionText.mid(second);
}

QString connectionString(const QString& part) {
    return QStringLiteral("driver={SQL Server};Server=") + part;
}

QString withPortKeyword(const QString& part) {
    // Only the host, up to the first ";", can carry a port.
    const qsizetype end = part.indexOf(u';');
    const QString host = part.left(end < 0 ? part.size() : end);
    const qsizetype comma = host.indexOf(u',');
    if (comma < 0)
        return part;
    return host.left(comma) + QStringLiteral(";Port=") + host.mid(comma + 1) +
           (end < 0 ? QString() : part.mid(end));
}

std::array<std::optional<QString>, 3> updateValues(const AnalysisState& s) {
    return {valueText(s.ProductivityIndex, s.ProductivityIndex / AtmospheresPerMegapascal),
            valueText(s.ReservoirPressure, s.ReservoirPressure * AtmospheresPerMegapascal),
            valueText(s.AllowedBottomholePressure,
                      s.AllowedBottomholePressure * AtmospheresPerMegapascal)};
}

QString updateStatement(const AnalysisState& s, qint64 recordId) {
    const std::array<std::optional<QString>, 3> v = updateValues(s);
    return QStringLiteral("update kwu_ind set kprod=") + valueOrNull(v[0]) +
           QStringLiteral(",pplast=") + valueOrNull(v[1]) + QStringLiteral(",pzab_dop=") +
           valueOrNull(v[2]) + QStringLiteral(" where kwu_id=") + QString::number(recordId);
}

} // namespace id
