// Memory target: a 100 000-point analysis (paste, build, linear trend, statistics, bands, save,
// open and every export) on a shown window peaks within 100 MiB. Runs alone in its process.
#include "HeadlessMain.h"
#include "app/view/AnalysisWindow.h"
#include "app/view/MainFrame.h"
#include "app/view/MenuTree.h"
#include "platform/RecordingMessagePort.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FilePort.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

// Resident size of this process in MB, now or at its peak.
double statusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}
double residentMegabytes() {
    return statusMegabytes("VmRSS:");
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
        id::ScriptedFilePort files;
        QTemporaryDir folder;
        id::MainFrame frame({}, &messages, &clipboard, &files);
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
        // A day's work on it: bands, save, open again, every export.
        choose(frame.menus().mIdd, frame.menus().mIdConfBands);
        const QString path = folder.filePath(QStringLiteral("well.ida"));
        files.answerNext(path);
        frame.analysis().files().saveAnalysisAs();
        frame.analysis().files().openAnalysis(path);
        QApplication::processEvents();
        for (const char* name : {"d.png", "d.svg"}) {
            files.answerNext(folder.filePath(QString::fromLatin1(name)));
            frame.analysis().files().exportChartFile(id::ExportedChart::Diagram);
        }
        files.answerNext(folder.filePath(QStringLiteral("r.pdf")));
        frame.analysis().files().exportReportFile();
        files.answerNext(folder.filePath(QStringLiteral("d.csv")));
        frame.analysis().files().exportCsvFile();
        state.counters["day_MB"] = residentMegabytes();
        state.counters["peak_MB"] = statusMegabytes("VmHWM:");
        malloc_trim(0);
        state.counters["trimmed_MB"] = residentMegabytes();
    }
}
BENCHMARK(MemoryAfterAnalysis)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runHeadless(argc, argv);
}
