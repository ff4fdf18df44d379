#include "app/StatisticsWindow.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace id {

StatisticsWindow::StatisticsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("StatisticsWindow"));
    setWindowTitle(QStringLiteral("Статистика"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("StatisticsBrowser"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    resize(640, 560);
}

void StatisticsWindow::showReport(const QString& html) {
    // The reader keeps their place while the analysis changes.
    const int scrolled = browser_->verticalScrollBar()->value();
    browser_->setHtml(html);
    browser_->verticalScrollBar()->setValue(scrolled);
}

} // namespace id
