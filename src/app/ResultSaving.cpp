#include "app/ResultSaving.h"

#include "state/NumberText.h"

#include <cmath>

namespace id {

namespace {

// Six significant digits: a column of two decimals rounds them itself, a wider one keeps what
// the analysis has (two decimals of a value divided by 9,86923 would lose a third of it).
QString valueOrNull(double value, double converted) {
    // A value beyond what the database's units can hold is no result to write.
    return value > 0 && std::isfinite(converted) ? plainSignificant(converted, 6)
                                                 : QStringLiteral(" Null");
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

QString updateStatement(const AnalysisState& s, qint64 recordId) {
    return QStringLiteral("update kwu_ind set kprod=") +
           valueOrNull(s.ProductivityIndex, s.ProductivityIndex / AtmospheresPerMegapascal) +
           QStringLiteral(",pplast=") +
           valueOrNull(s.ReservoirPressure, s.ReservoirPressure * AtmospheresPerMegapascal) +
           QStringLiteral(",pzab_dop=") +
           valueOrNull(s.AllowedBottomholePressure,
                       s.AllowedBottomholePressure * AtmospheresPerMegapascal) +
           QStringLiteral(" where kwu_id=") + QString::number(recordId);
}

} // namespace id
