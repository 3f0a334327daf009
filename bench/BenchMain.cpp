#include <benchmark/benchmark.h>

#include <QApplication>

#include "RatioReporter.h"
#include "platform/MemoryArenas.h"

int main(int argc, char** argv) {
    vodazi::ShareOneMemoryArena();  // as the program runs
    // The window benchmarks use the real widgets, drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    vodazi::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
