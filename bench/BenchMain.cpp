#include <benchmark/benchmark.h>

#include <QApplication>

#include "RatioReporter.h"
#include "platform/ProgramStart.h"

int main(int argc, char** argv) {
    // The window benchmarks use the real widgets, drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vodazi::ProgramStart start(argc, argv);  // as the program starts
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    vodazi::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
