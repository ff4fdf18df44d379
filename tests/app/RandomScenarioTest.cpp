#include "analysis/ResultRows.h"
#include "charts/view/AxisRangeDialog.h"
#include "platform/view/FlexGrid.h"
#include "support/AnalysisFixture.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <random>
#include <thread>

// Seeded random user sessions on the real window: menu commands through their opening rules,
// keys and clicks in the table and the inputs, hostile clipboard texts, drags and picks on the
// diagram, the axis dialog. After every step the window must still be sound. A failure names
// the seed and the steps, and the same seed replays them exactly:
//   ID_SCENARIO_SEEDS=17 ID_SCENARIO_STEPS=5000 build/tests/gui_tests --gtest_filter='Random*'

namespace id::test {
namespace {

int environmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// A step that never returns cannot report itself: after ten times the step limit this prints
// the seed and the steps so far and ends the process, which fails the test run.
class Watchdog {
public:
    explicit Watchdog(int limitMs) : limit_(std::chrono::milliseconds(10 * limitMs)) {
        thread_ = std::thread([this] { watch(); });
    }
    ~Watchdog() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    // A step begins; the log is what to print if it hangs.
    void begin(unsigned seed, const QStringList& log) {
        const std::lock_guard lock(mutex_);
        seed_ = seed;
        log_ = log;
        started_ = std::chrono::steady_clock::now();
        running_ = true;
    }
    void end() {
        const std::lock_guard lock(mutex_);
        running_ = false;
    }

private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            wake_.wait_for(lock, std::chrono::milliseconds(200));
            if (running_ && std::chrono::steady_clock::now() - started_ > limit_) {
                std::fprintf(
                    stderr, "seed %u: step %lld does not end; steps (last 40):\n  %s\n", seed_,
                    static_cast<long long>(log_.size()),
                    qPrintable(log_.mid(std::max<qsizetype>(0, log_.size() - 40)).join("\n  ")));
                std::abort();
            }
        }
    }

    std::chrono::milliseconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    bool done_ = false;
    bool running_ = false;
    unsigned seed_ = 0;
    QStringList log_;
    std::chrono::steady_clock::time_point started_;
};

