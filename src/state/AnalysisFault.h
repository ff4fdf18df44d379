#pragma once

#include <QString>
#include <stdexcept>

namespace id {

// A fault that ends the running command: a degenerate fit, a division by zero in a derived
// value, a zero axis range. What was drawn and stored before it stays; the command that ran
// tells the user the message.
class AnalysisFault : public std::runtime_error {
public:
    explicit AnalysisFault(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace id
