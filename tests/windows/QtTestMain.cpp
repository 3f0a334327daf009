// The window tests' main: a QApplication on the offscreen platform unless another is asked
// for, so they run (and are listed at build time) without a display, and with the scale
// settings the program itself would accept and its windows described to screen readers.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

#include "platform/ScaleSettings.h"
#include "windows/WindowAccessibility.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const std::string& warning : vodazi::DropUnusableScaleSettings()) {
        std::fprintf(stderr, "%s\n", warning.c_str());
    }
    QApplication app(argc, argv);
    vodazi::InstallWindowAccessibility();  // as Program does, for the windows built alone
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
