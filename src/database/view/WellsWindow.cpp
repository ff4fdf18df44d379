#include "database/view/WellsWindow.h"

#include "database/WellRuns.h"
#include "platform/MessagePort.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace id {

namespace {

constexpr int Bins = 20;

// The distribution of a result over the wells shown, as bars.
class DistributionChart : public QWidget {
public:
    explicit DistributionChart(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("PictureDistribution"));
        setMinimumHeight(120);
    }
    void show(const Distribution& d, const QString& caption) {
        d_ = d;
        caption_ = caption;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const QFontMetrics fm(font());
        const QLocale locale;
        QString title = caption_ + QStringLiteral(": скважин с числом %1").arg(d_.numbers);
        if (d_.missing > 0)
            title += QStringLiteral(", без числа %1").arg(d_.missing);
        p.drawText(QRect(0, 0, width(), fm.height() + 4), Qt::AlignCenter, title);
        const QRect plot(8, fm.height() + 8, width() - 16, height() - 2 * fm.height() - 16);
        const int most =
            d_.counts.empty() ? 0 : *std::max_element(d_.counts.begin(), d_.counts.end());
        if (most == 0 || plot.width() <= 0 || plot.height() <= 0)
            return;
        const double bar = double(plot.width()) / d_.counts.size();
        p.setPen(Qt::darkBlue);
        p.setBrush(QColor(90, 130, 200));
        for (std::size_t i = 0; i < d_.counts.size(); ++i) {
            const int h = int(std::lround(double(plot.height()) * d_.counts[i] / most));
            p.drawRect(QRectF(plot.left() + i * bar, plot.bottom() - h, bar - 1, h));
        }
        p.setPen(Qt::black);
        p.drawLine(plot.bottomLeft(), plot.bottomRight());
        const QRect under(plot.left(), plot.bottom() + 2, plot.width(), fm.height() + 2);
        p.drawText(under, Qt::AlignLeft, locale.toString(d_.low, 'g', 4));
        p.drawText(under, Qt::AlignRight, locale.toString(d_.high, 'g', 4));
        p.drawText(under, Qt::AlignHCenter, QStringLiteral("наибольший столбец: %1").arg(most));
    }

private:
    Distribution d_;
    QString caption_;
};

struct RuleItem {
    BatchRule rule;
    const char* caption;
};
constexpr RuleItem RuleItems[] = {
    {BatchRule::Linear, "Линейная"},
    {BatchRule::Quadratic, "Полиномиальная 2-й степени"},
    {BatchRule::Cubic, "Полиномиальная 3-й степени"},
    {BatchRule::Break, "Излом (две прямые) автоматически"},
    {BatchRule::Vogel, "Фогель"},
    {BatchRule::Composite, "Дарси + Фогель (с Pнас)"},
    {BatchRule::Fetkovich, "Феткович"},
};

// The rule and the two pressures the batch asks for, before a run on the wells shown.
std::optional<BatchSettings> askRule(QWidget* parent, int wells, BatchSettings settings) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FormWellsRule"));
    dialog.setWindowTitle(QStringLiteral("Применить правило к показанным скважинам"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QStringLiteral("Скважин: %1. Результаты каждой записываются в "
                                           "kwu_ind, прежние заменяются.")
                                .arg(wells)));
    auto* rule = new QComboBox(&dialog);
    rule->setObjectName(QStringLiteral("ComboRule"));
    for (const RuleItem& r : RuleItems)
        rule->addItem(QString::fromUtf8(r.caption));
    form->addRow(QStringLiteral("Правило"), rule);
    auto* pnas = new QLineEdit(settings.pnas, &dialog);
    pnas->setObjectName(QStringLiteral("Pnas"));
    form->addRow(QStringLiteral("Pнас, МПа"), pnas);
    auto* modelPres = new QLineEdit(settings.modelPres, &dialog);
    modelPres->setObjectName(QStringLiteral("ModelPres"));
    form->addRow(QStringLiteral("Pпл для моделей, МПа"), modelPres);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Применить"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    settings.rule = RuleItems[rule->currentIndex()].rule;
    settings.pnas = pnas->text();
    settings.modelPres = modelPres->text();
    return settings;
}

// The list's table: whole rows chosen, nothing edited, sorted by a click on a header.
QTableView* makeWellsTable(QWidget* parent, QAbstractItemModel* model) {
    auto* table = new QTableView(parent);
    table->setObjectName(QStringLiteral("GridWells"));
    table->setModel(model);
    table->setSortingEnabled(true);
    table->sortByColumn(WellListModel::Id, Qt::AscendingOrder);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    // Rows of one height: a field of 100 000 wells is laid out without measuring each.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    // Columns fitted to the first rows: a field's hundred thousand are not measured.
    table->horizontalHeader()->setResizeContentsPrecision(200);
    return table;
}

} // namespace

