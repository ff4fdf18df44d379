#include "app/view/MainFrame.h"

#include "app/WorkWindowLayout.h"
#include "app/view/AboutBox.h"
#include "app/view/AnalysisWindow.h"
#include "app/view/HelpWindow.h"
#include "app/view/WorkWindow.h"
#include "app/view/ZoomActions.h"
#include "database/view/WellsActions.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FilePort.h"
#include "platform/view/MessageBoxPort.h"
#include "spreadsheet/LeastSquaresFitService.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTimer>

namespace id {

namespace {
const QString ClosingLater = QStringLiteral(" окно закроется по окончании");
} // namespace

MainFrame::MainFrame(const StartOptions& options, MessagePort* messages, ClipboardPort* clipboard,
                     FilePort* files, QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("MDIForm1"));
    if (!messages) {
        ownMessages_ = std::make_unique<MessageBoxPort>(this);
        messages = ownMessages_.get();
    }
    if (!files) {
        ownFiles_ = std::make_unique<FileDialogPort>(this);
        files = ownFiles_.get();
    }
    if (!clipboard) {
        ownClipboard_ = std::make_unique<SystemClipboard>();
        clipboard = ownClipboard_.get();
    }
    fits_ = std::make_unique<LeastSquaresFitService>();

    menus_ = buildMenuTree(menuBar(), this);
    setWindowTitle(QStringLiteral("Индикаторная диаграмма"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/indicator-diagram.svg")));

    form1_ = new WorkWindow(this);
    setCentralWidget(form1_);
    form1_->layOut(options);
    applyModeMenus(options);
    setWindowTitle(frameCaption(options.WellType));

    analysis_ = new AnalysisWindow(*this, *form1_, menus_, options, *messages, *clipboard, *files,
                                   *fits_, this);
    connect(menus_.mHelpSpravka, &QAction::triggered, this, &MainFrame::showHelp);
    connect(menus_.mHelpAbout, &QAction::triggered, this, &MainFrame::showAbout);
    zoom_ = new ZoomActions(menus_, *form1_, *analysis_, this);
    // The rule's settings as the work window's boxes hold them.
    wells_ = new WellsActions(
        *this, menus_, *analysis_, *messages,
        [this] {
            BatchSettings settings;
            settings.pnas = form1_->Pnas->text();
            settings.modelPres = form1_->ModelPres->text();
            return settings;
        },
        this);
    // Files dropped anywhere on the window come here; the boxes would take a path as text.
    setAcceptDrops(true);
    for (QLineEdit* box :
         {form1_->Pnas, form1_->Skin, form1_->Rkontur, form1_->Rwell, form1_->ModelPres})
        box->setAcceptDrops(false);

    showDatabaseActivity();
}

// The well database's work in the menu bar's corner; a close asked while it ran waits for it.
void MainFrame::showDatabaseActivity() {
    databaseBusy_ = new QLabel(QStringLiteral("Сохранение в базу скважин…"), menuBar());
    databaseBusy_->setObjectName(QStringLiteral("SaveProgress"));
    databaseBusy_->setContentsMargins(8, 0, 8, 0);
    menuBar()->setCornerWidget(databaseBusy_, Qt::TopRightCorner);
    databaseBusy_->hide();
    connect(&analysis_->database(), &DatabaseActions::activity, this, [this](const QString& text) {
        databaseBusy_->setText(text + (closeWhenIdle_ ? ClosingLater : QString()));
        databaseBusy_->setVisible(!text.isEmpty());
    });
    // After a failed save the window stays, so that the user can try again.
    connect(&analysis_->database(), &DatabaseActions::idle, this, [this](bool ok) {
        if (closeWhenIdle_) {
            closeWhenIdle_ = false;
            if (ok)
                QTimer::singleShot(0, this, &QWidget::close);
        }
    });
}

void MainFrame::showHelp() {
    if (!help_)
        help_ = new HelpWindow(this);
    help_->showContents();
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void MainFrame::showAbout() {
    if (!about_)
        about_ = new AboutBox(this);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

MainFrame::~MainFrame() {
    // The zoom acts on the binding, and the binding watches the work window's controls: they go
    // first, in that order, while everything they hold exists.
    delete zoom_;
    delete wells_;
    delete analysis_;
}

namespace {
QString droppedPath(const QMimeData* data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>{};
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    return AnalysisWindow::acceptsDroppedFile(path) ? path : QString();
}

// The file is only read: the drop is always a copy, so the program it came from never deletes
// it as moved.
bool acceptAsCopy(QDropEvent* event) {
    if (droppedPath(event->mimeData()).isEmpty() || !(event->possibleActions() & Qt::CopyAction))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}
} // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    acceptAsCopy(event);
}

void MainFrame::dropEvent(QDropEvent* event) {
    if (!acceptAsCopy(event))
        return;
    const QString path = droppedPath(event->mimeData());
    // After the drop has ended: the questions and messages it may bring must not hold up the
    // program the file came from.
    const QPoint at = mapToGlobal(event->position().toPoint());
    QTimer::singleShot(0, this, [this, path, at] { analysis_->dropFile(path, at); });
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // A save runs to its end (it is one transaction, bounded by the server's timeouts); the
    // window closes after it.
    if (analysis_->database().busy()) {
        if (!closeWhenIdle_)
            databaseBusy_->setText(databaseBusy_->text() + ClosingLater);
        closeWhenIdle_ = true;
        event->ignore();
        return;
    }
    // Unsaved changes are saved, dropped or keep the window open, as the user says.
    if (!analysis_->files().confirmDiscard()) {
        event->ignore();
        return;
    }
    // The window opens next time where and as large as the user left it.
    QSettings().setValue(QStringLiteral("workWindow"), saveGeometry());
    event->accept();
}

void MainFrame::showWhereLeft() {
    const QByteArray geometry = QSettings().value(QStringLiteral("workWindow")).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        resize(1100, 820);
        showMaximized();
        return;
    }
    show();
}

const AnalysisState& MainFrame::state() const {
    return analysis_->state();
}

void MainFrame::applyModeMenus(const StartOptions& options) {
    if (!options.DatabaseMode) {
        menus_.mEditSave->setVisible(false);
        if (options.WellTypeSelectable) {
            menus_.mEditWellDob->setChecked(options.WellType == ProducingWell);
            menus_.mEditWellNag->setChecked(options.WellType == InjectionWell);
        } else {
            menus_.mEditWell->menuAction()->setVisible(false);
        }
    } else {
        menus_.mEditSave->setVisible(true);
        menus_.mEditWell->menuAction()->setVisible(false);
    }
}

} // namespace id
