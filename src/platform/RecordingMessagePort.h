#pragma once

#include "platform/MessagePort.h"

#include <QStringList>

namespace id {

// Keeps the messages instead of showing them; for tests and automation.
class RecordingMessagePort : public MessagePort {
public:
    void showMessage(const QString& text) override { messages_.append(text); }

    const QStringList& messages() const { return messages_; }
    QString last() const { return messages_.isEmpty() ? QString() : messages_.last(); }
    void clear() { messages_.clear(); }

private:
    QStringList messages_;
};

} // namespace id
