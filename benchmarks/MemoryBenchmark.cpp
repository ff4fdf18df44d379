// Memory targets, each benchmark alone in its process (scripts/bench.sh runs them so): a
// 100 000-point analysis (paste, build, linear trend, statistics, bands, save, open and every
// export) on a shown window peaks within 90 MiB; 200 trend commands on it (the whole undo
// history) grow the resident size by at most 20 MiB; a full session with statistics, bands,
// models, the break, save, open and every export peaks within 120 MiB.
#include "HeadlessMain.h"
#include "app/view/AnalysisWindow.h"
#include "app/view/MainFrame.h"
#include "app/view/MenuTree.h"
#include "app/view/WorkWindow.h"
#include "platform/RecordingMessagePort.h"
#include "platform/view/ClipboardPort.h"
#include "platform/view/FilePort.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
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

// A paste of the given count of lines, a build and a linear trend on a shown window.
struct Session {
    explicit Session(int lines) : frame({}, &messages, &clipboard, &files) {
        QString text;
        for (int i = 1; i <= lines; ++i)
            text += QString::number(i * 0.1, 'f', 1).replace('.', ',') + '\t' +
                    QString::number(25 - 0.0002 * i + 0.01 * (i % 7), 'f', 3).replace('.', ',') +
                    '\n';
        clipboard.setText(text);
        text.clear();
        frame.resize(1100, 820);
        frame.show();
        (void)QTest::qWaitForWindowExposed(&frame);
        choose(frame.menus().mEdit, frame.menus().mEditPaste);
        clipboard.setText(QString());
        choose(frame.menus().mIdd, frame.menus().mIdAdd);
    }
    void choose(QMenu* menu, QAction* item) {
        emit menu->aboutToShow();
        item->trigger();
        QApplication::processEvents();
    }
    id::MemoryClipboard clipboard;
    id::RecordingMessagePort messages;
    id::ScriptedFilePort files;
    QTemporaryDir folder;
    id::MainFrame frame;
};

// 200 trend commands, linear and quadratic in turn: the undo history fills (200 steps) and
// the resident size after them, against that after the first command.
void MemoryOfTrendHistory(benchmark::State& state) {
    for (auto _ : state) {
        Session s(static_cast<int>(state.range(0)));
        const id::MenuTree& m = s.frame.menus();
        s.choose(m.mTrend, m.mTrendLine);
        const double first = residentMegabytes();
        for (int i = 1; i < 200; ++i)
            s.choose(m.mTrend, i % 2 ? m.mTrendPolinom2 : m.mTrendLine);
        const double last = residentMegabytes();
        state.counters["first_MB"] = first;
        state.counters["after200_MB"] = last;
        state.counters["growth_MB"] = last - first;
        if (qEnvironmentVariableIsSet("ID_MALLOC_STATS"))
            malloc_stats();
        state.counters["peak_MB"] = statusMegabytes("VmHWM:");
    }
}
BENCHMARK(MemoryOfTrendHistory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Every feature on one analysis: statistics, bands, the three models, the break, save, open and
// every export; the peak of the process.
void MemoryOfFullSession(benchmark::State& state) {
    for (auto _ : state) {
        Session s(static_cast<int>(state.range(0)));
        s.frame.workWindow().Pnas->setText(QStringLiteral("5"));
        const id::MenuTree& m = s.frame.menus();
        s.choose(m.mTrend, m.mTrendLine);
        s.choose(m.mIdd, m.mIdStat);
        s.choose(m.mIdd, m.mIdConfBands);
        for (QAction* model : {m.mModelVogel, m.mModelComposite, m.mModelFetkovich})
            s.choose(m.mTrend, model);
        s.choose(m.mTrend, m.mTrendDelete);
        s.choose(m.mTrend, m.mTrendBreak);
        const QString path = s.folder.filePath(QStringLiteral("well.ida"));
        s.files.answerNext(path);
        s.frame.analysis().files().saveAnalysisAs();
        s.frame.analysis().files().openAnalysis(path);
        QApplication::processEvents();
        for (const char* name : {"d.png", "d.svg"}) {
            s.files.answerNext(s.folder.filePath(QString::fromLatin1(name)));
            s.frame.analysis().files().exportChartFile(id::ExportedChart::Diagram);
        }
        s.files.answerNext(s.folder.filePath(QStringLiteral("r.pdf")));
        s.frame.analysis().files().exportReportFile();
        s.files.answerNext(s.folder.filePath(QStringLiteral("d.csv")));
        s.frame.analysis().files().exportCsvFile();
        state.counters["day_MB"] = residentMegabytes();
        state.counters["peak_MB"] = statusMegabytes("VmHWM:");
    }
}
BENCHMARK(MemoryOfFullSession)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runHeadless(argc, argv);
}
