#pragma once

#include "platform/MessagePort.h"

#include <QStringList>
#include <deque>

namespace id {

// Keeps the messages instead of showing them; for tests and automation.
class RecordingMessagePort : public MessagePort {
public:
    void showMessage(const QString& text) override { showMessage(text, QString()); }
    void showMessage(const QString& text, const QString& details) override {
        messages_.append(text);
        details_.append(details);
    }
    // The details shown with each message, empty where there were none.
    const QStringList& details() const { return details_; }
    // Questions are kept too and answered from the queue, "Нет" when it is empty.
    Answer ask(const QString& question) override {
        questions_.append(question);
        if (answers_.empty())
            return Answer::No;
        const Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    void answerNext(Answer a) { answers_.push_back(a); }
    const QStringList& questions() const { return questions_; }

    const QStringList& messages() const { return messages_; }
    QString last() const { return messages_.isEmpty() ? QString() : messages_.last(); }
    void clear() {
        messages_.clear();
        details_.clear();
    }

private:
    QStringList messages_;
    QStringList details_;
    QStringList questions_;
    std::deque<Answer> answers_;
};

} // namespace id
