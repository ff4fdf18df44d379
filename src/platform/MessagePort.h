#pragma once

#include <QString>

namespace id {

// Every message the program shows the user passes through here, so that tests can read them.
class MessagePort {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~MessagePort() = default;
    // Shows the text with an OK button only and returns when the user has closed it.
    virtual void showMessage(const QString& text) = 0;
    // The same with the system's or the driver's own words behind a "details" button; none
    // given, the plain message.
    virtual void showMessage(const QString& text, const QString& details) {
        (void)details;
        showMessage(text);
    }
    // Asks a question with the buttons Да, Нет and Отмена.
    virtual Answer ask(const QString& question) = 0;
};

} // namespace id
