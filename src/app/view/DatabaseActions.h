#pragma once

#include "database/DatabaseWorker.h"

#include <QObject>

class QAction;

namespace id {

class AnalysisDocument;
class MessagePort;

// The window's commands on the well database ("Сохранить" and the record's check), run in the
// background; the save item is offered only when a save could run.
class DatabaseActions : public QObject {
    Q_OBJECT
public:
    DatabaseActions(AnalysisDocument& document, MessagePort& messages, QAction& saveItem,
                    QObject* parent = nullptr);

    // Starts writing three results into the record; how it went is said when it ends.
    void SaveResults();
    // Checks whether the record is there; a failure is said only when asked.
    void checkRecord(bool sayFailure);
    bool busy() const;
    // Blocks until the running step, if any, has ended and been reported.
    void wait();
    // Offers the save item when a save could run now.
    void updateSaveItem();
    // Another well's record: saves go there from now on, offered when it is there. A step still
    // running for the record before reports its outcome, but no longer decides the offer.
    void switchRecord(qint64 recordId, bool recordPresent);

signals:
    // What the well database is doing now, empty when it is idle.
    void activity(const QString& text);
    // The step has ended and been reported; false for a save that failed.
    void idle(bool lastStepOk);
    // The results were saved into the record.
    void resultsSaved(qint64 recordId);

private:
    void stepEnded(DatabaseWorker::Job job, const DatabaseOutcome& result);

    AnalysisDocument& document_;
    MessagePort& messages_;
    QAction& saveItem_;
    DatabaseWorker* worker_ = nullptr;
    bool sayCheckFailure_ = false;
    // The record of the step running.
    qint64 stepRecord_ = 0;
};

} // namespace id
