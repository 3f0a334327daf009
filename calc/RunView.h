#pragma once

#include <string>

#include "calc/OutputMode.h"

namespace vodazi {

// What a calculation run needs of the main window. Texts are UTF-8.
//
// Where the event loop runs: a run holds the one window thread from the click to its end, and
// the window repaints only inside ShowProgressFill, HideProgressFill and SetProgressFillWidth,
// which process pending events (at most every few milliseconds for the width). Whatever the
// event loop may call back meanwhile, a second click on the button or a close of the window,
// meets CalculationRun::Running() and is refused there; user input is swallowed. The other
// operations never run the event loop.
class RunView {
  public:
    virtual ~RunView() = default;

    virtual std::string StartText() const = 0;
    virtual void SetStartText(const std::string& text) = 0;
    virtual std::string EndText() const = 0;
    virtual void SetEndText(const std::string& text) = 0;

    virtual CheckBoxValue OutputCheckValue() const = 0;
    virtual std::string ReportFileName() const = 0;

    virtual void ShowProgressTrack() = 0;
    virtual void HideProgressTrack() = 0;
    // Runs the event loop once, so the hourglass and the empty bar show before the scan.
    virtual void ShowProgressFill() = 0;
    // Runs the event loop once during a run, dropping the input that arrived meanwhile.
    virtual void HideProgressFill() = 0;
    // Width in twips, as the window's rectangle takes it. During a run it runs the event loop
    // when the last repaint is long enough ago.
    virtual void SetProgressFillWidth(float twips) = 0;
};

}  // namespace vodazi
