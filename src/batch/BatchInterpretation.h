#pragma once

#include "state/AnalysisState.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
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
    qint64 kwuId = 0;
    std::int16_t wellType = ProducingWell;
    std::vector<double> rates;
    std::vector<double> pressures;
    // The regimes left out for a missing cell, each with which and why.
    QStringList notes;
    // Why the well is not interpreted at all (a cell that is no number, an id that is none or
    // not its alone); nothing is written for it.
    QString refusal;
    // The id as its source wrote it, for the summary when it is no id.
    QString idText;
};

// What a regime's cell holds: a number, nothing (NULL or blank) or a text that is no number.
struct CellValue {
    enum Kind { Number, Missing, NotNumber } kind = Missing;
    double value = 0;
    QString text;
};
// Cells of any type a database gives: numbers as they are, texts read as the window reads pasted
// ones.
CellValue readCell(const QVariant& cell);

// Adds the regime numbered `regime` (from 1) to the well, or notes why it is left out, or refuses
// the well for a cell that is no number. Nothing more is added once the well is refused.
void addRegime(WellRegimes& well, int regime, const CellValue& rate, const CellValue& pressure);

// A well's id from a database cell or a file's name: a 64-bit integer, or nothing and why.
std::optional<qint64> readWellId(const QVariant& cell, QString& why);

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
    qint64 kwuId = 0;
    // The id as the summary shows it: the number, or the text that is none.
    QString idText;
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
    // The transmissibility or the skin factor, when one was asked and made.
    std::optional<double> estimate;
    // With BatchSettings::drawing: what the window would show, the results table and the lines'
    // equations.
    std::vector<ResultRow> rows;
    QStringList equations;
    // The model or the break the rule made, for their own columns of the summary (held apart: a
    // block of outcomes waits in memory to be written).
    SharedInflowFit model;
    std::shared_ptr<const BreakRecord> breakRecord;
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
// A file of the input folder that is no well's, with why.
QString skippedLine(const QString& fileName, BatchRule rule, const QString& why);

// The regimes of one well from a file of the input folder: a CSV of rate and pressure (a header
// of words allowed; ";", "," between fields with the decimal point, or tabs; fields may be quoted)
// or an analysis file. The reason when the file cannot be read; a value that is no number is the
// well's refusal.
struct FileRegimes {
    std::optional<WellRegimes> well;
    QString error;
};
FileRegimes readWellFile(const QString& path, qint64 kwuId, std::int16_t wellType);

} // namespace id
