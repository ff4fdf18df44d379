#include "analysis/view/StatisticsWindow.h"

#include "analysis/ResidualTableModel.h"
#include "analysis/TrendStatistics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace id {

StatisticsWindow::StatisticsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("StatisticsWindow"));
    setWindowTitle(QStringLiteral("Статистика"));
    auto* splitter = new QSplitter(Qt::Vertical, this);
    browser_ = new QTextBrowser(splitter);
    browser_->setObjectName(QStringLiteral("StatisticsBrowser"));
    model_ = new ResidualTableModel(this);
    points_ = new QTableView(splitter);
    points_->setObjectName(QStringLiteral("StatisticsPoints"));
    points_->setModel(model_);
    // Rows of one height: the view then needs no pass over a hundred thousand of them.
    points_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    points_->verticalHeader()->setDefaultSectionSize(points_->fontMetrics().height() + 6);
    points_->horizontalHeader()->setStretchLastSection(true);
    // Columns as wide as their captions and the widest number form, not the view's default.
    const QFontMetrics metrics(points_->font());
    for (int c = 0; c < ResidualTableModel::Mark; ++c) {
        const int caption =
            metrics.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString()) + 24;
        const int number =
            c == ResidualTableModel::Trend ? 0 : metrics.horizontalAdvance("-9999999999,0000") + 16;
        points_->setColumnWidth(c, std::max(caption, number));
    }
    points_->setSelectionBehavior(QAbstractItemView::SelectRows);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // A suspect point is left out from here as by Ctrl+click on the diagram.
    exclude_ = new QPushButton(QStringLiteral("Исключить точку"), this);
    exclude_->setObjectName(QStringLiteral("StatisticsExcludePoint"));
    exclude_->setEnabled(false);
    connect(points_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { exclude_->setEnabled(points_->selectionModel()->hasSelection()); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { exclude_->setEnabled(false); });
    connect(exclude_, &QPushButton::clicked, this, [this] {
        const QModelIndex current = points_->selectionModel()->currentIndex();
        if (const auto point = model_->pointAt(current.row()))
            emit excludePoint(point->first, point->second);
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    layout->addWidget(exclude_, 0, Qt::AlignLeft);
    resize(640, 560);
}

void StatisticsWindow::placeBeside(const QRect& workWindow) {
    const QByteArray geometry = QSettings().value(QStringLiteral("statisticsWindow")).toByteArray();
    if (!geometry.isEmpty() && restoreGeometry(geometry))
        return;
    const QScreen* screen = QGuiApplication::screenAt(workWindow.center());
    const QRect room = screen ? screen->availableGeometry() : workWindow;
    const int x = workWindow.right() + width() <= room.right()
                      ? workWindow.right() + 1
                      : std::max(room.left(), room.right() - width());
    move(x, std::max(room.top(), workWindow.top()));
}

void StatisticsWindow::closeEvent(QCloseEvent* event) {
    QSettings().setValue(QStringLiteral("statisticsWindow"), saveGeometry());
    QWidget::closeEvent(event);
}

void StatisticsWindow::showAnalysis(const StatisticsInputs& state) {
    // The reader keeps their place while the analysis changes.
    const int scrolled = browser_->verticalScrollBar()->value();
    browser_->setHtml(statisticsReport(state));
    browser_->verticalScrollBar()->setValue(scrolled);
    const int row = points_->verticalScrollBar()->value();
    model_->setAnalysis(state);
    points_->verticalScrollBar()->setValue(row);
}

} // namespace id
