// Memory target: a 100 000-point analysis (paste, build, linear trend) on a shown window keeps
// the program's resident size within 80 MB. Runs alone in its process so nothing else counts.
#include "HeadlessMain.h"
#include "app/MainFrame.h"
#include "app/MenuTree.h"
#include "platform/ClipboardPort.h"
#include "platform/RecordingMessagePort.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QTest>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

// Resident size of this process in MB.
double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

void MemoryAfterAnalysis(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const double atStart = residentMegabytes();
        QString text;
        for (int i = 1; i <= lines; ++i)
            text += QString::number(i * 0.1, 'f', 1).replace('.', ',') + '\t' +
                    QString::number(25 - 0.0002 * i + 0.01 * (i % 7), 'f', 3).replace('.', ',') +
                    '\n';
        id::MemoryClipboard clipboard;
        clipboard.setText(text);
        text.clear();
        id::RecordingMessagePort messages;
        id::MainFrame frame({}, &messages, &clipboard);
        frame.resize(1100, 820);
        frame.show();
        (void)QTest::qWaitForWindowExposed(&frame);
        const auto choose = [](QMenu* menu, QAction* item) {
            emit menu->aboutToShow();
            item->trigger();
            QApplication::processEvents();
        };
        choose(frame.menus().mEdit, frame.menus().mEditPaste);
        clipboard.setText(QString());
        choose(frame.menus().mIdd, frame.menus().mIdAdd);
        choose(frame.menus().mTrend, frame.menus().mTrendLine);
        state.counters["start_MB"] = atStart;
        state.counters["analysis_MB"] = residentMegabytes();
        // The statistics window adds at most 10 MB.
        choose(frame.menus().mIdd, frame.menus().mIdStat);
        state.counters["statistics_MB"] = residentMegabytes();
        malloc_trim(0);
        state.counters["trimmed_MB"] = residentMegabytes();
    }
}
BENCHMARK(MemoryAfterAnalysis)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runHeadless(argc, argv);
}
