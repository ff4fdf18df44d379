#pragma once

#include "batch/BatchInterpretation.h"
#include "database/view/WellsWindow.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QMainWindow;

namespace id {

class AnalysisWindow;
class BackgroundTask;
class MessagePort;
struct MenuTree;

// The wells of the database in the work window: the record's regimes read at start, "Скважины
// базы…", a well opened from the list and the walk through it in its order and filter.
class WellsActions : public QObject {
    Q_OBJECT
public:
    WellsActions(QMainWindow& frame, const MenuTree& menus, AnalysisWindow& analysis,
                 MessagePort& messages, std::function<BatchSettings()> settings,
                 QObject* parent = nullptr);
    ~WellsActions() override;

    // Fills the table with the start record's regimes when the regimes table holds any; reads
    // in the background.
    void readStartRegimes();
    // "Скважины базы…": the list, read when first shown.
    void showWells();
    // The well in the work window, after the unsaved-changes question.
    void openWell(qint64 kwuId);
    // The next (1) or previous (-1) well of the list as it is shown.
    void walk(int step);

    WellsWindow* window() const { return window_; }
    bool busy() const;
    // Blocks until the reading of a well, if any, has ended and been shown.
    void wait();

private:
    struct Read;
    void readWell(qint64 kwuId, bool atStart);
    void wellRead(qint64 kwuId, bool atStart, const Read& read);
    void updateWalkItems();
    std::optional<qint64> neighbour(int step) const;

    QMainWindow& frame_;
    const MenuTree& menus_;
    AnalysisWindow& analysis_;
    MessagePort& messages_;
    std::function<BatchSettings()> settings_;
    BackgroundTask* reading_ = nullptr;
    QPointer<WellsWindow> window_;
    // The well the walk stands on: the last one asked for, even when its regimes were refused,
    // so that the next step goes past it.
    std::optional<qint64> walkAt_;
};

} // namespace id
