#pragma once

namespace vodazi {

// Makes the program's own widgets readable by assistive technology (the main window with its
// progress bar, and the prime list), each found by the class name the toolkit asks with.
// While a screen reader listens, the toolkit describes a widget as soon as it is built and
// keeps that first description: call this before the first window. Calling it again does
// nothing.
void InstallWindowAccessibility();

}  // namespace vodazi
