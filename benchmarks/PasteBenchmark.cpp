// Speed target: pasting a block of 100 000 lines into the measurement table must finish in well
// under a second, so the window never looks frozen.
#include "app/MainFrame.h"
#include "app/MenuTree.h"
#include "measurements/ClipboardTable.h"
#include "platform/ClipboardPort.h"
#include "platform/RecordingMessagePort.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QMenu>
#include <benchmark/benchmark.h>

namespace {

QString block(int lines) {
    QString text;
    for (int i = 1; i <= lines; ++i)
        text += QString::number(i) + "\t" + QString::number(i % 97) + ",5\r\n";
    return text;
}

void SplitAndCheck(benchmark::State& state) {
    const QString text = block(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(id::planPaste(id::splitClipboardText(text)));
}
BENCHMARK(SplitAndCheck)->Arg(100000)->Unit(benchmark::kMillisecond);

void PasteIntoTable(benchmark::State& state) {
    id::MemoryClipboard clipboard;
    clipboard.setText(block(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        id::RecordingMessagePort messages;
        id::MainFrame frame({}, &messages, &clipboard);
        emit frame.menus().mEdit->aboutToShow(); // the opening rule offers the paste
        state.ResumeTiming();
        frame.menus().mEditPaste->trigger();
    }
}
BENCHMARK(PasteIntoTable)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
