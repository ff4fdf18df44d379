#include "batch/WellPage.h"

namespace id {

namespace {

QDataStream& operator<<(QDataStream& s, const std::optional<Range>& r) {
    return s << r.has_value() << (r ? r->low : 0.0) << (r ? r->high : 0.0);
}
QDataStream& operator>>(QDataStream& s, std::optional<Range>& r) {
    bool has = false;
    Range value;
    s >> has >> value.low >> value.high;
    r = has ? std::optional<Range>(value) : std::nullopt;
    return s;
}

} // namespace

void writeWellPage(QDataStream& s, const WellRegimes& w, const WellOutcome& o,
                   const QString& rule) {
    s << rule << o.kwuId << o.idText << w.wellType << QList<double>(w.rates.begin(), w.rates.end())
      << QList<double>(w.pressures.begin(), w.pressures.end()) << o.ok << o.message
      << o.productivity << o.reservoirPressure << o.allowedPressure << o.productivityInterval
      << o.reservoirInterval << o.allowedInterval << o.rSquared << o.estimate.has_value()
      << o.estimate.value_or(0) << o.equations;
    s << static_cast<qint32>(o.rows.size());
    for (const ResultRow& r : o.rows)
        s << r.caption << r.value;
    s << static_cast<qint32>(o.curves.size());
    for (const std::vector<QPointF>& c : o.curves)
        s << QList<QPointF>(c.begin(), c.end());
    s << o.breakPoint.has_value() << o.breakPoint.value_or(QPointF());
}

bool readWellPage(QDataStream& s, WellPage& p) {
    QList<double> rates, pressures;
    s >> p.rule >> p.outcome.kwuId >> p.outcome.idText >> p.well.wellType >> rates >> pressures >>
        p.outcome.ok >> p.outcome.message >> p.outcome.productivity >>
        p.outcome.reservoirPressure >> p.outcome.allowedPressure >>
        p.outcome.productivityInterval >> p.outcome.reservoirInterval >>
        p.outcome.allowedInterval >> p.outcome.rSquared;
    bool estimated = false;
    double estimate = 0;
    s >> estimated >> estimate >> p.outcome.equations;
    if (estimated)
        p.outcome.estimate = estimate;
    p.well.rates.assign(rates.begin(), rates.end());
    p.well.pressures.assign(pressures.begin(), pressures.end());
    qint32 count = 0;
    s >> count;
    for (qint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
        ResultRow r;
        s >> r.caption >> r.value;
        p.outcome.rows.push_back(r);
    }
    s >> count;
    for (qint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
        QList<QPointF> c;
        s >> c;
        p.outcome.curves.emplace_back(c.begin(), c.end());
    }
    bool hasBreak = false;
    QPointF at;
    s >> hasBreak >> at;
    if (hasBreak)
        p.outcome.breakPoint = at;
    return s.status() == QDataStream::Ok;
}

} // namespace id
