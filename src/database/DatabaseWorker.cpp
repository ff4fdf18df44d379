#include "database/DatabaseWorker.h"

#include <QThread>

namespace id {

DatabaseWorker::DatabaseWorker(const StartOptions& options, QObject* parent)
    : QObject(parent), options_(options) {}

DatabaseWorker::~DatabaseWorker() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

bool DatabaseWorker::start(Job job, const AnalysisState& analysis) {
    if (thread_)
        return false;
    // The worker gets its own copy of the three results, nothing shared with the window.
    AnalysisState results;
    results.ProductivityIndex = analysis.ProductivityIndex;
    results.ReservoirPressure = analysis.ReservoirPressure;
    results.AllowedBottomholePressure = analysis.AllowedBottomholePressure;
    job_ = job;
    thread_ = QThread::create([this, job, results, options = options_] {
        const WellDatabase database(options);
        outcome_ = job == Job::CheckRecord ? database.checkRecord() : database.saveResults(results);
    });
    // A step already reported by wait() must not be reported again by its late signal.
    connect(
        thread_, &QThread::finished, this,
        [this, step = ++steps_] {
            if (step == steps_)
                report();
        },
        Qt::QueuedConnection);
    thread_->start();
    return true;
}

void DatabaseWorker::report() {
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    // A copy: a step started while this one is reported must not write what is being read.
    const DatabaseOutcome outcome = outcome_;
    emit finished(job_, outcome);
}

void DatabaseWorker::wait() {
    if (thread_)
        report();
}

} // namespace id