WellsWindow::WellsWindow(const StartOptions& options, MessagePort& messages,
                         std::function<BatchSettings()> settings, QWidget* parent)
    : QWidget(parent, Qt::Window), options_(options), messages_(messages),
      settings_(std::move(settings)) {
    setObjectName(QStringLiteral("FormWells"));
    setWindowTitle(QStringLiteral("Скважины"));
    model_ = new WellListModel(this);
    task_ = new BackgroundTask(this);
    ruleChooser_ = [this](int wells, BatchSettings s) { return askRule(this, wells, s); };
    buildControls();
    resize(900, 640);
}

WellsWindow::~WellsWindow() {
    // A run stops at the next well; the one under way ends its transaction first.
    cancelRun_ = true;
    delete task_;
}

void WellsWindow::connectControls() {
    connect(filter_, &QComboBox::currentIndexChanged, this,
            [this](int i) { model_->setFilter(static_cast<WellFilter>(i)); });
    connect(find_, &QLineEdit::returnPressed, this, [this] { findWell(find_->text()); });
    connect(refresh_, &QPushButton::clicked, this, &WellsWindow::reload);
    connect(applyRule_, &QPushButton::clicked, this, &WellsWindow::chooseRule);
    connect(cancel_, &QPushButton::clicked, this, &WellsWindow::cancelRule);
    connect(chartColumn_, &QComboBox::currentIndexChanged, this, &WellsWindow::showDistribution);
    connect(table_, &QTableView::doubleClicked, this, [this] { openCurrent(); });
    connect(progressTimer_, &QTimer::timeout, this, [this] { progress_->setValue(doneWells_); });
    const auto shown = [this] {
        showCounts();
        showDistribution();
        if (current_)
            setCurrentWell(*current_);
        emit shownChanged();
    };
    connect(model_, &QAbstractItemModel::modelReset, this, shown);
    connect(model_, &QAbstractItemModel::layoutChanged, this, shown);
}

void WellsWindow::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    filter_ = new QComboBox(this);
    filter_->setObjectName(QStringLiteral("ComboFilter"));
    filter_->addItems({QStringLiteral("Все скважины"), QStringLiteral("Интерпретированные"),
                       QStringLiteral("С отказом"), QStringLiteral("Не интерпретированные")});
    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("TextFind"));
    find_->setPlaceholderText(QStringLiteral("Найти kwu_id"));
    find_->setClearButtonEnabled(true);
    refresh_ = new QPushButton(QStringLiteral("Обновить"), this);
    refresh_->setObjectName(QStringLiteral("CommandRefresh"));
    applyRule_ = new QPushButton(QStringLiteral("Применить правило к показанным скважинам…"), this);
    applyRule_->setObjectName(QStringLiteral("CommandApplyRule"));
    top->addWidget(new QLabel(QStringLiteral("Показать:"), this));
    top->addWidget(filter_);
    top->addWidget(find_, 1);
    top->addWidget(refresh_);
    top->addWidget(applyRule_);
    layout->addLayout(top);

    table_ = makeWellsTable(this, model_);
    table_->installEventFilter(this);
    layout->addWidget(table_, 1);

    auto* bottom = new QHBoxLayout;
    counts_ = new QLabel(this);
    counts_->setObjectName(QStringLiteral("LabelWells"));
    chartColumn_ = new QComboBox(this);
    chartColumn_->setObjectName(QStringLiteral("ComboChartColumn"));
    chartColumn_->addItems(
        {QStringLiteral("kprod"), QStringLiteral("pplast"), QStringLiteral("pzab_dop")});
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressRule"));
    progress_->hide();
    cancel_ = new QPushButton(QStringLiteral("Прервать"), this);
    cancel_->setObjectName(QStringLiteral("CommandCancelRule"));
    cancel_->hide();
    bottom->addWidget(counts_, 1);
    bottom->addWidget(progress_, 1);
    bottom->addWidget(cancel_);
    bottom->addWidget(new QLabel(QStringLiteral("Распределение:"), this));
    bottom->addWidget(chartColumn_);
    layout->addLayout(bottom);
    chart_ = new DistributionChart(this);
    layout->addWidget(chart_);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);

    connectControls();
    showCounts();
}

bool WellsWindow::busy() const {
    return task_->busy();
}

void WellsWindow::wait() {
    task_->wait();
}

void WellsWindow::showCounts() {
    counts_->setText(QStringLiteral("Показано скважин: %1 из %2")
                         .arg(model_->rowCount())
                         .arg(model_->rows().size()));
}

void WellsWindow::showDistribution() {
    const auto column =
        static_cast<WellListModel::Column>(WellListModel::Kprod + chartColumn_->currentIndex());
    static_cast<DistributionChart*>(chart_)->show(distributionOf(model_->shownValues(column), Bins),
                                                  chartColumn_->currentText());
}

