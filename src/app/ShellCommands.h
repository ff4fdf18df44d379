#pragma once

#include "app/AppContext.h"

#include <QObject>
#include <optional>

class QMainWindow;

namespace id {

class FormationInputs;

// The commands of the main menu that belong to the shell: the build command, the well-type
// switch, the trends by all points, the selection-mode toggle and the trend deletion.
class ShellCommands : public QObject {
    Q_OBJECT
public:
    ShellCommands(AppContext& context, FormationInputs& formation, QMainWindow& frame,
                  QObject* parent = nullptr);

    // "Построить график"
    void BuildCharts();
    // "Добывающая" (1) or "Нагнетательная" (2)
    void SwitchWellType(int wellType);
    // "Линейная", "Полиномиальная 2-й степени", "Полиномиальная 3-й степени": kind 2, 3, 4
    void addTrendByAllPoints(int kind);
    // "Линии тренда по выбранным точкам"
    void toggleSelectionMode();
    // "Удалить линию тренда"
    void deleteTrends();

private:
    // Takes every trend off, hides what showed them and rebuilds the diagram and the results.
    void redrawWithoutTrends();
    // The measurement rows with both cells filled, or nothing (after telling the user) when a
    // cell does not hold a number.
    std::optional<std::vector<std::pair<double, double>>> readTable();

    AppContext& ctx_;
    FormationInputs& formation_;
    QMainWindow& frame_;
};

// A cell's text as a message quotes it: long texts are cut, so the message stays on the screen.
QString quotedCell(const QString& text);

// Caption of the main frame for a well type.
QString frameCaption(int wellType);

} // namespace id
