#pragma once

#include <string>

#include "calc/BusyPointer.h"
#include "calc/ListOutput.h"
#include "calc/MessageBoxService.h"
#include "calc/OutputMode.h"
#include "calc/RangeNormalization.h"
#include "calc/ReportOutput.h"
#include "calc/RunFailure.h"
#include "calc/RunView.h"
#include "calc/ScanRange.h"
#include "calc/UserNumberForm.h"

namespace vodazi {

// Everything a run talks to.
struct RunServices {
    RunView& view;
    ListOutput& list;
    ReportOutput& report;
    MessageBoxService& messages;
    BusyPointer& pointer;
    const NumericLocale& numbers;
};

// The program's one command, behind the button "begin of calculate": check and normalise the
// bounds, prepare the chosen destination, scan with the busy pointer and progress bar up,
// restore the window, and in list mode show the list modally. Synchronous.
class CalculationRun {
  public:
    explicit CalculationRun(const RunServices& services,
                            ScanOptions options = DefaultScanOptions());

    // Tells the RunView when it begins and when it has ended, the list window closed included:
    // the window repaints and swallows input only meanwhile, and refuses a click or a close.
    // Does nothing when called again from within a run, whoever calls it.
    void Run();

  private:
    bool ScanWhileBusy(const BoundValues& read);
    void ScanInto(const RangeBounds& bounds, OutputMode mode);

    RunServices services_;
    ScanOptions options_;
    bool running_ = false;
};

}  // namespace vodazi
