#include "platform/QtBusyPointer.h"

#include <QApplication>
#include <QCursor>

namespace vodazi {

QtBusyPointer::~QtBusyPointer() {
    Override(false);
}

void QtBusyPointer::SetMousePointer(MousePointer pointer) {
    Override(pointer == MousePointer::Hourglass);
}

// Override cursors stack in Qt; the pointer here is a single setting, so it is set once.
void QtBusyPointer::Override(bool busy) {
    if (busy == overriding_) return;
    if (busy) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::restoreOverrideCursor();
    }
    overriding_ = busy;
}

}  // namespace vodazi