void WellsWindow::reload() {
    auto read = std::make_shared<WellListRead>();
    const bool started = task_->start(
        [read, options = options_] {
            read->outcome = WellDatabase(options).run(
                QStringLiteral("Список скважин не прочитан. Не удалось подключиться к базе "
                               "скважин."),
                [&](QSqlDatabase& db) {
                    *read = readWellList(db, options.RegimesTable);
                    return read->outcome;
                });
        },
        [this, read] {
            refresh_->setEnabled(true);
            applyRule_->setEnabled(true);
            if (!read->outcome.ok) {
                counts_->setText(QStringLiteral("Список скважин не прочитан"));
                messages_.showMessage(read->outcome.message, read->outcome.details);
                return;
            }
            const bool first = model_->rows().empty();
            model_->setRows(std::move(read->rows));
            // Measured on the rows in view, not on the whole field.
            if (first)
                table_->resizeColumnsToContents();
            if (!read->outcome.message.isEmpty())
                messages_.showMessage(read->outcome.message);
            startPendingRefresh();
        });
    if (!started)
        return;
    counts_->setText(QStringLiteral("Чтение списка скважин…"));
    refresh_->setEnabled(false);
    applyRule_->setEnabled(false);
}

void WellsWindow::refreshWell(qint64 kwuId) {
    if (!model_->well(kwuId))
        return;
    pendingRefresh_.push_back(kwuId);
    startPendingRefresh();
}

void WellsWindow::startPendingRefresh() {
    if (pendingRefresh_.empty() || task_->busy())
        return;
    const std::vector<qint64> wells = std::exchange(pendingRefresh_, {});
    auto rows = std::make_shared<std::vector<WellListRow>>();
    task_->start(
        [rows, wells, options = options_] {
            WellDatabase(options).run({}, [&](QSqlDatabase& db) {
                for (const qint64 id : wells) {
                    const WellListRead read = readWellList(db, options.RegimesTable, id);
                    if (read.outcome.ok && read.rows.size() == 1)
                        rows->push_back(read.rows.front());
                }
                return DatabaseOutcome{true, {}, {}};
            });
        },
        [this, rows] {
            model_->updateWells(*rows);
            startPendingRefresh();
        });
}

void WellsWindow::setCurrentWell(qint64 kwuId) {
    current_ = kwuId;
    const int row = model_->shownRow(kwuId);
    if (row < 0) {
        table_->clearSelection();
        return;
    }
    const QModelIndex at = model_->index(row, 0);
    table_->setCurrentIndex(at);
    table_->scrollTo(at);
}

bool WellsWindow::findWell(const QString& text) {
    bool ok = false;
    const qint64 id = text.trimmed().toLongLong(&ok);
    if (!ok) {
        messages_.showMessage(
            QStringLiteral("kwu_id должен быть целым числом, а не «%1».").arg(text.trimmed()));
        return false;
    }
    const int row = model_->shownRow(id);
    if (row < 0) {
        messages_.showMessage(model_->well(id)
                                  ? QStringLiteral("Скважина %1 не показана: её скрывает "
                                                   "отбор «%2».")
                                        .arg(id)
                                        .arg(filter_->currentText())
                                  : QStringLiteral("В таблице режимов нет скважины %1.").arg(id));
        return false;
    }
    const QModelIndex at = model_->index(row, 0);
    table_->setCurrentIndex(at);
    table_->scrollTo(at, QAbstractItemView::PositionAtCenter);
    table_->setFocus();
    return true;
}

void WellsWindow::openCurrent() {
    const QModelIndex at = table_->currentIndex();
    if (at.isValid())
        emit openRequested(model_->shownWell(at.row()));
}

bool WellsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openCurrent();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WellsWindow::chooseRule() {
    const int wells = model_->rowCount();
    if (wells == 0) {
        messages_.showMessage(QStringLiteral("Нет показанных скважин: правило применять не к "
                                             "чему."));
        return;
    }
    if (const std::optional<BatchSettings> settings = ruleChooser_(wells, settings_()))
        applyRule(*settings);
}

void WellsWindow::applyRule(const BatchSettings& settings) {
    const std::vector<qint64> wells = model_->shownWells();
    auto run = std::make_shared<WellsRun>();
    cancelRun_ = false;
    doneWells_ = 0;
    const bool started = task_->start(
        [this, run, wells, settings, options = options_] {
            *run = applyRuleToWells(options, settings, wells, cancelRun_, doneWells_);
        },
        [this, run] {
            progressTimer_->stop();
            progress_->hide();
            cancel_->hide();
            applyRule_->setEnabled(true);
            refresh_->setEnabled(true);
            model_->updateWells(run->rows);
            QString text = QStringLiteral("Правило применено к скважинам: %1 из %2, из них с "
                                          "отказом: %3.")
                               .arg(run->done)
                               .arg(runWells_)
                               .arg(run->failed);
            if (run->cancelled)
                text = QStringLiteral("Обработка прервана. ") + text;
            if (!run->fatal.isEmpty())
                text = run->fatal + u'\n' + text;
            messages_.showMessage(text, run->details);
            startPendingRefresh();
        });
    if (!started)
        return;
    runWells_ = static_cast<int>(wells.size());
    progress_->setRange(0, runWells_);
    progress_->setValue(0);
    progress_->show();
    cancel_->show();
    applyRule_->setEnabled(false);
    refresh_->setEnabled(false);
    progressTimer_->start();
}

void WellsWindow::cancelRule() {
    cancelRun_ = true;
}

} // namespace id
