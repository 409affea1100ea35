#pragma once

#include "ui/Design/TessalineAppearance.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>

// The main function of a benchmark of windows: the application's fixed look on the offscreen
// platform (unless a platform was chosen), then every registered benchmark. `prepare` runs once
// the application exists, for benchmarks that need it to register or to warm up.
inline int runOffscreenBenchmarks(int argc, char** argv,
                                  const std::function<void()>& prepare = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Parlowen::TessalineAppearance::prepareEnvironment();
    QApplication application(argc, argv);
    Parlowen::TessalineAppearance::install(application);
    if (prepare) {
        prepare();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
