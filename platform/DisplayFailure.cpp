#include "platform/DisplayFailure.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "calc/UserTexts.h"

namespace vodazi {
namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

QtMessageHandler forwardTo = nullptr;
std::vector<HeldMessage>& Held() {
    static std::vector<HeldMessage> held;
    return held;
}

void Forward(const HeldMessage& message) {
    const QMessageLogContext context(message.file.constData(), message.line,
                                     message.function.constData(), message.category.constData());
    forwardTo(message.type, context, message.text);  // Qt hands back its own default handler
}

void ForwardHeld() {
    for (const HeldMessage& message : Held()) Forward(message);
    Held().clear();
}

// The fatal texts of the platform plugins that found no display or screen.
bool IsDisplayFailure(const QString& text) {
    for (const char* phrase :
         {"no Qt platform plugin could be initialized", "Could not load the Qt platform plugin",
          "could not connect to display", "Failed to create wl_display"}) {
        if (text.contains(QLatin1String(phrase), Qt::CaseInsensitive)) return true;
    }
    return false;
}

void HoldOrTell(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg && IsDisplayFailure(text)) {
        Held().clear();
        std::fputs(texts::NoDisplayLine, stderr);
        std::fflush(stderr);
        std::_Exit(2);  // the toolkit is half set up; nothing of it may run any more
    }
    HeldMessage message{type, context.file, context.function, context.category, context.line, text};
    if (type == QtFatalMsg) {
        ForwardHeld();
        Forward(message);  // the toolkit aborts after this, as it would without the watch
        return;
    }
    Held().push_back(std::move(message));
}

}  // namespace

DisplayFailureWatch::DisplayFailureWatch()
    : previous_(qInstallMessageHandler(HoldOrTell)), active_(true) {
    forwardTo = previous_;
}

DisplayFailureWatch::~DisplayFailureWatch() {
    Release();
}

void DisplayFailureWatch::Release() {
    if (!active_) return;
    active_ = false;
    qInstallMessageHandler(previous_);
    ForwardHeld();
    forwardTo = nullptr;
}

}  // namespace vodazi
