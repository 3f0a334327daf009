#include <QApplication>
#include <cstdio>

#include "platform/DescriptorReserve.h"
#include "platform/DisplayFailure.h"
#include "platform/MemoryArenas.h"
#include "platform/PaintingResources.h"
#include "platform/ScaleSettings.h"
#include "platform/ToolkitThreads.h"
#include "windows/Program.h"

int main(int argc, char** argv) {
    vodazi::ShareOneMemoryArena();
    for (const std::string& warning : vodazi::DropUnusableScaleSettings()) {
        std::fprintf(stderr, "%s\n", warning.c_str());
    }
    vodazi::PaintWithoutPassingDescriptors();
    // Qt itself tries every display it is given; only its failure is put in our words.
    vodazi::DisplayFailureWatch displayWatch;
    // Above the display watch, which holds the toolkit's warnings: a refused thread is told at
    // once, before anything waits for it.
    vodazi::ThreadRefusalWatch threadWatch;
    QApplication app(argc, argv);
    threadWatch.Release();
    displayWatch.Release();
    QApplication::setApplicationName("Vodazi");
    vodazi::StartToolkitThreads();
    vodazi::KeepDescriptorReserve();

    vodazi::Program program;
    program.MainWindow().show();
    return QApplication::exec();
}
