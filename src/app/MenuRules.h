#pragma once

#include "state/AnalysisState.h"

#include <optional>

namespace id {

// What the menus' opening rules need from outside the analysis.
struct MenuFacts {
    bool clipboardHasText = false;
    // The measurement table's current row; 0 when no data row is current.
    int tableRow = 0;
    bool recordLoaded = false;
    bool databaseBusy = false;
};

// "Данные": what may be chosen when it opens.
struct DataMenuState {
    bool paste = false;
    bool exportDiagram = false;
    bool exportPiChart = false;
    bool exportCsv = false;
    bool exportPdf = false;
    bool save = false;
};

// "ИД".
struct DiagramMenuState {
    bool build = false;
    bool format = false;
    bool formatX = false;
    bool formatY = false;
    bool formatPi = false;
    bool copy = false;
    bool copyPi = false;
    bool statistics = false;
    bool confidenceBands = false;
    bool estimate = false;
};

// "Линия тренда". The kinds of the submenu keep their state when the fit set is empty.
struct TrendMenuState {
    bool byAllPoints = false;
    std::optional<bool> line;
    std::optional<bool> quadratic;
    std::optional<bool> cubic;
    // The inflow models: a producing well's fit set, in either mode.
    bool models = false;
    bool breakSearch = false;
    bool remove = false;
    bool restorePoints = false;
};

DataMenuState dataMenuState(const AnalysisState& state, const MenuFacts& facts);
DiagramMenuState diagramMenuState(const AnalysisState& state);
TrendMenuState trendMenuState(const AnalysisState& state);

// Whether the well database may be asked for a save of these results.
bool resultsToSave(const AnalysisState& state);

} // namespace id
