// Speed targets of the window, through the real commands on a shown window, headless:
// a trend command within one frame at a thousand points, "Построить график" and a trend command
// within a tenth of a second at a hundred thousand, and a paste of 100 000 lines within a quarter
// of a second; the statistics window opens within a tenth of a second and follows a command
// within 10 ms at a hundred thousand points.
#include "HeadlessMain.h"
#include "analysis/view/StatisticsWindow.h"
#include "app/view/AnalysisWindow.h"
#include "app/view/MainFrame.h"
#include "app/view/MenuTree.h"
#include "app/view/WorkWindow.h"
#include "platform/RecordingMessagePort.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FilePort.h"
#include "state/InflowCurve.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPolygonF>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// A producing well's measurements: pressure falling with the rate, with some scatter.
QString measurements(int lines) {
    QString text;
    text.reserve(lines * 20);
    for (int i = 1; i <= lines; ++i) {
        const double rate = 10.0 * i / lines * 1000;
        const double pressure = 25 - 0.002 * rate + 0.01 * (i % 7);
        text += QString::number(rate, 'f', 3).replace('.', ',') + '\t' +
                QString::number(pressure, 'f', 3).replace('.', ',') + '\n';
    }
    return text;
}

// A shown main frame with its own clipboard and recorded messages.
struct Window {
    explicit Window(int lines) {
        clipboard.setText(measurements(lines));
        frame = std::make_unique<id::MainFrame>(id::StartOptions{}, &messages, &clipboard, &files);
        frame->resize(1100, 820);
        frame->show();
        (void)QTest::qWaitForWindowExposed(frame.get());
        QApplication::processEvents();
    }
    // A menu item chosen through its menu's opening rule, then everything painted.
    void choose(QMenu* menu, QAction* item) {
        emit menu->aboutToShow();
        item->trigger();
        QApplication::processEvents();
    }
    void paste() { choose(frame->menus().mEdit, frame->menus().mEditPaste); }
    void build() { choose(frame->menus().mIdd, frame->menus().mIdAdd); }
    void trend(bool linear = true) {
        const id::MenuTree& m = frame->menus();
        choose(m.mTrend, linear ? m.mTrendLine : m.mTrendPolinom2);
    }

    // An analysis of the given size as an engineer leaves it: a quadratic trend with its
    // confidence bands.
    void analysed() {
        paste();
        build();
        trend(false);
        choose(frame->menus().mIdd, frame->menus().mIdConfBands);
    }

    id::MemoryClipboard clipboard;
    id::RecordingMessagePort messages;
    id::ScriptedFilePort files;
    QTemporaryDir folder;
    std::unique_ptr<id::MainFrame> frame;
};

// Saving the analysis into its file, then opening it again.
void SaveAnalysis(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.analysed();
    const QString path = w.folder.filePath(QStringLiteral("well.ida"));
    w.files.answerNext(path);
    w.frame->analysis().files().saveAnalysisAs();
    for (auto _ : state)
        w.frame->analysis().files().saveAnalysis();
    state.counters["file_MB"] = QFileInfo(path).size() / 1048576.0;
}
BENCHMARK(SaveAnalysis)->Arg(20)->Arg(100000)->Unit(benchmark::kMillisecond);

void OpenAnalysis(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.analysed();
    const QString path = w.folder.filePath(QStringLiteral("well.ida"));
    w.files.answerNext(path);
    w.frame->analysis().files().saveAnalysisAs();
    for (auto _ : state) {
        w.frame->analysis().files().openAnalysis(path);
        QApplication::processEvents();
    }
}
BENCHMARK(OpenAnalysis)->Arg(20)->Arg(100000)->Unit(benchmark::kMillisecond);

// Each export of a 100 000-point analysis, written to its file.
void Export(benchmark::State& state) {
    Window w(100000);
    w.analysed();
    static const char* const Names[] = {"diagram.png", "diagram.svg", "pi.png", "report.pdf"};
    const QString path = w.folder.filePath(QString::fromLatin1(Names[state.range(0)]));
    id::FileActions& files = w.frame->analysis().files();
    for (auto _ : state) {
        w.files.answerNext(path);
        switch (state.range(0)) {
        case 0:
        case 1:
            files.exportChartFile(id::ExportedChart::Diagram);
            break;
        case 2:
            files.exportChartFile(id::ExportedChart::PiChart);
            break;
        default:
            files.exportReportFile();
        }
    }
    state.SetLabel(Names[state.range(0)]);
    state.counters["file_MB"] = QFileInfo(path).size() / 1048576.0;
}
BENCHMARK(Export)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void UndoRedo(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.analysed();
    bool back = true;
    for (auto _ : state) {
        back ? w.frame->analysis().undo() : w.frame->analysis().redo();
        QApplication::processEvents();
        back = !back;
    }
}
BENCHMARK(UndoRedo)->Arg(100000)->Unit(benchmark::kMillisecond);

