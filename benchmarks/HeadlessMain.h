#pragma once

#include "platform/MemoryPolicy.h"

#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <benchmark/benchmark.h>

// The window benchmarks run headless, with the program's number conventions.
inline int runHeadless(int argc, char** argv) {
    // As the program starts.
    id::returnLargeBlocksToTheSystem();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Settings of their own, empty at start: a user's recent files are neither read nor touched.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setOrganizationName(QStringLiteral("indicator-diagram-tests"));
    QApplication::setApplicationName(QStringLiteral("indicator-diagram-tests"));
    QSettings().clear();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
