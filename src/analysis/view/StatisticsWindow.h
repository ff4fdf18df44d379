#pragma once

#include <QWidget>

class QRect;
class QPushButton;
class QTableView;
class QTextBrowser;

namespace id {

struct StatisticsInputs;
class ResidualTableModel;

// "Статистика": the trends' statistics that follow the analysis: a page of what a reader needs
// above a table of every point's residual.
class StatisticsWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatisticsWindow(QWidget* parent = nullptr);
    void showAnalysis(const StatisticsInputs& state);
    // Where the user left it last time; the first time beside the work window (on its right
    // where the screen has room, else over its right edge), not over the diagram.
    void placeBeside(const QRect& workWindow);
    QTextBrowser* browser() const { return browser_; }
    QTableView* points() const { return points_; }
    QPushButton* excludeButton() const { return exclude_; }

signals:
    // "Исключить точку": the chosen point of the table is to be left out of the analysis.
    void excludePoint(double rate, double pressure);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTextBrowser* browser_;
    QTableView* points_;
    ResidualTableModel* model_;
    QPushButton* exclude_;
};

} // namespace id
