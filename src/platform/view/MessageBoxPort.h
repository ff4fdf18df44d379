#pragma once

#include "platform/MessagePort.h"

class QWidget;

namespace id {

// Shows each message in a modal message box with an OK button.
class MessageBoxPort : public MessagePort {
public:
    explicit MessageBoxPort(QWidget* parent = nullptr) : parent_(parent) {}
    void showMessage(const QString& text) override;
    void showMessage(const QString& text, const QString& details) override;
    Answer ask(const QString& question) override;

private:
    QWidget* parent_;
};

} // namespace id
