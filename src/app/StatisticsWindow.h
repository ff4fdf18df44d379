#pragma once

#include <QWidget>

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
    QTextBrowser* browser() const { return browser_; }
    QTableView* points() const { return points_; }

private:
    QTextBrowser* browser_;
    QTableView* points_;
    ResidualTableModel* model_;
};

} // namespace id
