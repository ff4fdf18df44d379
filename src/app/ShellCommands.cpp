#include "app/ShellCommands.h"

#include "analysis/FormationInputs.h"
#include "analysis/ResultsTable.h"
#include "app/CommandRunner.h"
#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "diagram/AxisRounding.h"
#include "diagram/RedrawPipeline.h"
#include "diagram/TickRule.h"
#include "platform/FlexGrid.h"
#include "platform/MessagePort.h"
#include "platform/PictureSurface.h"
#include "state/AnalysisState.h"
#include "state/NumberText.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>

namespace id {

QString quotedCell(const QString& text) {
    constexpr qsizetype Longest = 40;
    return text.size() <= Longest ? text : text.left(Longest) + QStringLiteral("…");
}

QString frameCaption(int wellType) {
    return wellType == InjectionWell
               ? QStringLiteral("Индикаторная диаграмма нагнетательной скважины")
               : QStringLiteral("Индикаторная диаграмма добывающей скважины");
}

ShellCommands::ShellCommands(AppContext& context, FormationInputs& formation, QMainWindow& frame,
                             QObject* parent)
    : QObject(parent), ctx_(context), formation_(formation), frame_(frame) {
    const MenuTree& m = ctx_.menus;
    connect(m.mIdAdd, &QAction::triggered, this, &ShellCommands::BuildCharts);
    connect(m.mEditWellDob, &QAction::triggered, this, [this](bool checked) {
        restoreMarkBeforeClick(ctx_.menus.mEditWellDob, checked);
        SwitchWellType(ProducingWell);
    });
    connect(m.mEditWellNag, &QAction::triggered, this, [this](bool checked) {
        restoreMarkBeforeClick(ctx_.menus.mEditWellNag, checked);
        SwitchWellType(InjectionWell);
    });
    connect(m.mTrendLine, &QAction::triggered, this, [this] { addTrendByAllPoints(LinearTrend); });
    connect(m.mTrendPolinom2, &QAction::triggered, this,
            [this] { addTrendByAllPoints(QuadraticTrend); });
    connect(m.mTrendPolinom3, &QAction::triggered, this,
            [this] { addTrendByAllPoints(CubicTrend); });
    connect(m.mTrendAddSelectPoint, &QAction::triggered, this, [this](bool checked) {
        restoreMarkBeforeClick(ctx_.menus.mTrendAddSelectPoint, checked);
        toggleSelectionMode();
    });
    connect(m.mTrendDelete, &QAction::triggered, this, &ShellCommands::deleteTrends);
}

std::optional<std::vector<std::pair<double, double>>> ShellCommands::readTable() {
    const FlexGrid* grid = ctx_.form.MSFlexGrid1;
    std::vector<std::pair<double, double>> points;
    for (int r = 1; r <= grid->Rows() - 1; ++r) {
        const QString rateText = grid->text(r, 1);
        const QString pressureText = grid->text(r, 2);
        if (pressureText.isEmpty() || rateText.isEmpty())
            continue;
        const std::optional<double> rate = readNumber(rateText);
        const std::optional<double> pressure = readNumber(pressureText);
        if (!rate || !pressure) {
            ctx_.messages.showMessage(
                QStringLiteral("В строке %1 таблицы записано не число: «%2». График не построен")
                    .arg(r)
                    .arg(quotedCell(rate ? pressureText : rateText)));
            return std::nullopt;
        }
        points.emplace_back(*rate, *pressure);
    }
    return points;
}

void ShellCommands::BuildCharts() {
    // Every cell is read before anything changes, so a bad cell leaves the analysis as it was.
    const std::optional<std::vector<std::pair<double, double>>> points = readTable();
    if (!points)
        return;
    AnalysisState& s = ctx_.state;
    // Numbers too large for any chart are refused before anything changes.
    double largestRate = 0;
    double largestPressure = 0;
    for (const auto& [rate, pressure] : *points) {
        largestRate = std::max(largestRate, rate);
        largestPressure = std::max(largestPressure, pressure);
    }
    for (const std::optional<QString>& fault :
         {axisFault(0, RoundUpAxisMax(largestRate), QStringLiteral("X"), QString()),
          axisFault(0, RoundUpAxisMax(largestPressure), QStringLiteral("Y"), QString())}) {
        if (fault) {
            ctx_.messages.showMessage(*fault);
            return;
        }
    }
    s.AllowedBottomholePressure = 0;
    resetResults(s);
    s.MeasurementCount = 0;
    resetAxes(s);
    s.FitRateFrom = 0;
    s.FitRateTo = 0;
    s.TrendCount = 0;
    s.CurrentTrendKind = NoTrend;
    s.FirstTrendKind = NoTrend;
    s.SecondTrendKind = NoTrend;

    s.Measurements.clear();
    for (const auto& [rate, pressure] : *points) {
        ++s.MeasurementCount;
        s.Measurements.append(rate, pressure);
        if (rate >= s.IdAxisXMax)
            s.IdAxisXMax = rate;
        if (s.WellType == ProducingWell) {
            if (pressure >= s.IdAxisYTop)
                s.IdAxisYTop = pressure;
        } else if (pressure >= s.IdAxisYBottom) {
            s.IdAxisYBottom = pressure;
        }
        if (rate > s.FitRateTo)
            s.FitRateTo = rate;
    }
    fitAllMeasurements(s);
    s.IdAxisXMax = RoundUpAxisMax(s.IdAxisXMax);
    if (s.WellType == ProducingWell)
        s.IdAxisYTop = RoundUpAxisMax(s.IdAxisYTop);
    else
        s.IdAxisYBottom = RoundUpAxisMax(s.IdAxisYBottom);

    // The boxes are unticked before the drawing, so a tick hidden by an earlier edit starts no
    // search that the user cannot see asked for.
    WorkWindow& f = ctx_.form;
    f.Check1->setChecked(false);
    f.Check2->setChecked(false);
    runCommand(ctx_, [this] { RedrawIndicatorDiagram(ctx_); });

    f.Picture3->show();
    f.Picture4->show();
    f.Picture7->hide();
    f.Picture8->hide();
    f.Check1->show();
    f.Check2->show();
    f.Check1->setChecked(false);
    f.Check2->setChecked(false);
    f.MSFlexGrid2->hide();
    ctx_.menus.mTrend->menuAction()->setEnabled(true);
}

void ShellCommands::SwitchWellType(int wellType) {
    const MenuTree& m = ctx_.menus;
    QAction* chosen = wellType == InjectionWell ? m.mEditWellNag : m.mEditWellDob;
    QAction* other = wellType == InjectionWell ? m.mEditWellDob : m.mEditWellNag;
    if (chosen->isChecked())
        return;
    chosen->setChecked(true);
    other->setChecked(false);
    AnalysisState& s = ctx_.state;
    s.WellType = static_cast<std::int16_t>(wellType);
    frame_.setWindowTitle(frameCaption(wellType));
    WorkWindow& f = ctx_.form;
    f.applyWellTypeHeader(wellType);
    f.placeDiagram(wellType);
    s.AllowedBottomholePressure = 0;
    resetResults(s);
    ResetTrends(s);
    f.Pnas->setVisible(wellType == ProducingWell);
    f.Label1->setVisible(wellType == ProducingWell);
    for (QWidget* w : std::initializer_list<QWidget*>{
             f.Picture3, f.Picture4, f.Picture7, f.Picture8, f.MSFlexGrid2, f.Check1, f.Check2})
        w->hide();
    m.mTrend->menuAction()->setEnabled(false);
    formation_.withoutEstimate();
}

void ShellCommands::addTrendByAllPoints(int kind) {
    if (kind != LinearTrend && !ctx_.menus.mIdSkinNot->isChecked())
        formation_.switchEstimationOffQuietly();
    AnalysisState& s = ctx_.state;
    s.TrendCount = 1;
    s.CurrentTrendKind = static_cast<std::int16_t>(kind);
    s.CurrentTrendCoefficients.resetTo(kind);
    s.FirstTrendKind = static_cast<std::int16_t>(kind);
    s.FirstTrendCoefficients.resetTo(kind);
    runCommand(ctx_, [this] { RedrawIndicatorDiagram(ctx_); });
}

void ShellCommands::redrawWithoutTrends() {
    ResetTrends(ctx_.state);
    ctx_.form.MSFlexGrid2->hide();
    ctx_.form.Picture7->hide();
    ctx_.form.Picture8->hide();
    runCommand(ctx_, [this] {
        RedrawIndicatorDiagram(ctx_);
        UpdateResultsTable(ctx_);
    });
}

void ShellCommands::toggleSelectionMode() {
    AnalysisState& s = ctx_.state;
    resetResults(s);
    if (s.WellType == InjectionWell)
        s.AllowedBottomholePressure = 0;
    QAction* item = ctx_.menus.mTrendAddSelectPoint;
    if (item->isChecked()) {
        item->setChecked(false);
        fitAllMeasurements(s);
        s.FitRateFrom = 0;
        double largest = 0;
        for (int i = 1; i <= s.MeasurementCount; ++i)
            largest = std::max(largest, s.Measurements.rate(i));
        s.FitRateTo = largest;
    } else {
        item->setChecked(true);
    }
    redrawWithoutTrends();
}

void ShellCommands::deleteTrends() {
    AnalysisState& s = ctx_.state;
    resetResults(s);
    if (s.WellType == InjectionWell)
        s.AllowedBottomholePressure = 0;
    redrawWithoutTrends();
}

} // namespace id
