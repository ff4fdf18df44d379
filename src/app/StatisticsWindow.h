#pragma once

#include <QWidget>

class QTextBrowser;

namespace id {

// "Статистика": the trends' statistics as a page that follows the analysis.
class StatisticsWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatisticsWindow(QWidget* parent = nullptr);
    void showReport(const QString& html);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace id
