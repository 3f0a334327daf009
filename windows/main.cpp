#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "windows/Program.h"

namespace {

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// A local X display such as ":0" or ":0.0" is served through a socket that must exist.
bool LocalXServerRunning(const std::string& display) {
    if (display.empty() || display[0] != ':') return true;  // remote: let Qt try
    const std::string number = display.substr(1, display.find('.') - 1);
    return std::filesystem::exists("/tmp/.X11-unix/X" + number);
}

// Qt aborts when it finds no window system; say so plainly instead.
bool DisplayAvailable() {
    if (Environment("QT_QPA_PLATFORM") != nullptr || Environment("WAYLAND_DISPLAY") != nullptr) return true;
    const char* display = Environment("DISPLAY");
    return display != nullptr && LocalXServerRunning(display);
}

}  // namespace

int main(int argc, char** argv) {
    if (!DisplayAvailable()) {
        std::fputs("vodazi: no display found; start it on a desktop (no X server or Wayland compositor reachable)\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vodazi");

    vodazi::Program program;
    program.MainWindow().show();
    return QApplication::exec();
}
