#include "database/view/WellsActions.h"

#include "app/view/AnalysisWindow.h"
#include "app/view/MenuTree.h"
#include "database/WellRuns.h"
#include "database/view/WellsWindow.h"
#include "platform/MessagePort.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

namespace id {

struct WellsActions::Read {
    RegimesRead regimes;
    DatabaseOutcome record;
    bool connected = false;
};

WellsActions::WellsActions(QMainWindow& frame, const MenuTree& menus, AnalysisWindow& analysis,
                           MessagePort& messages, std::function<BatchSettings()> settings,
                           QObject* parent)
    : QObject(parent), frame_(frame), menus_(menus), analysis_(analysis), messages_(messages),
      settings_(std::move(settings)) {
    reading_ = new BackgroundTask(this);
    menus_.mEditWells->setEnabled(analysis_.document().options().DatabaseMode);
    connect(menus_.mEditWells, &QAction::triggered, this, &WellsActions::showWells);
    connect(menus_.mWellNext, &QAction::triggered, this, [this] { walk(1); });
    connect(menus_.mWellPrev, &QAction::triggered, this, [this] { walk(-1); });
    connect(menus_.mEdit, &QMenu::aboutToShow, this, &WellsActions::updateWalkItems);
    connect(&analysis_.database(), &DatabaseActions::resultsSaved, this, [this](qint64 record) {
        if (window_)
            window_->refreshWell(record);
    });
    updateWalkItems();
}

WellsActions::~WellsActions() {
    delete reading_;
    delete window_;
}

bool WellsActions::busy() const {
    return reading_->busy();
}

void WellsActions::wait() {
    reading_->wait();
}

void WellsActions::readStartRegimes() {
    if (analysis_.document().options().DatabaseMode)
        readWell(analysis_.document().options().RecordId, true);
}

void WellsActions::showWells() {
    if (!analysis_.document().options().DatabaseMode)
        return;
    if (!window_) {
        window_ = new WellsWindow(analysis_.document().options(), messages_, settings_, &frame_);
        // The walk's keys work from the list as from the work window.
        window_->addActions({menus_.mWellNext, menus_.mWellPrev});
        connect(window_, &WellsWindow::openRequested, this, &WellsActions::openWell);
        connect(window_, &WellsWindow::shownChanged, this, &WellsActions::updateWalkItems);
        if (const std::optional<qint64> well = analysis_.document().well())
            window_->setCurrentWell(*well);
        window_->reload();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void WellsActions::openWell(qint64 kwuId) {
    if (reading_->busy() || !analysis_.files().confirmDiscard())
        return;
    walkAt_ = kwuId;
    readWell(kwuId, false);
}

std::optional<qint64> WellsActions::neighbour(int step) const {
    if (!window_)
        return std::nullopt;
    const StartOptions& o = analysis_.document().options();
    return window_->model().neighbour(
        walkAt_.value_or(analysis_.document().well().value_or(o.RecordId)), step);
}

void WellsActions::walk(int step) {
    if (const std::optional<qint64> next = neighbour(step))
        openWell(*next);
}

void WellsActions::updateWalkItems() {
    menus_.mWellNext->setEnabled(!reading_->busy() && neighbour(1).has_value());
    menus_.mWellPrev->setEnabled(!reading_->busy() && neighbour(-1).has_value());
}

void WellsActions::readWell(qint64 kwuId, bool atStart) {
    auto read = std::make_shared<Read>();
    StartOptions options = analysis_.document().options();
    options.RecordId = kwuId;
    const bool started = reading_->start(
        [read, options] {
            const DatabaseOutcome outcome = WellDatabase(options).run(
                QStringLiteral("Режимы скважины %1 не прочитаны: не удалось подключиться к "
                               "базе скважин.")
                    .arg(options.RecordId),
                [&](QSqlDatabase& db) {
                    read->connected = true;
                    read->regimes = readWellRegimes(db, options.RegimesTable, options.RecordId);
                    return read->regimes.outcome;
                });
            read->regimes.outcome = outcome;
            if (outcome.ok && read->regimes.well)
                read->record = WellDatabase(options).checkRecord();
        },
        [this, read, kwuId, atStart] { wellRead(kwuId, atStart, *read); });
    if (started)
        updateWalkItems();
}

namespace {

// The regimes table is not there: a database that keeps none.
bool noRegimesTable(const DatabaseOutcome& outcome) {
    const QString text = outcome.details.toLower();
    return text.contains(QStringLiteral("no such table")) ||
           text.contains(QStringLiteral("does not exist")) ||
           text.contains(QStringLiteral("invalid object name"));
}

} // namespace

void WellsActions::wellRead(qint64 kwuId, bool atStart, const Read& read) {
    updateWalkItems();
    const DatabaseOutcome& outcome = read.regimes.outcome;
    // At start, a database without regimes starts as before; what hinders the record itself
    // its own check says.
    if (!outcome.ok) {
        if (!atStart || (read.connected && !noRegimesTable(outcome)))
            messages_.showMessage(outcome.message, outcome.details);
        return;
    }
    if (!read.regimes.well) {
        if (!atStart)
            messages_.showMessage(
                QStringLiteral("В таблице режимов нет строк скважины %1: анализ не изменён.")
                    .arg(kwuId));
        return;
    }
    const WellRegimes& well = *read.regimes.well;
    if (!well.refusal.isEmpty()) {
        messages_.showMessage(
            QStringLiteral("Режимы скважины %1 не загружены: %2.").arg(kwuId).arg(well.refusal));
        return;
    }
    analysis_.openWell(kwuId, well.wellType, well.rates, well.pressures, read.record.ok);
    if (!read.record.ok && !atStart)
        messages_.showMessage(read.record.message, read.record.details);
    if (!well.notes.isEmpty())
        messages_.showMessage(QStringLiteral("Скважина %1: ").arg(kwuId) +
                              well.notes.join(QStringLiteral("; ")) + u'.');
    if (window_)
        window_->setCurrentWell(kwuId);
    updateWalkItems();
}

} // namespace id
