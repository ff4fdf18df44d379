#include "app/ReportText.h"

#include "diagram/TrendLabel.h"
#include "state/NumberText.h"

namespace id {

namespace {

// A field quoted where the spreadsheet would otherwise split or misread it.
QString field(const QString& text) {
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray line(const QStringList& fields) {
    QStringList out;
    for (const QString& f : fields)
        out << field(f);
    return (out.join(u';') + QStringLiteral("\r\n")).toUtf8();
}

} // namespace

QStringList trendEquations(const AnalysisState& s) {
    QStringList equations;
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        const TrendRecord& t = s.trend(slot);
        if (t.Kind == NoTrend)
            continue;
        // The label leaves room for raised exponents; written out they follow a "^".
        QString text = trendLabel(t.Kind, t.Coefficients).text;
        if (t.Kind == CubicTrend)
            text.replace(text.indexOf(QStringLiteral("x  ")), 3, QStringLiteral("x^3"));
        text.replace(QStringLiteral("x  "), QStringLiteral("x^2"));
        equations << text + QStringLiteral(", R² = ") + formatFixed(t.RSquared, 3);
    }
    return equations;
}

QStringList reportInputs(const AnalysisState& s) {
    QStringList lines;
    const auto add = [&](const QString& caption, const QString& value) {
        if (!value.trimmed().isEmpty())
            lines << caption + QStringLiteral(": ") + value.trimmed();
    };
    if (s.WellType == ProducingWell)
        add(QStringLiteral("Давление насыщения, МПа"), s.Inputs.Pnas);
    if (s.Estimation != EstimationMode::None) {
        add(s.Estimation == EstimationMode::SkinFromTransmissibility
                ? QStringLiteral("Гидропроводность, Д*см/сПз")
                : QStringLiteral("Скин-эффект"),
            s.Inputs.Skin);
        add(QStringLiteral("Радиус контура питания, м"), s.Inputs.Rkontur);
        add(QStringLiteral("Радиус скважины, м"), s.Inputs.Rwell);
    }
    return lines;
}

QByteArray csvText(const AnalysisState& s, bool withDates) {
    // Written as UTF-8 line by line: a large table is not held twice, as text and as bytes.
    QByteArray text("\xEF\xBB\xBF");
    text.reserve(s.Table.size() * 24 + 1024);
    QStringList header = {s.WellType == InjectionWell ? QStringLiteral("Приемистость, м3/сут")
                                                      : QStringLiteral("Дебит, м3/сут"),
                          QStringLiteral("P заб, МПа")};
    if (withDates)
        header << QStringLiteral("Дата");
    text += line(header);
    for (const MeasurementRow& row : s.Table) {
        QStringList fields = {row.Rate, row.Pressure};
        if (withDates)
            fields << row.Date;
        text += line(fields);
    }
    if (s.ResultsShown && !s.ResultRows.empty()) {
        text += "\r\n";
        text += line({QStringLiteral("Результат"), QStringLiteral("Значение")});
        for (const ResultRow& r : s.ResultRows)
            text += line({r.caption, r.value});
    }
    const QStringList equations = trendEquations(s);
    if (!equations.isEmpty()) {
        text += "\r\n";
        for (int i = 0; i < equations.size(); ++i)
            text += line({QStringLiteral("Линия тренда %1").arg(i + 1), equations[i]});
    }
    return text;
}

} // namespace id
