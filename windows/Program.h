#pragma once

#include "calc/CalculationRun.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtMessageBox.h"
#include "platform/QtNumericLocale.h"
#include "report/ReportFile.h"
#include "windows/ListWindowOutput.h"
#include "windows/RIdizev.h"
#include "windows/WindowAccessibility.h"

namespace vodazi {

// The whole program, wired in one place: the services a run talks to, the main window, and
// the run behind its button. The program itself, its tests, benchmarks and pictures all build
// this and press the real button.
class Program {
  public:
    explicit Program(ScanOptions options = DefaultScanOptions());
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    RIdizev& MainWindow() { return window_; }

  private:
    // Before any window is built: while a screen reader listens, the toolkit describes a widget
    // as soon as it is built and keeps that first description.
    struct AccessibilityFirst {
        AccessibilityFirst() { InstallWindowAccessibility(); }
    } accessibility_;
    QtMessageBox messages_;
    QtBusyPointer pointer_;
    QtNumericLocale numbers_;
    ReportFile report_{messages_};
    ListWindowOutput list_;
    RIdizev window_;
    CalculationRun run_;
};

}  // namespace vodazi
