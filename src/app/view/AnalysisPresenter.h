#pragma once

#include "analysis/TrendStatistics.h"
#include "charts/view/AnalysisPainter.h"
#include "diagram/ChartInputs.h"
#include "state/AnalysisState.h"
#include "state/StartOptions.h"

#include <QPointer>
#include <QRect>
#include <optional>
#include <vector>

class QMainWindow;

namespace id {

class AnalysisDocument;
class StatisticsWindow;
class WorkWindow;
struct MenuTree;

// Shows a document in the work window: the charts drawn afresh only when what they show
// changed, every control, the menus' marks and the open statistics window brought in line.
class AnalysisPresenter {
public:
    AnalysisPresenter(QMainWindow& frame, WorkWindow& form, const MenuTree& menus,
                      const StartOptions& options);

    void present(const AnalysisDocument& document);
    // Set while the controls are brought in line: their own signals and focus changes then are
    // not the user's.
    bool presenting() const { return presenting_; }

    // "Статистика": opens the window that follows the analysis.
    void showStatistics(const AnalysisState& state);
    StatisticsWindow* statisticsWindow() const { return statistics_; }

private:
    void syncTable(const AnalysisState& state);
    void syncResults(const AnalysisState& state);
    // The results table laid out for the rows it shows.
    void layOutResults();
    void syncInputs(const AnalysisState& state);

    QMainWindow& frame_;
    WorkWindow& form_;
    const MenuTree& menus_;
    int lastDataColumn_;
    bool presenting_ = false;
    // The result rows the results table holds now, and the table as laid out at start.
    std::vector<ResultRow> shownResults_;
    // The zoom the controls were last laid out at: a change lays out and draws everything anew.
    double laidOutZoom_ = 1.0;
    std::int16_t shownWellType_ = 0;
    // The analysis the charts were last drawn from: a command that changes nothing they show
    // draws nothing.
    std::optional<ChartInputs> drawn_;
    ChartLayers layers_;
    // The table as last written into the grid, shared with the analysis it came from.
    QList<MeasurementRow> shownTable_;
    QPointer<StatisticsWindow> statistics_;
    // The analysis the statistics window last showed.
    std::optional<StatisticsInputs> reported_;
};

} // namespace id
