#pragma once

#include "batch/BatchInterpretation.h"
#include "database/WellList.h"
#include "state/StartOptions.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <vector>

class QThread;

namespace id {

// One step on the well database in a thread of its own (with its own connection, as the SQL
// drivers require); `done` runs afterwards in this object's thread. One step at a time.
class BackgroundTask : public QObject {
public:
    explicit BackgroundTask(QObject* parent = nullptr) : QObject(parent) {}
    // Waits for a running step: no transaction is cut off inside; its `done` no longer runs.
    ~BackgroundTask() override;

    bool busy() const { return thread_ != nullptr; }
    // False while another step runs.
    bool start(std::function<void()> work, std::function<void()> done);
    // Blocks until the running step, if any, has ended and its `done` has run.
    void wait();

private:
    void finish();

    QThread* thread_ = nullptr;
    std::function<void()> done_;
    int steps_ = 0;
};

// The rule of the batch applied to the wells named, in their order, as the batch applies it:
// each well read, interpreted and written in a transaction of its own (its results in kwu_ind
// and, when a shared run's work table exists, its row there), so a stop between two wells
// leaves every well either done or untouched.
struct WellsRun {
    int done = 0;
    int failed = 0;
    bool cancelled = false;
    // Why the run stopped before its end; the wells done before stay done.
    QString fatal;
    QString details;
    // The rows of the wells done, read back as the database now holds them.
    std::vector<WellListRow> rows;
};
WellsRun applyRuleToWells(const StartOptions& options, const BatchSettings& settings,
                          const std::vector<qint64>& wells, const std::atomic<bool>& cancel,
                          std::atomic<int>& done);

} // namespace id
