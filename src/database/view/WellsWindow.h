#pragma once

#include "batch/BatchInterpretation.h"
#include "database/WellListModel.h"
#include "state/StartOptions.h"

#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace id {

class BackgroundTask;
class MessagePort;

// "Скважины": every well of the regimes table with its stored results and the shared run's
// state, sorted, filtered and found; a well opens in the work window; the batch's rule runs on
// the wells shown. The database is read and written in the background.
class WellsWindow : public QWidget {
    Q_OBJECT
public:
    // `settings` gives what the work window's boxes hold, for the rule's defaults.
    WellsWindow(const StartOptions& options, MessagePort& messages,
                std::function<BatchSettings()> settings, QWidget* parent = nullptr);
    ~WellsWindow() override;

    WellListModel& model() { return *model_; }
    QTableView& table() { return *table_; }
    bool busy() const;
    // Blocks until the running step, if any, has ended and been shown.
    void wait();

    // Reads the list afresh; a failure is said, and the list stays as it was.
    void reload();
    // Reads one well's row again (after its results were saved).
    void refreshWell(qint64 kwuId);
    // Marks the well open in the work window and brings it into view.
    void setCurrentWell(qint64 kwuId);
    // Selects the well by its kwu_id; false (after saying so) when it is not shown.
    bool findWell(const QString& text);

    // "Применить правило к показанным скважинам…": the rule asked for, then run on the wells
    // shown; and the run itself with the settings given.
    void chooseRule();
    void applyRule(const BatchSettings& settings);
    void cancelRule();
    // How the rule is asked for: a dialog by default; tests may answer themselves.
    using RuleChooser = std::function<std::optional<BatchSettings>(int wells, BatchSettings)>;
    void setRuleChooser(RuleChooser chooser) { ruleChooser_ = std::move(chooser); }

signals:
    // The user chose to open the well (double-click or Enter).
    void openRequested(qint64 kwuId);
    // The list, its order or its filter changed.
    void shownChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void showCounts();
    void showDistribution();
    void openCurrent();
    void startPendingRefresh();

    StartOptions options_;
    MessagePort& messages_;
    std::function<BatchSettings()> settings_;
    WellListModel* model_ = nullptr;
    BackgroundTask* task_ = nullptr;
    QTableView* table_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLineEdit* find_ = nullptr;
    QComboBox* chartColumn_ = nullptr;
    QWidget* chart_ = nullptr;
    QLabel* counts_ = nullptr;
    QPushButton* applyRule_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    RuleChooser ruleChooser_;
    std::atomic<bool> cancelRun_{false};
    std::atomic<int> doneWells_{0};
    int runWells_ = 0;
    std::vector<qint64> pendingRefresh_;
    std::optional<qint64> current_;
};

} // namespace id
