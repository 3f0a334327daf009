#include <QApplication>
#include <cstdio>

#include "platform/DisplayFailure.h"
#include "platform/MemoryArenas.h"
#include "platform/PaintingResources.h"
#include "platform/ScaleSettings.h"
#include "windows/Program.h"

int main(int argc, char** argv) {
    vodazi::ShareOneMemoryArena();
    for (const std::string& warning : vodazi::DropUnusableScaleSettings()) {
        std::fprintf(stderr, "%s\n", warning.c_str());
    }
    vodazi::PaintWithoutPassingDescriptors();
    // Qt itself tries every display it is given; only its failure is put in our words.
    vodazi::DisplayFailureWatch displayWatch;
    QApplication app(argc, argv);
    displayWatch.Release();
    vodazi::KeepPaintingThreads();
    QApplication::setApplicationName("Vodazi");

    vodazi::Program program;
    program.MainWindow().show();
    return QApplication::exec();
}