void BuildCharts(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.paste();
    w.build();
    // Each build follows a trend, so that it changes what is shown.
    for (auto _ : state) {
        state.PauseTiming();
        w.trend();
        state.ResumeTiming();
        w.build();
    }
}
BENCHMARK(BuildCharts)->Arg(20)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void TrendCommand(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.paste();
    w.build();
    // Linear and quadratic in turn, so that every command changes the charts.
    bool linear = true;
    for (auto _ : state) {
        w.trend(linear);
        linear = !linear;
    }
}
BENCHMARK(TrendCommand)->Arg(20)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The trend command's peer: a bare Qt window of the same size that paints the same count of
// markers and a line through them on each command, antialiased, with nothing kept between.
class BareChart : public QWidget {
public:
    explicit BareChart(int points) : points_(points) {}
    bool linear = true;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), Qt::white);
        const double w = width() - 40, h = height() - 40;
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(20, 20), QPointF(20, 20 + h));
        p.drawLine(QPointF(20, 20 + h), QPointF(20 + w, 20 + h));
        for (int i = 0; i < points_; ++i) {
            const double x = 20 + w * i / std::max(1, points_ - 1);
            const double y = 20 + h * (0.2 + 0.6 * i / std::max(1, points_ - 1) + 0.01 * (i % 7));
            p.drawEllipse(QPointF(x, y), 3, 3);
        }
        p.setPen(QPen(Qt::blue, 2));
        QPolygonF line;
        for (int k = 0; k <= 100; ++k) {
            const double t = k / 100.0;
            line << QPointF(20 + w * t, 20 + h * (0.2 + 0.6 * t + (linear ? 0 : 0.05 * t * t)));
        }
        p.drawPolyline(line);
    }

private:
    int points_;
};

void TrendCommandPeerBareWindow(benchmark::State& state) {
    BareChart chart(static_cast<int>(state.range(0)));
    chart.resize(1100, 820);
    chart.show();
    (void)QTest::qWaitForWindowExposed(&chart);
    for (auto _ : state) {
        chart.linear = !chart.linear;
        chart.repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(TrendCommandPeerBareWindow)->Arg(20)->Unit(benchmark::kMillisecond);

// Regimes on a Vogel curve (qmax 1000, Pпл 25), scattered more as the drawdown grows, pasted
// and built with Pнас 5.
void buildOnVogelCurve(Window& w, int lines) {
    QString text;
    for (int i = 1; i <= lines; ++i) {
        const double rate = 950.0 * i / lines;
        const double pressure = *id::modelPressure(id::InflowModel::Vogel, {1000, 25}, 0, rate) +
                                0.01 * (i % 7 - 3) * rate / 950;
        text += QString::number(rate, 'f', 3).replace('.', ',') + '\t' +
                QString::number(pressure, 'f', 4).replace('.', ',') + '\n';
    }
    w.clipboard.setText(text);
    w.frame->workWindow().Pnas->setText(QStringLiteral("5"));
    w.paste();
    w.build();
}

// An inflow model chosen from the menu, Vogel and Fetkovich in turn (Pпл fitted): the fit, the
// curves, the results and the statistics behind them.
void ModelCommand(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    Window w(lines);
    buildOnVogelCurve(w, lines);
    const id::MenuTree& m = w.frame->menus();
    bool vogel = true;
    for (auto _ : state) {
        w.choose(m.mTrend, vogel ? m.mModelVogel : m.mModelFetkovich);
        vogel = !vogel;
    }
    if (!w.messages.messages().isEmpty())
        state.SkipWithError(w.messages.messages().join(' ').toStdString().c_str());
}
BENCHMARK(ModelCommand)->Arg(20)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One model at a time on the same regimes (0 Vogel, 1 composite with Pнас 5, 2 Fetkovich), the
// trend deleted between commands off the clock: each model's own figure.
void ModelCommandEach(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    Window w(lines);
    buildOnVogelCurve(w, lines);
    const id::MenuTree& m = w.frame->menus();
    QAction* const models[] = {m.mModelVogel, m.mModelComposite, m.mModelFetkovich};
    QAction* const model = models[state.range(1)];
    for (auto _ : state) {
        w.choose(m.mTrend, model);
        state.PauseTiming();
        w.choose(m.mTrend, m.mTrendDelete);
        state.ResumeTiming();
    }
    if (!w.messages.messages().isEmpty())
        state.SkipWithError(w.messages.messages().join(' ').toStdString().c_str());
}
BENCHMARK(ModelCommandEach)
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({100000, 2})
    ->Unit(benchmark::kMillisecond);

// "Излом (две прямые) автоматически" on all the points: the exact search, the profile interval
// and the bootstrap of its significance.
void BreakCommand(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.frame->workWindow().Pnas->setText(QStringLiteral("5"));
    w.paste();
    w.build();
    const id::MenuTree& m = w.frame->menus();
    for (auto _ : state) {
        w.choose(m.mTrend, m.mTrendBreak);
        state.PauseTiming();
        w.choose(m.mTrend, m.mTrendDelete);
        state.ResumeTiming();
    }
    if (!w.messages.messages().isEmpty())
        state.SkipWithError(w.messages.messages().join(' ').toStdString().c_str());
}
BENCHMARK(BreakCommand)->Arg(20)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// "Статистика" opened on a trend: the page and the table of points (made as it is shown).
void StatisticsOpen(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.paste();
    w.build();
    w.trend();
    const id::MenuTree& m = w.frame->menus();
    for (auto _ : state) {
        w.choose(m.mIdd, m.mIdStat);
        state.PauseTiming();
        w.frame->analysis().statisticsWindow()->hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(StatisticsOpen)->Arg(20)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The open statistics window following an analysis that changed: its part of a command.
void StatisticsRefresh(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    w.paste();
    w.build();
    w.trend(true);
    const id::AnalysisState linear = w.frame->state();
    w.trend(false);
    const id::AnalysisState quadratic = w.frame->state();
    const id::MenuTree& m = w.frame->menus();
    w.choose(m.mIdd, m.mIdStat);
    id::StatisticsWindow* window = w.frame->analysis().statisticsWindow();
    bool first = true;
    for (auto _ : state) {
        window->showAnalysis(first ? linear : quadratic);
        QApplication::processEvents();
        first = !first;
    }
}
BENCHMARK(StatisticsRefresh)->Arg(20)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void Paste(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Window w(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        w.paste();
        state.PauseTiming();
        w.frame.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(Paste)
    ->Arg(20)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return runHeadless(argc, argv);
}
