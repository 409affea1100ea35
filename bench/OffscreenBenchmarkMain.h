#pragma once

#include "ui/Design/TessalineAppearance.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// The main function of a benchmark of windows: the application's fixed look on the offscreen
// platform (unless a platform was chosen), then every registered benchmark.
inline int runOffscreenBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Parlowen::TessalineAppearance::prepareEnvironment();
    QApplication application(argc, argv);
    Parlowen::TessalineAppearance::install(application);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
