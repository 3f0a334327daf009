#pragma once

class QWidget;

namespace vodazi {

// The window that has the focus, or failing that the topmost visible window of the program:
// the owner of a modal window about to open. May be null before any window is shown.
QWidget* ActiveWindow();

}  // namespace vodazi
