// The benchmark programs' entry point: a Qt application (fonts and painting need one; programs
// built with SCHEME_BENCH_WIDGETS get a widget application), offscreen unless the caller chose
// a platform.
#include <benchmark/benchmark.h>

#ifdef SCHEME_BENCH_WIDGETS
#include <QApplication>
using TBenchApplication = QApplication;
#else
#include <QGuiApplication>
using TBenchApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TBenchApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
