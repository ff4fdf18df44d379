#include "app/view/DatabaseActions.h"

#include "app/MenuRules.h"
#include "document/AnalysisDocument.h"
#include "platform/MessagePort.h"

#include <QAction>
#include <cstdio>

namespace id {

DatabaseActions::DatabaseActions(AnalysisDocument& document, MessagePort& messages,
                                 QAction& saveItem, QObject* parent)
    : QObject(parent), document_(document), messages_(messages), saveItem_(saveItem) {
    if (document_.options().DatabaseMode) {
        worker_ = new DatabaseWorker(document_.options(), this);
        connect(worker_, &DatabaseWorker::finished, this, &DatabaseActions::stepEnded);
    }
}

void DatabaseActions::SaveResults() {
    if (!worker_ || !document_.options().DatabaseRecordLoaded ||
        !worker_->start(DatabaseWorker::Job::SaveResults, document_.state()))
        return;
    stepRecord_ = document_.options().RecordId;
    updateSaveItem();
    emit activity(QStringLiteral("Сохранение результатов в базу скважин…"));
}

void DatabaseActions::checkRecord(bool sayFailure) {
    if (!worker_ || !worker_->start(DatabaseWorker::Job::CheckRecord))
        return;
    stepRecord_ = document_.options().RecordId;
    sayCheckFailure_ = sayFailure;
    updateSaveItem();
    emit activity(QStringLiteral("Проверка записи в базе скважин…"));
}

bool DatabaseActions::busy() const {
    return worker_ && worker_->busy();
}

void DatabaseActions::wait() {
    if (worker_)
        worker_->wait();
}

void DatabaseActions::updateSaveItem() {
    saveItem_.setEnabled(document_.options().DatabaseRecordLoaded && !busy() &&
                         resultsToSave(document_.state()));
}

void DatabaseActions::switchRecord(qint64 recordId, bool recordPresent) {
    document_.options().RecordId = recordId;
    document_.options().DatabaseRecordLoaded = recordPresent;
    if (worker_)
        worker_->setRecord(recordId);
    updateSaveItem();
}

void DatabaseActions::stepEnded(DatabaseWorker::Job job, const DatabaseOutcome& result) {
    // The outcome is said first, and only then is the database idle: a window waiting to close
    // closes after the user has read it.
    const DatabaseOutcome outcome = result;
    // What a step found of a record left since says nothing of the record now.
    const bool sameRecord = stepRecord_ == document_.options().RecordId;
    bool ignored = false;
    bool& loaded = sameRecord ? document_.options().DatabaseRecordLoaded : ignored;
    if (job == DatabaseWorker::Job::CheckRecord) {
        loaded = outcome.ok;
        updateSaveItem();
        if (!outcome.ok && sayCheckFailure_) {
            std::fputs((outcome.message + u'\n').toLocal8Bit().constData(), stderr);
            messages_.showMessage(outcome.message, outcome.details);
        }
        emit activity(QString());
        emit idle(true);
        return;
    }
    // A save that found the record proves it is there; one that did not, that it is gone.
    if (outcome.ok)
        loaded = true;
    else if (outcome.recordMissing)
        loaded = false;
    updateSaveItem();
    messages_.showMessage(outcome.message, outcome.details);
    if (outcome.ok)
        emit resultsSaved(stepRecord_);
    emit activity(QString());
    emit idle(outcome.ok);
}

} // namespace id
