#include "platform/ActiveWindow.h"

#include <QApplication>
#include <QWidget>

namespace vodazi {

QWidget* ActiveWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    // Without a focused window (an unfocused desktop, or no window system at all) the last
    // visible top-level window is what the user is looking at.
    const auto windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->isVisible()) return *it;
    }
    return nullptr;
}

}  // namespace vodazi
