#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "report/ReportFile.h"
#include "windows/RIdizev.h"

namespace {

// Qt aborts when it finds no window system; say so plainly instead.
bool DisplayAvailable() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    if (!DisplayAvailable()) {
        std::fputs("vodazi: no display found; start it on a desktop (DISPLAY or WAYLAND_DISPLAY unset)\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vodazi");

    vodazi::QtMessageBox messages;
    vodazi::ReportFile report(messages);
    vodazi::RIdizev mainWindow(report);
    mainWindow.show();
    return QApplication::exec();
}
