#include "platform/QtBusyPointer.h"

#include <QApplication>
#include <QCursor>

namespace vodazi {

QtBusyPointer::~QtBusyPointer() { SetMousePointer(MousePointer::Default); }

void QtBusyPointer::SetMousePointer(MousePointer pointer) {
    // Override cursors stack in Qt; the pointer here is a single setting, so it is set once.
    const bool busy = pointer == MousePointer::Hourglass;
    if (busy == overriding_) return;
    if (busy) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::restoreOverrideCursor();
    }
    overriding_ = busy;
}

}  // namespace vodazi
