#pragma once

#include <string>

#include "calc/Outputs.h"
#include "calc/RunView.h"
#include "calc/ScanRange.h"
#include "calc/UserServices.h"

namespace vodazi {

enum class OutputMode { ReportFile, List };

// Report-file mode only when the check box is exactly checked; greyed counts as unchecked.
OutputMode OutputModeOf(int checkValue);

std::string OutOfRangeMessage();
std::string NotANumberMessage();

// Everything a run talks to; the main window owns the real ones.
struct RunServices {
    RunView& view;
    ListOutput& list;
    ReportOutput& report;
    MessageBoxService& messages;
    BusyPointer& pointer;
};

// The program's one command, behind the button "begin of calculate": check and normalise the
// bounds, prepare the chosen destination, scan with the busy pointer and progress bar up,
// restore the window, and in list mode show the list modally. Synchronous.
class CalculationRun {
public:
    explicit CalculationRun(const RunServices& services, ScanOptions options = DefaultScanOptions());

    void Primzahlen_Click();

private:
    void ScanInto(const RangeBounds& bounds, const ProgressSetup& progress, OutputMode mode);

    RunServices services_;
    ScanOptions options_;
};

}  // namespace vodazi
