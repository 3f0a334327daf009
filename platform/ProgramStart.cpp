#include "platform/ProgramStart.h"

#include <cstdio>
#include <string>

#include "platform/DescriptorReserve.h"
#include "platform/DisplayFailure.h"
#include "platform/MemoryArenas.h"
#include "platform/PaintingResources.h"
#include "platform/ScaleSettings.h"
#include "platform/ToolkitThreads.h"

namespace vodazi {

ProgramStart::ProgramStart(int& argc, char** argv) {
    ShareOneMemoryArena();
    for (const std::string& warning : DropUnusableScaleSettings()) {
        std::fprintf(stderr, "%s\n", warning.c_str());
    }
    PaintWithoutPassingDescriptors();
    {
        // Qt itself tries every display it is given; only its failure is put in our words.
        DisplayFailureWatch displayWatch;
        // Above the display watch, which holds the toolkit's warnings: a refused thread is
        // told at once, before anything waits for it.
        ThreadRefusalWatch threadWatch;
        application_.emplace(argc, argv);
    }
    QApplication::setApplicationName("Vodazi");
    StartToolkitThreads();
    KeepDescriptorReserve();
}

}  // namespace vodazi
