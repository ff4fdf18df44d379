#pragma once

#include "state/AnalysisState.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace id {

class SpreadsheetFitService;

// The rule a batch applies to every well, to all of its points.
enum class BatchRule { Linear, Quadratic, Cubic, Break, Vogel, Composite, Fetkovich };
std::optional<BatchRule> batchRule(const QString& name);
QString batchRuleName(BatchRule rule);

// One well's regimes as the batch reads them.
struct WellRegimes {
    int kwuId = 0;
    std::int16_t wellType = ProducingWell;
    std::vector<double> rates;
    std::vector<double> pressures;
};

// What the window's boxes would hold: texts read as the window reads them.
struct BatchSettings {
    BatchRule rule = BatchRule::Linear;
    QString pnas;
    QString modelPres;
    // "Оценка" and its boxes: the skin factor (or the transmissibility), Rkontur and Rwell.
    EstimationMode estimation = EstimationMode::None;
    QString skin;
    QString rkontur;
    QString rwell;
    // Whether each outcome carries its lines sampled for a drawing (a report's diagram).
    bool drawing = false;
};

struct Range {
    double low = 0;
    double high = 0;
};

// One well interpreted: its three results (0: not determined) with their 95 % intervals where
// the rule gives them, R² of the first line, and whether it worked and why not.
struct WellOutcome {
    int kwuId = 0;
    std::int16_t wellType = ProducingWell;
    bool ok = false;
    QString message;
    double productivity = 0;
    double reservoirPressure = 0;
    double allowedPressure = 0;
    std::optional<Range> productivityInterval;
    std::optional<Range> reservoirInterval;
    std::optional<Range> allowedInterval;
    double rSquared = 0;
    // The estimate's row ("Гидропроводность…" or "Скин-эффект") when one was asked and made.
    QString estimate;
    // What the window would show: the results table and the lines' equations.
    std::vector<ResultRow> rows;
    QStringList equations;
    // With BatchSettings::drawing: each line or model as (rate, pressure) over its rates, and the
    // break where the rule found one.
    std::vector<std::vector<QPointF>> curves;
    std::optional<QPointF> breakPoint;
};

// The well as the window would interpret it: its points typed into the table, "Построить
// график", then the rule's menu command, all with the window's own code.
WellOutcome interpretWell(const WellRegimes& well, const BatchSettings& settings,
                          SpreadsheetFitService& fits);

// The summary's header and a well's line: ";" between fields, the decimal comma.
QString summaryHeader();
QString summaryLine(const WellOutcome& outcome, BatchRule rule);

// The regimes of one well from a file of the input folder: a CSV of rate and pressure (a header
// of words allowed; ";", "," between fields with the decimal point, or tabs) or an analysis file.
// The reason when the file holds no regimes.
struct FileRegimes {
    std::optional<WellRegimes> well;
    QString error;
};
FileRegimes readWellFile(const QString& path, int kwuId, std::int16_t wellType);

} // namespace id
