#pragma once

#include "database/WellDatabase.h"
#include "state/StartOptions.h"

#include <QObject>

class QThread;

namespace id {

// Runs one step on the well database at a time, in a thread of its own (with its own
// connection, as the SQL drivers require), so that a slow or silent server never holds the
// window. The outcome comes back as a signal in the owner's thread.
class DatabaseWorker : public QObject {
    Q_OBJECT
public:
    enum class Job { CheckRecord, SaveResults };

    explicit DatabaseWorker(const StartOptions& options, QObject* parent = nullptr);
    // Waits for a running step: the program never cuts a save off inside its transaction.
    ~DatabaseWorker() override;

    bool busy() const { return thread_ != nullptr; }
    // The record the next steps check and save into (a well opened from the list).
    void setRecord(qint64 recordId) { options_.RecordId = recordId; }
    // Starts the step (the results of the analysis for a save); false while another runs.
    bool start(Job job, const AnalysisState& results = {});
    // Blocks until the running step, if any, has ended and reported.
    void wait();

signals:
    void finished(id::DatabaseWorker::Job job, const id::DatabaseOutcome& outcome);

private:
    void report();

    StartOptions options_;
    QThread* thread_ = nullptr;
    Job job_ = Job::CheckRecord;
    int steps_ = 0;
    DatabaseOutcome outcome_;
};

} // namespace id