class RandomScenarioTest : public AnalysisFixture {
protected:
    void SetUp() override {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; }
    double between(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    }
    template <typename T> const T& oneOf(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(pick(static_cast<int>(items.size())))];
    }

    // Plausible measurements, so that analyses get built and trends fitted.
    QString wellData() {
        const int n = 2 + pick(12);
        const double reservoir = between(5, 40);
        const double slope = between(0.01, 2);
        QString text;
        for (int i = 1; i <= n; ++i) {
            const double rate = i * between(1, 30);
            const double pressure = std::max(0.1, reservoir - slope * rate + between(-1, 1));
            text += QLocale().toString(rate, 'f', pick(4)) + '\t' +
                    QLocale().toString(pressure, 'f', pick(4)) + (chance(0.2) ? "\r\n" : "\n");
        }
        return text;
    }
    QString hostileText() {
        switch (pick(10)) {
        case 0:
            return "1E+308\t1,7976931348623157E+308\n-1E+308\t1E-320\n";
        case 1:
            return "NaN\tinf\n-inf\tnan\n";
        case 2:
            return QString("1\t2") + QChar(0) + "\n3\t4\n";
        case 3: {
            QString wide = "1";
            for (int i = 0; i < 10000; ++i)
                wide += "\t" + QString::number(i);
            return wide + "\n";
        }
        case 4:
            return "1\t2\r\n3\t4\r5\t6\n\r7\t8";
        case 5:
            return QString::fromUtf8("дебит\tдавление\n10\t20\n");
        case 6:
            return "-5\t10\n0\t0\n1e3\t1,5e1\n";
        case 7:
            return QString(100000, u'9') + "\t1\n";
        case 8:
            return "\t\n\t\n";
        default:
            return "1.5\t2.5\n3,5\t4,5\n";
        }
    }
    QString typedText() {
        static const QString keys = QStringLiteral("0123456789,.-eE a\t");
        QString text;
        for (int i = pick(8); i > 0; --i)
            text += keys.at(pick(static_cast<int>(keys.size())));
        return text;
    }

    // One user step; returns what it did, for the replay log.
    QString step() {
        if (AxisRangeDialog* dialog = frame->analysis().axisDialog(); dialog && dialog->isVisible())
            return dialogStep(*dialog);
        // A shown diagram draws the user's attention: picks and trends on it.
        if (form().Picture4->isVisible() && chance(0.35))
            return chance(0.7) ? diagramStep() : menuStep();
        switch (pick(9)) {
        case 0:
        case 1:
            return menuStep();
        case 2:
            return tableClickStep();
        case 3:
            return tableKeyStep();
        case 4:
            return inputStep();
        case 5:
            return pasteStep();
        case 6:
        case 7:
            return diagramStep();
        default:
            return checkBoxStep();
        }
    }
    QString menuStep() {
        const MenuTree& m = menus();
        const std::vector<QAction*> items = {
            m.mEditPastRow,    m.mEditPaste,      m.mEditWellDob,
            m.mEditWellNag,    m.mIdAdd,          m.mIdAdd,
            m.mEditCopyIDData, m.mEditCopyIDGraf, m.mEditCopyPIGraf,
            m.mIdFormatX,      m.mIdFormatY,      m.mIdFormatYPIQ,
            m.mIdSkinGidro,    m.mIdSkinSkin,     m.mIdSkinNot,
            m.mTrendLine,      m.mTrendLine,      m.mTrendPolinom2,
            m.mTrendPolinom3,  m.mTrendDelete,    m.mTrendAddSelectPoint,
            m.mEditUndo,       m.mEditUndo,       m.mEditRedo,
            m.mFileNew,        m.mIdStat,         m.mIdConfBands};
        QAction* item = oneOf(items);
        const bool chosen = choose(item);
        return "menu " + item->objectName() + (chosen ? "" : " (not offered)");
    }
    QString tableClickStep() {
        FlexGrid* grid = form().MSFlexGrid1;
        const int row = pick(grid->Rows());
        const int col = pick(grid->Cols());
        driver.click(row, col);
        return QString("click table %1,%2").arg(row).arg(col);
    }
    QString tableKeyStep() {
        static const std::vector<Qt::Key> keys = {
            Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Delete, Qt::Key_Up,  Qt::Key_Down,
            Qt::Key_Left,      Qt::Key_Right,  Qt::Key_Home,   Qt::Key_End, Qt::Key_Escape};
        FlexGrid* grid = form().MSFlexGrid1;
        if (chance(0.3)) {
            const int r1 = pick(grid->Rows());
            const int r2 = pick(grid->Rows());
            const int c1 = pick(grid->Cols());
            const int c2 = pick(grid->Cols());
            driver.select(r1, c1, r2, c2);
            driver.key(Qt::Key_Delete);
            return QString("select %1,%2..%3,%4 and Delete").arg(r1).arg(c1).arg(r2).arg(c2);
        }
        if (chance(0.5)) {
            const QString text = typedText();
            driver.type(text);
            return "type in table \"" + text + "\"";
        }
        const Qt::Key key = oneOf(keys);
        QTest::keyClick(grid, key, chance(0.3) ? Qt::ShiftModifier : Qt::NoModifier);
        return QString("key %1 in table").arg(int(key), 0, 16);
    }
    QString inputStep() {
        const std::vector<QLineEdit*> boxes = {form().Pnas, form().Skin, form().Rkontur,
                                               form().Rwell};
        QLineEdit* box = oneOf(boxes);
        if (!box->isVisible())
            return box->objectName() + " hidden";
        box->setFocus();
        if (chance(0.5))
            box->selectAll();
        const QString text = typedText();
        QTest::keyClicks(box, text);
        if (chance(0.7))
            form().MSFlexGrid1->setFocus();
        return "type in " + box->objectName() + " \"" + text + "\"";
    }
    QString pasteStep() {
        const bool plausible = chance(0.6);
        const QString text = plausible ? wellData() : hostileText();
        FlexGrid* grid = form().MSFlexGrid1;
        const int row = 1 + pick(std::max(1, grid->Rows() - 1));
        driver.click(row, 1);
        clipboard.setText(text);
        const bool chosen = choose(menus().mEditPaste);
        QString done = QString("paste %1 chars at row %2%3")
                           .arg(text.size())
                           .arg(row)
                           .arg(chosen ? "" : " (not offered)");
        // Mostly the user goes on to build the diagram and fit a trend.
        if (plausible && chance(0.8) && choose(menus().mIdAdd)) {
            done += ", build";
            const std::vector<QAction*> trends = {menus().mTrendLine, menus().mTrendPolinom2,
                                                  menus().mTrendPolinom3};
            if (chance(0.6)) {
                QAction* trend = oneOf(trends);
                if (choose(trend))
                    done += ", " + trend->objectName();
            }
        }
        return done;
    }
    QString diagramStep() {
        PictureSurface* plot = form().Picture4;
        if (!plot->isVisible())
            return "diagram hidden";
        const AnalysisState& s = state();
        const auto x = [&] { return between(s.IdAxisXMin, s.IdAxisXMax); };
        const auto y = [&] { return between(s.IdAxisYBottom, s.IdAxisYTop); };
        frame->analysis().setPopupChooser([this](QMenu& menu) -> QAction* {
            std::vector<QAction*> offered;
            for (QAction* a : menu.actions())
                if (a->isVisible() && a->isEnabled())
                    offered.push_back(a);
            return offered.empty() || chance(0.1) ? nullptr : oneOf(offered);
        });
        const double x1 = x(), y1 = y(), x2 = x(), y2 = y();
        if (chance(0.2)) {
            mouseAt(plot, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton,
                    Qt::ShiftModifier, x1, y1);
            mouseAt(plot, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton,
                    Qt::ShiftModifier, x1, y1);
            return QString("right pick with Shift at %1;%2").arg(x1).arg(y1);
        }
        const Qt::KeyboardModifiers shift = chance(0.3) ? Qt::ShiftModifier : Qt::NoModifier;
        mouseAt(plot, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, shift, x1, y1);
        mouseAt(plot, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, shift, x2, y2);
        mouseAt(plot, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, shift, x2, y2);
        return QString("drag%1 %2;%3 to %4;%5")
            .arg(shift ? " with Shift" : "")
            .arg(x1)
            .arg(y1)
            .arg(x2)
            .arg(y2);
    }
    QString checkBoxStep() {
        QCheckBox* box = chance(0.5) ? form().Check1 : form().Check2;
        if (!box->isVisible())
            return box->objectName() + " hidden";
        box->click();
        return "click " + box->objectName();
    }
    QString dialogStep(AxisRangeDialog& dialog) {
        switch (pick(4)) {
        case 0: {
            QLineEdit* box = chance(0.5) ? dialog.Text1 : dialog.Text2;
            box->setFocus();
            box->selectAll();
            const QString text =
                chance(0.7) ? QLocale().toString(between(-50, 500), 'f', pick(3)) : typedText();
            QTest::keyClicks(box, text);
            return "type in the dialog's " + box->objectName() + " \"" + text + "\"";
        }
        case 1:
            dialog.Check1->click();
            return "dialog Автоматически";
        case 2:
            dialog.Command1->click();
            return "dialog OK";
        default:
            dialog.Command2->click();
            return "dialog Отмена";
        }
    }

    // What must hold after every step; empty when it does.
    QString unsound() {
        const AnalysisState& s = state();
        FlexGrid* grid = form().MSFlexGrid1;
        const QString rateHeader = s.WellType == InjectionWell
                                       ? QStringLiteral("Приемистость, м3/сут")
                                       : QStringLiteral("Дебит, м3/сут");
        if (grid->text(0, 1) != rateHeader || grid->text(0, 2) != QStringLiteral("P заб, МПа"))
            return "the table's header changed: " + grid->text(0, 1) + " | " + grid->text(0, 2);
        if (grid->Rows() != s.Table.size() + 2)
            return QString("the table shows %1 rows for %2 measurements")
                .arg(grid->Rows())
                .arg(s.Table.size());
        for (int r = 1; r < grid->Rows() - 1; ++r)
            if (grid->text(r, 0) != QString::number(r))
                return QString("row %1 is numbered \"%2\"").arg(r).arg(grid->text(r, 0));
        if (!grid->text(grid->Rows() - 1, 0).isEmpty())
            return "the entry row has a number";
        FlexGrid* results = form().MSFlexGrid2;
        if (results->isVisible() && !resultRows(s).empty())
            for (int r = 0; r < results->Rows(); ++r) {
                const QString value = results->text(r, 1).toLower();
                if (value.isEmpty() || value.contains("nan") || value.contains("inf"))
                    return "the results table shows \"" + results->text(r, 1) + "\" for " +
                           results->text(r, 0);
            }
        const auto finite = [](std::initializer_list<double> values) {
            return std::all_of(values.begin(), values.end(),
                               [](double v) { return std::isfinite(v); });
        };
        if (s.DiagramShown && !finite({s.IdAxisXMin, s.IdAxisXMax, s.IdAxisYTop, s.IdAxisYBottom}))
            return "the diagram is shown with an axis that is not finite";
        if (s.PiChartShown && !finite({s.PiAxisXMin, s.PiAxisXMax, s.PiAxisYTop, s.PiAxisYBottom}))
            return "the PI chart is shown with an axis that is not finite";
        return {};
    }

    // The processor time the program has used: other work on a busy machine does not count, so
    // the limit fails only a step that does too much.
    static double processorMs() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
    }

    void run(unsigned seed, int steps, int stepLimitMs, Watchdog& watchdog) {
        random.seed(seed);
        start({.WellType = static_cast<std::int16_t>(chance(0.5) ? ProducingWell : InjectionWell)});
        driver = GridDriver{form().MSFlexGrid1};
        QStringList log;
        const bool verbose = qEnvironmentVariableIsSet("ID_SCENARIO_VERBOSE");
        for (int i = 0; i < steps; ++i) {
            const double started = processorMs();
            watchdog.begin(seed, log);
            log << step();
            // What the event loop does between two user actions, closed dialogs going too.
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (verbose)
                std::fprintf(stderr, "%d %s\n", i + 1, qPrintable(log.last()));
            watchdog.end();
            QString problem = unsound();
            const double took = processorMs() - started;
            if (problem.isEmpty() && took > stepLimitMs)
                problem = QString("the step took %1 ms of processor time").arg(took);
            if (!problem.isEmpty()) {
                const QStringList last = log.mid(std::max<qsizetype>(0, log.size() - 40));
                ADD_FAILURE() << "seed " << seed << ", step " << i + 1 << ": "
                              << problem.toStdString() << "\nsteps (last 40):\n  "
                              << last.join("\n  ").toStdString();
                return;
            }
        }
    }

    std::mt19937 random;
};

TEST_F(RandomScenarioTest, SeededUserStepsKeepTheWindowSound) {
    const QStringList seeds =
        qEnvironmentVariable("ID_SCENARIO_SEEDS", QStringLiteral("1,2,3")).split(u',');
    const int steps = environmentNumber("ID_SCENARIO_STEPS", 2000);
    const int limit = environmentNumber("ID_SCENARIO_STEP_LIMIT_MS", 1000);
    Watchdog watchdog(limit);
    for (const QString& seed : seeds) {
        SCOPED_TRACE("seed " + seed.toStdString());
        run(seed.toUInt(), steps, limit, watchdog);
    }
}

} // namespace
} // namespace id::test
