#pragma once

#include <string>

#include "calc/OutputMode.h"

namespace vodazi {

// What a calculation run needs of the main window. Texts are UTF-8.
//
// Where the event loop runs: a run holds the one window thread from the click to its end, and
// the window repaints only inside ShowProgressFill, HideProgressFill and SetProgressFillWidth,
// which process pending events (at most every few milliseconds for the width), and while the
// run's message boxes and list window are open. Whatever the event loop may call back
// meanwhile, a second click on the button or a close of the window, the window refuses by what
// the run told it (RunBegins, RunEnds); user input is swallowed. The other operations never run
// the event loop.
class RunView {
  public:
    virtual ~RunView() = default;

    // The run's first call and its last (after the list window closed); a run is going on
    // between the two. RunEnds never throws.
    virtual void RunBegins() = 0;
    virtual void RunEnds() = 0;

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
