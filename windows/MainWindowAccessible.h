#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace vodazi {

// The main window as assistive technology reads it: a frame named by its caption whose two
// rectangles read as one progress bar, the white track being the bar and the red fill its
// value. A factory for QAccessible::installFactory: it answers for the main window's class,
// and for the rectangles' class where the rectangle is one of the main window's two.
QAccessibleInterface* MainWindowAccessibleFactory(const QString& className, QObject* object);

}  // namespace vodazi
