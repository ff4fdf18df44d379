#pragma once

#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace id {

// The program's help: HTML pages built into the program, with contents and back navigation.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the contents page.
    void showContents();

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
    QToolButton* contents_;
};

} // namespace id
