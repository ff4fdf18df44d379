#pragma once

#include "app/AxisCommands.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace id {

class MessagePort;

// Form15: one axis range at a time, by hand or "Автоматически". A window of its own; the main
// frame stays disabled while it is open, however it closes.
class AxisRangeDialog : public QWidget {
    Q_OBJECT
public:
    // accept runs the change (lo, hi, automatic) and says whether it took effect.
    using Accept = std::function<bool(double lo, double hi, bool automatic)>;

    AxisRangeDialog(AxisChoice axis, double lo, double hi, QWidget& frame, MessagePort& messages,
                    Accept accept);
    ~AxisRangeDialog() override;

    // The dialog's caption for an axis; the mode of the dialog is carried by it.
    static QString caption(AxisChoice axis);

    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Enter answers OK, Esc cancels; true when the key did either.
    bool answersDialog(QKeyEvent* key);
    void ok();

    QWidget& frame_;
    MessagePort& messages_;
    Accept accept_;
};

} // namespace id
