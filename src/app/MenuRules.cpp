#include "app/MenuRules.h"

namespace id {

bool resultsToSave(const AnalysisState& s) {
    return s.ProductivityIndex > 0 || s.ReservoirPressure > 0 || s.AllowedBottomholePressure > 0;
}

DataMenuState dataMenuState(const AnalysisState& s, const MenuFacts& facts) {
    DataMenuState m;
    m.paste = facts.tableRow >= 1 && facts.clipboardHasText;
    m.exportDiagram = s.DiagramShown;
    m.exportPiChart = s.PiChartShown;
    m.exportCsv = !s.Table.isEmpty();
    m.exportPdf = !s.Table.isEmpty();
    m.save = facts.recordLoaded && !facts.databaseBusy && resultsToSave(s);
    return m;
}

DiagramMenuState diagramMenuState(const AnalysisState& s) {
    DiagramMenuState m;
    m.build =
        !s.Table.empty() && !s.Table.front().Rate.isEmpty() && !s.Table.front().Pressure.isEmpty();
    m.format = m.formatX = m.formatY = m.copy = s.DiagramShown;
    m.formatPi = m.copyPi = s.PiChartShown;
    m.statistics = s.TrendCount > 0;
    m.confidenceBands = s.TrendCount > 0 && s.DiagramShown;
    m.estimate = s.FirstTrend.Kind < QuadraticTrend;
    return m;
}

TrendMenuState trendMenuState(const AnalysisState& s) {
    TrendMenuState m;
    m.byAllPoints = !s.SelectionMode;
    if (!s.SelectionMode && s.fitPointCount() >= 1) {
        m.line = s.fitPointCount() >= 2;
        m.quadratic = s.fitPointCount() >= 3;
        m.cubic = s.fitPointCount() > 3;
    }
    m.models = s.WellType == ProducingWell && s.fitPointCount() >= 1;
    m.breakSearch = s.fitPointCount() >= 1;
    // Trends drawn but no longer counted (a selection starting over) can be deleted too.
    m.remove = s.TrendCount >= 1 || s.FirstTrend.Kind != NoTrend || s.SecondTrend.Kind != NoTrend;
    m.restorePoints = s.ExcludedPoints.count() > 0;
    return m;
}

} // namespace id
