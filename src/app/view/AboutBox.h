#pragma once

#include <QDialog>

class QLabel;

namespace id {

// What "О программе" says: the version, the build date, the libraries in use with their
// versions and where the settings are kept, as rich text.
QString aboutText();

// "Помощь → О программе": the text above and a button to close it.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QLabel* text() const { return text_; }

private:
    QLabel* text_;
};

} // namespace id
