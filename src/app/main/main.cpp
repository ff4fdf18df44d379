#include "app/CommandLine.h"
#include "app/view/AnalysisWindow.h"
#include "app/view/MainFrame.h"
#include "database/view/WellsActions.h"
#include "platform/MemoryPolicy.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

int main(int argc, char* argv[]) {
    id::returnLargeBlocksToTheSystem();
    // The options are read before the toolkit starts, so that --help and a bad option answer
    // on a terminal without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    id::CommandLine line = id::parseCommandLine(arguments);
    if (line.exitNow) {
        std::fputs(line.output.toLocal8Bit().constData(), stdout);
        std::fputs(line.error.toLocal8Bit().constData(), stderr);
        return line.exitCode;
    }

    // Without a display the toolkit would abort with its own English text.
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
                                arguments.contains(QStringLiteral("-platform")) ||
                                arguments.contains(QStringLiteral("--platform"));
    if (!platformChosen && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs(QStringLiteral("Не удалось открыть окно программы: нет графического дисплея "
                                  "(не заданы DISPLAY и WAYLAND_DISPLAY).\n")
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // Where the program remembers its settings (recent files).
    QApplication::setOrganizationName(QStringLiteral("indicator-diagram"));
    QApplication::setApplicationName(QStringLiteral("indicator-diagram"));
    // The desktop matches the window to its menu entry and icon by this name.
    QApplication::setDesktopFileName(QStringLiteral("indicator-diagram"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/indicator-diagram.svg")));
    // The toolkit's own texts (context menus, standard buttons) in Russian.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);
    // Number entry writes decimal commas; fixing Russian conventions makes typed data read back
    // on any machine.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    id::MainFrame frame(line.options);
    frame.showWhereLeft();
    if (!line.analysisFile.isEmpty())
        QTimer::singleShot(0, &frame, [&frame, path = line.analysisFile] {
            frame.analysis().files().openAnalysis(path);
        });
    // The record is looked for in the background: a silent server does not hold the window.
    if (line.options.DatabaseMode) {
        frame.analysis().database().checkRecord(true);
        frame.wells().readStartRegimes();
    }
    return app.exec();
}
